#include "app/window_fixture_support.h"

#include <QKeyEvent>
#include <QLineEdit>

namespace {

// A focusable widget that records the keys that reach it.
class KeyProbe : public QWidget {
public:
    explicit KeyProbe(QWidget* parent = nullptr) : QWidget(parent)
    {
        setFocusPolicy(Qt::StrongFocus);
    }
    QList<int> keys;

protected:
    void keyPressEvent(QKeyEvent* event) override { keys << event->key(); }
};

}  // namespace

class KeysTest : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        source = addSource("/videos/talk.mp4", 60);
        showWindow();
        player->calls.clear();
    }

    // A key as the window system delivers it: to the window, then its focus widget.
    void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::keyClick(window->windowHandle(), key, modifiers);
    }
    void type(char c) { QTest::keyClick(window->windowHandle(), c); }

    QWidget* content() { return window->findChild<QWidget*>("content"); }

    CWSource source;
};

TEST_F(KeysTest, PlainKeysActOnTheStore)
{
    store->seek(10);
    type('i');
    EXPECT_DOUBLE_EQ(store->inMark(), 10);
    store->seek(14);
    type('O');  // upper case acts as lower case
    EXPECT_DOUBLE_EQ(store->outMark(), 14);
    type('j');
    EXPECT_DOUBLE_EQ(store->time(), 12);
    type('l');
    type('l');
    EXPECT_DOUBLE_EQ(store->time(), 16);

    press(Qt::Key_Return);
    ASSERT_EQ(store->clips().size(), 1);
    EXPECT_DOUBLE_EQ(store->clips()[0].inTime, 10);
    EXPECT_DOUBLE_EQ(store->clips()[0].outTime, 14);

    const std::pair<char, Aspect> shapes[] = {{'4', Aspect::wide},
                                              {'3', Aspect::portrait},
                                              {'2', Aspect::square},
                                              {'1', Aspect::vertical}};
    for (const auto& [key, aspect] : shapes) {
        type(key);
        EXPECT_EQ(store->aspect(), aspect) << key;
        EXPECT_EQ(store->clips()[0].aspect, aspect) << "the selected clip takes the shape";
    }
}

TEST_F(KeysTest, SpaceTogglesAndKOnlyStops)
{
    type('k');  // paused already: nothing starts
    EXPECT_FALSE(player->calls.contains("play"));
    for (const auto& [key, rate] : {std::pair{' ', 1}, {'k', 0}, {'k', 0}, {' ', 1}, {' ', 0}}) {
        type(key);
        EXPECT_EQ(player->rate(), rate) << key;
    }
}

TEST_F(KeysTest, ArrowsMoveThePlayheadOrTheFocusedTrimPoint)
{
    struct Case {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        std::optional<int> focus;
        double time, in, out;  // after the key, from time 10, In 8, Out 12 at 25 fps
    };
    const Case cases[] = {
        {Qt::Key_Right, Qt::NoModifier, std::nullopt, 10.04, 8, 12},
        {Qt::Key_Right, Qt::ShiftModifier, std::nullopt, 10.4, 8, 12},
        {Qt::Key_Left, Qt::ShiftModifier, std::nullopt, 9.6, 8, 12},
        {Qt::Key_Left, Qt::NoModifier, 0, 7.96, 7.96, 12},
        {Qt::Key_Right, Qt::ShiftModifier, 1, 12.4, 8, 12.4},
        {Qt::Key_Left, Qt::ShiftModifier, 1, 11.6, 8, 11.6},
    };
    for (const Case& c : cases) {
        store->seek(8);
        store->markIn();
        store->seek(12);
        store->markOut();
        store->seek(10);
        store->setTrimFocus(c.focus);
        press(c.key, c.modifiers);
        EXPECT_NEAR(store->time(), c.time, 1e-9) << c.key << " " << c.modifiers.toInt();
        EXPECT_NEAR(store->inMark(), c.in, 1e-9) << c.key;
        EXPECT_NEAR(store->outMark(), c.out, 1e-9) << c.key;
        EXPECT_EQ(store->trimFocus(), c.focus);
    }
}

TEST_F(KeysTest, EscapeLeavesTheTrimFocusOrGoesOn)
{
    auto* probe = new KeyProbe(content());
    probe->show();
    probe->setFocus();
    store->setTrimFocus(1);
    press(Qt::Key_Escape);
    EXPECT_FALSE(store->trimFocus());
    EXPECT_TRUE(probe->keys.isEmpty()) << "consumed";

    press(Qt::Key_Escape);
    EXPECT_EQ(probe->keys, QList<int>{Qt::Key_Escape}) << "nothing to leave: passed on";
    type('x');
    EXPECT_EQ(probe->keys.size(), 2) << "keys of no command pass on";
    press(Qt::Key_Return);
    EXPECT_EQ(probe->keys.size(), 2) << "handled keys are consumed";
}

TEST_F(KeysTest, ATextFieldGetsItsKeysButCtrlKStillAddsAClip)
{
    auto* field = new QLineEdit(content());
    field->show();
    field->setFocus();
    store->seek(3);
    type('i');
    type('o');
    press(Qt::Key_Space);
    press(Qt::Key_Right);
    type('1');
    press(Qt::Key_Return);
    EXPECT_EQ(field->text(), "io 1");
    EXPECT_DOUBLE_EQ(store->inMark(), 0);
    EXPECT_DOUBLE_EQ(store->time(), 3);
    EXPECT_FALSE(store->playing());
    EXPECT_TRUE(store->clips().isEmpty());

    // Ctrl+K is the menu's Add Clip here too, and the text stays as it is.
    field->setCursorPosition(0);
    press(Qt::Key_K, Qt::ControlModifier);
    EXPECT_EQ(store->clips().size(), 1);
    EXPECT_EQ(field->text(), "io 1");

    // A read-only field edits nothing: the window's keys work there.
    field->setReadOnly(true);
    type('i');
    EXPECT_DOUBLE_EQ(store->inMark(), 3);
}

TEST_F(KeysTest, KeysWithCtrlGoToTheMenusNotTheHandler)
{
    store->seek(7);
    press(Qt::Key_I, Qt::ControlModifier);  // Import Videos…, not Set In
    EXPECT_EQ(services->panels, QStringList{"Choose one or more videos to cut into clips"});
    EXPECT_DOUBLE_EQ(store->inMark(), 0);
    press(Qt::Key_Return, Qt::ControlModifier);
    EXPECT_TRUE(store->clips().isEmpty());
}

TEST_F(KeysTest, KeysInAnotherWindowAreLeftToIt)
{
    // An alert or a dialog answers Return and Space itself; the window's
    // handler must not add a clip or start playing behind it.
    KeyProbe other;
    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    QTest::keyClick(other.windowHandle(), Qt::Key_Return);
    QTest::keyClick(other.windowHandle(), Qt::Key_Space);
    EXPECT_EQ(other.keys, (QList<int>{Qt::Key_Return, Qt::Key_Space}));
    EXPECT_TRUE(store->clips().isEmpty());
    EXPECT_FALSE(store->playing());
}

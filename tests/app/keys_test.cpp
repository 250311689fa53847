#include "app/window_fixture_support.h"
#include "help/helpwindow.h"
#include "theme/mwui.h"
#include "views/cropframewidget.h"
#include "views/exportqueue.h"
#include "views/inspector.h"
#include "views/rack.h"
#include "views/timeline.h"
#include "views/timelinehandle.h"
#include "views/viewer.h"

#include <QAction>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>

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
        addSource("/videos/talk.mp4", 60);
    }

    QAction* item(const QString& text)
    {
        for (QAction* a : window->menuBar()->findChildren<QAction*>())
            if (a->text() == text)
                return a;
        ADD_FAILURE() << "no item " << text.toStdString();
        return nullptr;
    }
};

TEST_F(KeysTest, PlainKeysActOnTheStore)
{
    showWindow();
    // Key, modifiers, trim focus; then time, In and Out after the key, from
    // time 10, In 8, Out 12 at 25 fps.
    using Arrow =
        std::tuple<Qt::Key, Qt::KeyboardModifiers, std::optional<int>, double, double, double>;
    for (const auto& [key, modifiers, focus, time, in, out] :
         {Arrow{Qt::Key_Right, Qt::NoModifier, std::nullopt, 10.04, 8, 12},
          Arrow{Qt::Key_Left, Qt::ShiftModifier, std::nullopt, 9.6, 8, 12},
          Arrow{Qt::Key_Left, Qt::NoModifier, 0, 7.96, 7.96, 12},
          Arrow{Qt::Key_Right, Qt::ShiftModifier, 1, 12.4, 8, 12.4}}) {
        SCOPED_TRACE(testing::Message() << key << " " << modifiers.toInt());
        CWStoreTestAccess::setMarks(*store, 8, 12);
        store->seek(10);
        store->setTrimFocus(focus);
        press(key, modifiers);
        EXPECT_NEAR(store->time(), time, 1e-9);
        EXPECT_NEAR(store->inMark(), in, 1e-9);
        EXPECT_NEAR(store->outMark(), out, 1e-9);
        EXPECT_EQ(store->trimFocus(), focus);
    }

    store->seek(10);
    type("i");
    store->seek(14);
    type("Ojll");  // upper case acts as lower case
    EXPECT_DOUBLE_EQ(store->inMark(), 10);
    EXPECT_DOUBLE_EQ(store->outMark(), 14);
    EXPECT_DOUBLE_EQ(store->time(), 16);
    press(Qt::Key_Return);
    ASSERT_EQ(store->clips().size(), 1);
    // The keys after Return make the next clip; the one just added keeps its
    // range and shape (they were once written into it).
    store->setSelectedClipID(std::nullopt);
    CWStoreTestAccess::setClips(*store, {});
    store->seek(0);
    type("ill1");
    type("o1");
    press(Qt::Key_Return);
    type("lilllo3");
    press(Qt::Key_Return);
    ASSERT_EQ(store->clips().size(), 2);
    EXPECT_FALSE(store->selectedClipID());
    for (const auto& [i, in, out, aspect] :
         {std::tuple{0, 0.0, 4.0, Aspect::vertical}, {1, 6.0, 12.0, Aspect::portrait}}) {
        EXPECT_DOUBLE_EQ(store->clips()[i].inTime, in) << i;
        EXPECT_DOUBLE_EQ(store->clips()[i].outTime, out) << i;
        EXPECT_EQ(store->clips()[i].aspect, aspect) << i;
    }
    // Held down, Return adds one clip, not one per repeat.
    for (int i = 0; i < 3; ++i) {
        QKeyEvent repeat(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, "\r", true);
        QWidget* focus = QApplication::focusWidget();
        QApplication::sendEvent(focus ? focus : window.get(), &repeat);
    }
    EXPECT_EQ(store->clips().size(), 2);
    store->selectClip(store->clips()[0]);
    for (const auto& [key, aspect] : {std::pair{'4', Aspect::wide},
                                      {'3', Aspect::portrait},
                                      {'2', Aspect::square},
                                      {'1', Aspect::vertical}}) {
        type(QByteArray(1, key));
        EXPECT_EQ(store->aspect(), aspect) << key;
        EXPECT_EQ(store->clips()[0].aspect, aspect) << "the selected clip takes the shape";
    }

    player->calls.clear();
    type("k");  // paused already: nothing starts
    EXPECT_FALSE(player->calls.contains("play"));
    for (const auto& [key, rate] : {std::pair{' ', 1}, {'k', 0}, {'k', 0}, {' ', 1}, {' ', 0}}) {
        type(QByteArray(1, key));
        EXPECT_EQ(player->rate(), rate) << key;
    }

    auto* probe = new KeyProbe(window->findChild<QWidget*>("content"));
    probe->show();
    probe->setFocus();
    store->setTrimFocus(1);
    press(Qt::Key_Escape);
    EXPECT_FALSE(store->trimFocus());
    EXPECT_TRUE(probe->keys.isEmpty()) << "consumed";
    press(Qt::Key_Escape);
    EXPECT_EQ(probe->keys, QList<int>{Qt::Key_Escape}) << "nothing to leave: passed on";
    type("x");
    EXPECT_EQ(probe->keys.size(), 2) << "keys of no command pass on";
    press(Qt::Key_Return);
    EXPECT_EQ(probe->keys.size(), 2) << "handled keys are consumed";
}

TEST_F(KeysTest, KeysLeftToATextFieldTheMenusAnotherWindowOrTheQueue)
{
    showWindow();
    store->addClip();
    store->selectClip(store->clips().first());
    QCoreApplication::processEvents();
    QLineEdit* name = main()->inspector()->nameField();
    const QString before = name->text();
    QTest::mouseClick(name, Qt::LeftButton, {}, name->rect().center());
    name->end(false);
    store->seek(3);
    type(" io1");
    press(Qt::Key_Space);
    press(Qt::Key_Right);
    EXPECT_EQ(store->clips().first().name, before + " io1 ");
    EXPECT_DOUBLE_EQ(store->inMark(), 0);
    EXPECT_DOUBLE_EQ(store->time(), 3);
    EXPECT_FALSE(store->playing());
    EXPECT_EQ(store->aspect(), Aspect::vertical);

    // Ctrl+K is the menu's Add Clip in a text field too, and types nothing.
    press(Qt::Key_K, Qt::ControlModifier);
    EXPECT_EQ(store->clips().size(), 2);
    EXPECT_EQ(store->clips().first().name, before + " io1 ");
    // A read-only field edits nothing: the window's keys work there.
    name->setReadOnly(true);
    type("i");
    EXPECT_DOUBLE_EQ(store->inMark(), 3);
    name->setReadOnly(false);
    // A click on the picture takes the keys back from the field.
    QTest::mouseClick(main()->viewer()->overlay(), Qt::LeftButton, {}, QPoint(4, 4));
    store->seek(5);
    type("o");
    EXPECT_DOUBLE_EQ(store->outMark(), 5);

    // Keys with Ctrl are the menus': Import Videos…, not Set In; nothing for Ctrl+Return.
    press(Qt::Key_I, Qt::ControlModifier);
    EXPECT_EQ(services->panels.size(), 1);
    EXPECT_DOUBLE_EQ(store->inMark(), 3);
    press(Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(store->clips().size(), 2);

    // An alert or a dialog answers Return and Space itself; the window's
    // handler must not add a clip or start playing behind it.
    KeyProbe other;
    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    QTest::keyClick(other.windowHandle(), Qt::Key_Return);
    QTest::keyClick(other.windowHandle(), Qt::Key_Space);
    EXPECT_EQ(other.keys, (QList<int>{Qt::Key_Return, Qt::Key_Space}));
    EXPECT_EQ(store->clips().size(), 2);
    EXPECT_FALSE(store->playing());
    other.close();
    showWindow();

    // While the export queue covers the window its buttons take the keys.
    const ExportRow done{store->clips().first().id, "talk – clip 1.mp4", 1, "Done", std::nullopt};
    CWStoreTestAccess::setExport(*store, {done}, false);
    QCoreApplication::processEvents();
    ASSERT_TRUE(main()->exportQueue()->isVisible());
    store->seek(7);
    type("io3");
    EXPECT_DOUBLE_EQ(store->inMark(), 3);
    EXPECT_EQ(store->aspect(), Aspect::vertical);
    // Tab never takes the focus behind the backdrop.
    for (const auto modifier : {Qt::NoModifier, Qt::NoModifier, Qt::ShiftModifier}) {
        press(Qt::Key_Tab, modifier);
        EXPECT_TRUE(main()->exportQueue()->isAncestorOf(QApplication::focusWidget()));
    }
    press(Qt::Key_Return);
    EXPECT_EQ(store->clips().size(), 2);
    EXPECT_FALSE(main()->exportQueue()->isVisible());
    type("i");  // closed, the keys edit again
    EXPECT_DOUBLE_EQ(store->inMark(), 7);
}

// The menu items reach the same store calls as the keys above; what is theirs
// is the published store, the items without a key and the keys with Ctrl.
TEST_F(KeysTest, MenuItemsActOnThePublishedStoreOnly)
{
    store->seek(4);
    item("Set In")->trigger();
    EXPECT_DOUBLE_EQ(store->inMark(), 0) << "no store is published before the window appears";
    showWindow();
    // Cancel Export without a batch does nothing at all.
    QSignalSpy changed(store, &CWStore::changed);
    item("Cancel Export")->trigger();
    EXPECT_EQ(item("Cancel Export")->shortcut(), QKeySequence(QStringLiteral("Ctrl+.")));
    EXPECT_EQ(changed.count(), 0);
    EXPECT_EQ(services->beeps + services->alerts.size(), 0);

    item("Set In")->trigger();
    store->seek(9);
    item("Set Out")->trigger();
    item("Add Clip")->trigger();
    ASSERT_EQ(store->clips().size(), 1);
    EXPECT_DOUBLE_EQ(store->clips()[0].inTime, 4);
    EXPECT_DOUBLE_EQ(store->clips()[0].outTime, 9);
    item("Aspect 4:5 — Instagram / Facebook feed")->trigger();
    EXPECT_EQ(store->aspect(), Aspect::portrait);
    store->setZoom(2);
    item("Reset Frame")->trigger();
    EXPECT_DOUBLE_EQ(store->zoom(), 1);
    press(Qt::Key_E, Qt::ControlModifier);  // Export All Clips…
    EXPECT_EQ(services->panels.size(), 1);  // the folder panel; answered with none
    EXPECT_FALSE(store->exporting());
    press(Qt::Key_Q, Qt::ControlModifier);
    EXPECT_EQ(terminated, 1);
}

// The zoom, Help and Quit are the program's, not the main window's: they work
// from the help window too. F10 opens the menus and the arrows walk them
// without reaching the player behind.
TEST_F(KeysTest, ProgramKeysWorkInEveryWindowAndTheMenuBarWalksFromTheKeyboard)
{
    showWindow();
    press(Qt::Key_F1);
    QWidget* help = MWHelpWindow::window();
    ASSERT_TRUE(help && help->isVisible());
    help->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(help));
    const double before = MWUI::shared()->zoom();
    QTest::keyClick(help->windowHandle(), Qt::Key_Equal, Qt::ControlModifier);
    EXPECT_GT(MWUI::shared()->zoom(), before);
    QTest::keyClick(help->windowHandle(), Qt::Key_0, Qt::ControlModifier);
    EXPECT_DOUBLE_EQ(MWUI::shared()->zoom(), 1.0);
    help->showMinimized();
    press(Qt::Key_F1);  // chosen again, the minimised window comes back
    EXPECT_FALSE(help->windowState() & Qt::WindowMinimized);
    QTest::keyClick(help->windowHandle(), Qt::Key_Q, Qt::ControlModifier);
    EXPECT_EQ(terminated, 1);
    help->close();

    showWindow();
    store->seek(10);
    press(Qt::Key_F10);
    const auto openMenu = [] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        return menu ? menu->title() : QString();
    };
    EXPECT_EQ(openMenu(), "File");
    QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_Right);
    EXPECT_EQ(openMenu(), "Edit");
    QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_Escape);
    press(Qt::Key_Right);  // the menu bar's, not a frame step
    press(Qt::Key_Space);
    EXPECT_DOUBLE_EQ(store->time(), 10);
    EXPECT_FALSE(store->playing());
    for (QWidget* popup = QApplication::activePopupWidget(); popup;
         popup = QApplication::activePopupWidget())
        popup->close();
}

TEST_F(KeysTest, AFocusedChipOrTrimHandleTakesItsOwnKeysAndLeavesTheRest)
{
    showWindow();
    const QUuid source = store->sources().first().id;
    const Clip a = storetest::clipOf(source, "a", 0, 4), b = storetest::clipOf(source, "b", 5, 9);
    CWStoreTestAccess::setClips(*store, {a, b});
    QCoreApplication::processEvents();
    const QList<CWRackChip*> chips = main()->findChild<CWRack*>()->chips();
    ASSERT_EQ(chips.size(), 2);

    // On a chip the arrows walk the chips and Return chooses one: no step of
    // the playhead, no new clip. Letters are still the window's.
    store->seek(10);
    chips[0]->setFocus(Qt::TabFocusReason);
    press(Qt::Key_Right);
    EXPECT_TRUE(chips[1]->hasFocus());
    EXPECT_DOUBLE_EQ(store->time(), 10);
    press(Qt::Key_Return);
    EXPECT_EQ(store->selectedClipID(), b.id);
    EXPECT_EQ(store->clips().size(), 2);
    type("l");
    EXPECT_DOUBLE_EQ(store->time(), b.inTime + 2);

    // A focused handle nudges its mark even after Escape let go of the trim focus.
    CWTrimHandle* out = main()->findChild<CWTimeline*>()->outHandle();
    out->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(store->trimFocus(), 1);
    press(Qt::Key_Escape);
    EXPECT_EQ(store->trimFocus(), std::nullopt);
    press(Qt::Key_Right);
    EXPECT_NEAR(store->outMark(), 9.04, 1e-9);
    EXPECT_EQ(store->trimFocus(), 1);
    press(Qt::Key_Space);  // not the handle's: plays, as everywhere else
    EXPECT_NE(player->rate(), 0);
}

// P sets a frame point at the playhead, Shift+P takes the nearest away, and
// [ and ] go from point to point of the selected clip; the Clip menu does the same.
TEST_F(KeysTest, FramePointKeysAndItems)
{
    showWindow();
    CWStoreTestAccess::setClips(*store,
                                {storetest::clipOf(*store->currentSourceID(), "Talk", 10, 30)});
    store->selectClip(store->clips()[0]);
    const auto times = [this] {
        QList<double> list;
        for (const FramePoint& p : store->clips()[0].points)
            list << p.time;
        return list;
    };
    store->seek(14);
    press(Qt::Key_P);
    store->seek(22);
    type("p");
    EXPECT_EQ(times(), QList<double>({10, 14, 22}));
    type("[[");
    EXPECT_DOUBLE_EQ(store->time(), 10);
    type("]");
    EXPECT_DOUBLE_EQ(store->time(), 14);
    press(Qt::Key_P, Qt::ShiftModifier);
    EXPECT_EQ(times(), QList<double>({10, 22}));
    EXPECT_EQ(services->beeps, 0);

    item("Next Frame Point")->trigger();
    EXPECT_DOUBLE_EQ(store->time(), 22);
    item("Remove Frame Point")->trigger();
    item("Previous Frame Point")->trigger();
    EXPECT_DOUBLE_EQ(store->time(), 10);
    store->seek(18);
    item("Add Frame Point")->trigger();
    EXPECT_EQ(times(), QList<double>({10, 18}));

    // Typed into the clip's name, they are letters.
    QLineEdit* name = main()->inspector()->nameField();
    QTest::mouseClick(name, Qt::LeftButton, {}, name->rect().center());
    name->end(false);
    type("p[");
    EXPECT_EQ(times(), QList<double>({10, 18}));
    EXPECT_TRUE(store->clips()[0].name.endsWith("p["));
}

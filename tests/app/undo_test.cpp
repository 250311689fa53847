#include "app/window_fixture_support.h"
#include "views/cropframewidget.h"
#include "views/inspector.h"
#include "views/viewer.h"

#include <QAction>
#include <QLineEdit>
#include <QMenuBar>

namespace {

class UndoKeysTest : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        CWStoreTestAccess::setRestoreStarted(*store, true);
        addSource("/videos/talk.mp4", 60);
        showWindow();
    }

    QAction* undoItem() { return window->menuBar()->findChild<QAction*>("undoItem"); }
    QAction* redoItem() { return window->menuBar()->findChild<QAction*>("redoItem"); }
    // "text|enabled" of both items, as the Edit menu shows them.
    QString editMenu()
    {
        const auto row = [](const QAction* a) {
            return a->text() + (a->isEnabled() ? "" : " (off)");
        };
        return row(undoItem()) + " | " + row(redoItem());
    }
};

}  // namespace

// The Edit menu's items say what they would take back, and its keys (Ctrl+Z,
// Ctrl+Shift+Z and Ctrl+Y) reach them from the window.
TEST_F(UndoKeysTest, EditMenuSaysWhatItTakesBack)
{
    EXPECT_EQ(editMenu(), "Undo (off) | Redo (off)");

    store->seek(4);
    type("i");
    store->seek(9);
    type("o");
    press(Qt::Key_Return);
    EXPECT_EQ(editMenu(), "Undo Add Clip | Redo (off)");
    const Clip clip = store->clips().first();
    store->selectClip(clip);
    store->deleteClip(clip.id);
    EXPECT_EQ(editMenu(), "Undo Delete Clip | Redo (off)");

    press(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(store->clips(), QList<Clip>{clip});
    EXPECT_EQ(store->selectedClip(), nullptr) << "the clip comes back unselected";
    EXPECT_EQ(editMenu(), "Undo Add Clip | Redo Delete Clip");
    press(Qt::Key_Y, Qt::ControlModifier);
    EXPECT_TRUE(store->clips().isEmpty());
    press(Qt::Key_Z, Qt::ControlModifier);
    press(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(editMenu(), "Undo (off) | Redo Add Clip");
    EXPECT_TRUE(store->clips().isEmpty());
    press(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(store->clips(), QList<Clip>{clip});
    EXPECT_EQ(editMenu(), "Undo Add Clip | Redo Delete Clip");

    // The menu's items act on the published store, like every other item.
    redoItem()->trigger();
    EXPECT_TRUE(store->clips().isEmpty());
    undoItem()->trigger();
    EXPECT_EQ(store->clips().size(), 1);
}

// In the clip's name field the undo keys are the field's own: they take back
// the typing there, never a clip behind it. Once the field is left, its whole
// run of typing is one step of the window's Undo.
TEST_F(UndoKeysTest, UndoKeysInTheNameFieldAreTheFieldsOwn)
{
    store->seek(4);
    store->addClip();
    store->addClip();
    const Clip clip = store->clips().first();
    store->deleteClip(store->clips().last().id);
    store->selectClip(clip);
    QCoreApplication::processEvents();
    QLineEdit* name = main()->inspector()->nameField();
    ASSERT_TRUE(name->isVisible());
    QTest::mouseClick(name, Qt::LeftButton, {}, name->rect().center());
    name->end(false);
    type(" one");
    ASSERT_EQ(storetest::clipNames(store->clips()), QStringList{clip.name + " one"});
    EXPECT_EQ(undoItem()->text(), "Undo Rename Clip");

    press(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(name->text(), clip.name) << "the field's own undo";
    EXPECT_EQ(storetest::clipNames(store->clips()), QStringList{clip.name})
        << "the store follows the field";
    EXPECT_EQ(undoItem()->text(), "Undo Delete Clip") << "typed back: no step left";
    press(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(name->text(), clip.name + " one");
    press(Qt::Key_Z, Qt::ControlModifier);
    press(Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(name->text(), clip.name + " one") << "Ctrl+Y redoes in the field too";
    EXPECT_EQ(store->clips().size(), 1) << "the deleted clip stays deleted";

    type("!");
    EXPECT_EQ(storetest::clipNames(store->clips()), QStringList{clip.name + " one!"});
    // Leaving the field: Ctrl+Z is the window's again, and the run is one step.
    QTest::mouseClick(main()->viewer()->overlay(), Qt::LeftButton, {}, QPoint(4, 4));
    ASSERT_NE(QApplication::focusWidget(), name);
    press(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(storetest::clipNames(store->clips()), QStringList{clip.name});
    QCoreApplication::processEvents();
    EXPECT_EQ(name->text(), clip.name) << "the field shows the name taken back";
    press(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(store->clips().size(), 2);
}

// A drag of the frame with the mouse is one step, however many moves it
// makes; Ctrl+Z puts the selected clip's frame back and the viewer with it.
TEST_F(UndoKeysTest, AFrameDragIsOneStep)
{
    store->addClip();
    const Clip clip = store->clips().first();
    store->selectClip(clip);
    CWCropOverlay* overlay = main()->viewer()->overlay();
    QCoreApplication::processEvents();
    const QPoint from = overlay->geometry().frame.center().toPoint();
    QTest::mousePress(overlay, Qt::LeftButton, {}, from);
    for (int i = 1; i <= 8; ++i)
        QTest::mouseMove(overlay, from + QPoint(8 * i, 0));
    QTest::mouseRelease(overlay, Qt::LeftButton, {}, from + QPoint(64, 0));
    ASSERT_GT(store->clips().first().centerX, 0.5);
    EXPECT_EQ(undoItem()->text(), "Undo Move Frame");

    press(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(store->clips().first(), clip);
    EXPECT_DOUBLE_EQ(store->centerX(), 0.5) << "the viewer's frame follows";
    EXPECT_EQ(overlay->geometry().frame.center().toPoint(), from);
    EXPECT_EQ(undoItem()->text(), "Undo Add Clip");
    EXPECT_EQ(redoItem()->text(), "Redo Move Frame");
}

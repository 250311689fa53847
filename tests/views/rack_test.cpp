#include "theme/text.h"
#include "views/rack.h"
#include "views/views_support.h"

#include <QLabel>
#include <QScrollArea>
#include <QScrollBar>
#include <QWheelEvent>

namespace {
class RackTest : public ViewTest<CWRack, 700, 40> {
protected:
    void prepare() override { source = addSource("/videos/talk.mp4", 600); }
    Clip clip(const QString& name, double in, double out)
    {
        return storetest::clipOf(source.id, name, in, out, Aspect::vertical);
    }
    void setClips(const QList<Clip>& clips) { CWStoreTestAccess::setClips(*store, clips); }
    QStringList names() const
    {
        QStringList out;
        for (CWRackChip* chip : view->chips())
            out << QString::number(chip->number()) + " " + chip->clip().name;
        return out;
    }

    CWSource source;
};
}  // namespace

// The chips are a list of items the mouse, the keyboard and a screen reader
// select and delete.
TEST_F(RackTest, ChipsSelectDeleteRenumberScrollAndKeepLongNamesInTheirColumn)
{
    EXPECT_TRUE(view->hint()->isVisible());
    const Clip a = clip("Opening", 0, 5), b = clip("Middle", 10, 14), c = clip("End", 30, 42);
    setClips({a, b, c});
    ASSERT_EQ(names(), QStringList({"1 Opening", "2 Middle", "3 End"}));
    EXPECT_FALSE(view->hint()->isVisible());
    view->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(view.get()));
    const QList<CWRackChip*> chips = view->chips();

    QAccessibleInterface* item = a11y(chips[1]);
    ASSERT_TRUE(item);
    EXPECT_EQ(item->role(), QAccessible::ListItem);
    EXPECT_EQ(item->text(QAccessible::Name), "Clip 2, Middle, 9:16, 0:04.0");
    ASSERT_TRUE(item->parent());
    EXPECT_EQ(item->parent()->role(), QAccessible::List);
    EXPECT_EQ(item->parent()->text(QAccessible::Name), "Clips");
    EXPECT_FALSE(item->state().selected);
    ASSERT_TRUE(item->actionInterface());
    item->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(store->selectedClipID(), b.id);
    EXPECT_TRUE(item->state().selected);
    click(chips[0]);
    EXPECT_EQ(store->selectedClipID(), a.id);
    EXPECT_TRUE(chips[0]->selected());
    EXPECT_FALSE(chips[1]->selected());

    // Tab reaches the selected chip only; the arrows, Home and End walk the rest.
    EXPECT_EQ(view->tabStop(), chips[0]);
    EXPECT_EQ(chips[1]->focusPolicy(), Qt::NoFocus);
    chips[0]->setFocus(Qt::TabFocusReason);
    QTest::keyClick(chips[0], Qt::Key_Right);
    EXPECT_TRUE(chips[1]->hasFocus());
    EXPECT_EQ(view->tabStop(), chips[1]);
    QTest::keyClick(chips[1], Qt::Key_End);
    QTest::keyClick(chips[2], Qt::Key_Right);  // stays at the end
    EXPECT_TRUE(chips[2]->hasFocus());
    QTest::keyClick(chips[2], Qt::Key_Space);
    EXPECT_EQ(store->selectedClipID(), c.id);
    QTest::keyClick(chips[2], Qt::Key_Home);
    QTest::keyClick(chips[0], Qt::Key_Right);
    QTest::keyClick(chips[1], Qt::Key_Return);
    EXPECT_EQ(store->selectedClipID(), b.id);

    // Delete removes the focused (and selected) chip's clip, and the keyboard
    // stays in the row; the ✕ deletes its clip only, and so does a screen
    // reader's delete. The later chips move up.
    QTest::keyClick(chips[1], Qt::Key_Delete);
    QCoreApplication::processEvents();
    ASSERT_EQ(names(), QStringList({"1 Opening", "2 End"}));
    EXPECT_TRUE(view->chips()[1]->hasFocus());
    EXPECT_FALSE(view->chips()[0]->selected() || view->chips()[1]->selected());
    click(view->chips()[0], view->chips()[0]->closeRect().center());
    ASSERT_EQ(names(), QStringList({"1 End"}));
    a11y(view->chips()[0])->actionInterface()->doAction("Delete clip");
    EXPECT_TRUE(store->clips().isEmpty());

    // Many chips scroll, a plain wheel turn sideways, while the caption stays.
    QList<Clip> many;
    for (int i = 0; i < 30; ++i)
        many << clip(QString("Clip %1").arg(i + 1), i, i + 3);
    setClips(many);
    QScrollBar* bar = view->scrollArea()->horizontalScrollBar();
    ASSERT_TRUE(testutil::waitUntil([&] { return bar->maximum() > 0; }, 5000));
    const QPoint caption = view->caption()->pos();
    QWidget* viewport = view->scrollArea()->viewport();
    QWheelEvent wheel(QPointF(10, 10), viewport->mapToGlobal(QPointF(10, 10)), {}, {0, -120},
                      Qt::NoButton, {}, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(viewport, &wheel);
    EXPECT_GT(bar->value(), 0);
    bar->setValue(bar->maximum());
    QCoreApplication::processEvents();
    EXPECT_EQ(view->caption()->pos(), caption);
    EXPECT_LT(view->chips().first()->mapTo(view.get(), QPoint(0, 0)).x(), 0);

    // Chips show shape and length; long names stay in their column.
    Clip chip = clip("x", 10, 22.57);
    EXPECT_EQ(CWRackChip::info(chip), "9:16 · 0:12.5");
    chip.aspect = Aspect::wide;
    chip.outTime = 4;  // never a negative length
    EXPECT_EQ(CWRackChip::info(chip), "16:9 · 0:00.0");

    MWUI::shared()->setZoom(1.5);
    setClips({clip(QString(200, 'W'), 0, 5), clip("Short", 0, 5)});
    const int most = qCeil((8 + 18 + 6 + 150 + 6 + 12 + 8) * 1.5) + 1;
    EXPECT_LE(view->chips()[0]->sizeHint().width(), most);
    EXPECT_LT(view->chips()[1]->sizeHint().width(), view->chips()[0]->sizeHint().width());
}

TEST_F(RackTest, AChangeToOneClipTouchesOnlyItsChipAndTheLayoutMovesOnlyForOrder)
{
    QList<Clip> clips;
    for (int i = 0; i < 40; ++i)
        clips << clip(QString("Interview – clip %1").arg(i + 1), i * 5, i * 5 + 4);
    setClips(clips);
    store->selectClip(clips[1]);
    const QList<CWRackChip*> chips = view->chips();
    PaintCount count;
    for (CWRackChip* chip : chips)
        chip->installEventFilter(&count);
    QCoreApplication::processEvents();
    count.paints.clear();

    // The frame of the selected clip moves at every step of a drag: no chip
    // is made again and none is drawn again, as none shows the frame.
    for (int i = 1; i <= 10; ++i)
        store->setCenterX(0.5 - i * 0.01);
    ASSERT_NE(store->clips()[1].centerX, 0.5);
    QCoreApplication::processEvents();
    EXPECT_EQ(view->chips(), chips);
    EXPECT_TRUE(count.paints.isEmpty());

    // A trim of the selected clip redraws its chip only, with its new length.
    store->setOut(7.5);
    QCoreApplication::processEvents();
    EXPECT_EQ(view->chips(), chips);
    EXPECT_EQ(count.paints.keys(), QList<QObject*>{chips[1]});
    EXPECT_EQ(chips[1]->accessibleName(), "Clip 2, Interview – clip 2, 9:16, 0:02.5");

    // A deleted clip takes its chip along; the others stay and renumber.
    store->deleteClip(clips[2].id);
    QList<CWRackChip*> left = chips;
    left.removeAt(2);
    EXPECT_EQ(view->chips(), left);
    EXPECT_EQ(left[2]->number(), 3);
    EXPECT_EQ(left[2]->clip().name, "Interview – clip 4");

    // A new order moves the chips in the row without making them again.
    QList<Clip> reversed = store->clips();
    std::reverse(reversed.begin(), reversed.end());
    setClips(reversed);
    QCoreApplication::processEvents();
    std::reverse(left.begin(), left.end());
    EXPECT_EQ(view->chips(), left);
    for (qsizetype i = 1; i < left.size(); ++i)
        EXPECT_GT(left[i]->x(), left[i - 1]->x()) << i;
    EXPECT_EQ(left.first()->number(), 1);
    EXPECT_EQ(left.first()->clip().name, "Interview – clip 40");
}

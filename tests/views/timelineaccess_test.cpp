#include "views/timeline.h"
#include "views/timelinegeometry.h"
#include "views/timelinehandle.h"
#include "views/timelinetrack.h"
#include "views/views_support.h"

namespace {
class TimelineAccessTest : public ViewTest<CWTimeline, 700, 220> {
protected:
    void prepare() override
    {
        source = addSource("a.mp4", 100);
        store->select(source.id);
        store->setOut(30);
        store->setIn(10);
    }
    CWSource source;
};
}  // namespace

TEST_F(TimelineAccessTest, HandlesAreSlidersTheKeyboardNudgesAndBarsAreButtons)
{
    view->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(view.get()));
    CWTimelineTrack* track = view->track();
    CWTrimHandle* in = view->inHandle();
    CWTrimHandle* out = view->outHandle();

    // Each lies on the handle the track draws, yet a press there is the track's.
    const TrimMath::Track t = TimelineGeometry::track(track->width(), 100, 1);
    EXPECT_EQ(in->geometry(),
              TimelineGeometry::handleRect(true, t.x(10), track->height(), 1).toAlignedRect());
    const QPoint grip = out->geometry().center();
    QTest::mousePress(view->windowHandle(), Qt::LeftButton, {}, track->mapTo(view.get(), grip));
    EXPECT_EQ(track->held(), TrimMath::Grab::outHandle);
    QTest::mouseRelease(view->windowHandle(), Qt::LeftButton, {}, track->mapTo(view.get(), grip));
    store->setTrimFocus(std::nullopt);

    QAccessibleInterface* slider = a11y(in);
    ASSERT_TRUE(slider);
    EXPECT_EQ(slider->role(), QAccessible::Slider);
    EXPECT_EQ(slider->text(QAccessible::Name), "In point 0:10.0");
    ASSERT_TRUE(slider->valueInterface());
    EXPECT_DOUBLE_EQ(slider->valueInterface()->currentValue().toDouble(), 10);
    EXPECT_DOUBLE_EQ(slider->valueInterface()->maximumValue().toDouble(), 100);
    EXPECT_DOUBLE_EQ(slider->valueInterface()->minimumStepSize().toDouble(), 0.04);
    EXPECT_FALSE(slider->state().selected);

    // Tab gives a handle the arrow keys; they nudge by a frame, ten with Shift.
    out->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(store->trimFocus(), 1);
    EXPECT_TRUE(a11y(out)->state().selected);
    QTest::keyClick(out, Qt::Key_Right);
    EXPECT_NEAR(store->outMark(), 30.04, 1e-9);
    QTest::keyClick(out, Qt::Key_Left, Qt::ShiftModifier);
    EXPECT_NEAR(store->outMark(), 29.64, 1e-9);
    EXPECT_EQ(a11y(out)->text(QAccessible::Name), "Out point 0:29.6");

    // A screen reader sets the value outright; the In handle takes the arrows.
    slider->valueInterface()->setCurrentValue(12.0);
    EXPECT_DOUBLE_EQ(store->inMark(), 12);
    EXPECT_EQ(slider->text(QAccessible::Name), "In point 0:12.0");
    EXPECT_EQ(store->trimFocus(), 0);
    EXPECT_TRUE(slider->state().selected);
    EXPECT_FALSE(a11y(out)->state().selected);

    // The bars of this video are buttons named like their chips; a press selects.
    const Clip a{QUuid::createUuid(), source.id, "Opening", 40, 45, Aspect::square};
    const Clip elsewhere{QUuid::createUuid(), QUuid::createUuid(), "Other", 0, 5};
    const Clip b{QUuid::createUuid(), source.id, "Close", 60, 64, Aspect::wide};
    CWStoreTestAccess::setClips(*store, {a, elsewhere, b});
    QAccessibleInterface* trackAccess = a11y(track);
    ASSERT_EQ(trackAccess->childCount(), 4);  // two handles, two bars
    QAccessibleInterface* bar = trackAccess->child(3);
    ASSERT_TRUE(bar);
    EXPECT_EQ(bar->role(), QAccessible::Button);
    EXPECT_EQ(bar->text(QAccessible::Name), "Clip 3, Close, 16:9, 0:04.0");
    EXPECT_EQ(trackAccess->indexOfChild(bar), 3);
    EXPECT_EQ(trackAccess->childAt(bar->rect().center().x(), bar->rect().center().y()), bar);
    EXPECT_FALSE(bar->state().selected);
    bar->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(store->selectedClipID(), b.id);
    EXPECT_TRUE(bar->state().selected);

    // The marks are drawn only: their times and kinds are in the description.
    EXPECT_EQ(bar->text(QAccessible::Description), "From 1:00.0 to 1:04.0");
    store->seek(62);
    store->setCenterX(0.2);
    store->setPointCut(1, true);
    EXPECT_EQ(bar->text(QAccessible::Description),
              "From 1:00.0 to 1:04.0; frame points at 1:00.0 glide, 1:02.0 cut");
    // Each mark is a button after the bars, with its menu's actions.
    ASSERT_EQ(trackAccess->childCount(), 6);
    QAccessibleInterface* mark = trackAccess->child(5);
    ASSERT_TRUE(mark);
    EXPECT_EQ(mark->text(QAccessible::Name), "Frame point 2, 1:02.0, cut");
    EXPECT_EQ(trackAccess->childAt(mark->rect().center().x(), mark->rect().center().y()), mark);
    mark->actionInterface()->doAction("Glide");
    EXPECT_FALSE(store->clips()[2].points[1].cut);
    store->seek(63);
    mark->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_DOUBLE_EQ(store->time(), 62);
    mark->actionInterface()->doAction("Remove");
    EXPECT_FALSE(mark->isValid());
    EXPECT_EQ(trackAccess->childCount(), 5);

    // A bar whose clip is gone is no longer there.
    store->deleteClip(b.id);
    EXPECT_FALSE(bar->isValid());
    EXPECT_EQ(trackAccess->childCount(), 3);
}

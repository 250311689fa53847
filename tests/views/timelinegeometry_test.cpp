#include "views/timelinegeometry.h"

#include <gtest/gtest.h>

using TimelineGeometry::chooseGrab;
using TrimMath::Grab;

TEST(TimelineGeometry, RulerStepsFollowTheSourceLength)
{
    // Ten minutes exactly ends on a tick at 10:00; a second more does not.
    const struct {
        double duration, step;
        int ticks;
        double last;
    } cases[] = {{30, 1, 31, 30},    {45, 5, 10, 45},    {120, 5, 25, 120},
                 {600, 15, 41, 600}, {601, 60, 11, 600}, {0, 1, 0, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.duration);
        EXPECT_EQ(TimelineGeometry::rulerStep(c.duration), c.step);
        const QVector<double> ticks = TimelineGeometry::rulerTicks(c.duration);
        ASSERT_EQ(ticks.size(), c.ticks);
        EXPECT_EQ(ticks.value(c.ticks - 1), c.last);
    }
}

TEST(TimelineGeometry, GrabAndCursorFollowZonesBandAndMidpoint)
{
    const struct {
        const char* what;
        bool source;
        QPointF press;
        double xIn, xOut, zoom;
        Grab grab;
    } cases[] = {
        {"In zone's outer edge", true, {80, 40}, 100, 300, 1, Grab::inHandle},
        {"just outside the In zone", true, {79.5, 40}, 100, 300, 1, Grab::playhead},
        {"In zone's inner tolerance", true, {106, 40}, 100, 300, 1, Grab::inHandle},
        {"Out zone's outer edge", true, {320, 40}, 100, 300, 1, Grab::outHandle},
        {"lower fifth under In", true, {95, 80}, 100, 300, 1, Grab::playhead},
        {"just above the band", true, {95, 79.9}, 100, 300, 1, Grab::inHandle},
        {"no source", false, {95, 40}, 100, 300, 1, Grab::playhead},
        {"overlap, right of midpoint", true, {105.5, 40}, 100, 110, 1, Grab::outHandle},
        {"overlap, left of midpoint", true, {104.5, 40}, 100, 110, 1, Grab::inHandle},
        {"overlap, on the midpoint", true, {105, 40}, 100, 110, 1, Grab::inHandle},
        {"zones scale with zoom", true, {73, 40}, 100, 300, 1.5, Grab::inHandle},
    };
    for (const auto& c : cases)
        EXPECT_EQ(chooseGrab(c.source, c.press, 100, c.xIn, c.xOut, c.zoom), c.grab) << c.what;

    // Cursor zones cover the grab zones from 10 points down to 80, never
    // into the clip-bar band.
    const TimelineGeometry::Zone in = TimelineGeometry::inZone(200, 1.5);
    EXPECT_EQ(TimelineGeometry::cursorZone(true, 200, 100, 1.5),
              QRectF(in.from, 10, in.to - in.from, 70));
    const TimelineGeometry::Zone out = TimelineGeometry::outZone(300, 1.5);
    EXPECT_EQ(TimelineGeometry::cursorZone(false, 300, 100, 1.5),
              QRectF(out.from, 10, out.to - out.from, 70));
}

TEST(TimelineGeometry, TrackMapsBarsHandlesDragsAndLabelsWithoutDrift)
{
    // 1000 points of track (inset 14 at 100 %) over 100 s: clip bars keep a
    // three-point minimum.
    const TrimMath::Track wide = TimelineGeometry::track(1028, 100, 1.0);
    EXPECT_EQ(TimelineGeometry::clipBar(wide, 10, 10.1, 100), QRectF(wide.x(10), 82, 3, 12));
    EXPECT_DOUBLE_EQ(TimelineGeometry::clipBar(wide, 10, 20, 100).width(), 100);
    EXPECT_EQ(TimelineGeometry::handleRect(true, 100, 100, 1.0), QRectF(86, 10, 14, 70));
    // Never under 20 points high.
    EXPECT_EQ(TimelineGeometry::handleRect(false, 100, 20, 1.0), QRectF(100, 2, 14, 20));

    const TrimMath::Track track = TimelineGeometry::track(628, 60, 1.0);  // 600 usable
    EXPECT_DOUBLE_EQ(TimelineGeometry::draggedTime(10, 100, track), 20);
    EXPECT_DOUBLE_EQ(TimelineGeometry::draggedTime(10, -100, track), 0);
    // A track narrower than its insets still maps (over one point).
    const TrimMath::Track narrow = TimelineGeometry::track(20, 60, 1.0);
    EXPECT_DOUBLE_EQ(TimelineGeometry::draggedTime(0, 1, narrow), 60);

    // The drag label stays inside the track.
    const struct {
        Grab grab;
        double xIn, xOut, zoom, left;
    } cases[] = {
        {Grab::inHandle, 100, 300, 1.0, 104},            // right of In
        {Grab::outHandle, 100, 300, 1.0, 300 - 4 - 92},  // left of Out
        {Grab::inHandle, 580, 586, 1.5, 600 - 138},      // In near the right edge, at 150 %
        {Grab::outHandle, 10, 20, 10.0, 0},              // label wider than the track
    };
    for (const auto& c : cases) {
        const QRectF r = TimelineGeometry::labelRect(c.grab, c.xIn, c.xOut, 600, 100, c.zoom);
        EXPECT_EQ(r, QRectF(c.left, 40 - 8 * c.zoom, 92 * c.zoom, r.height())) << c.xIn;
    }
}

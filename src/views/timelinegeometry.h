#pragma once

#include "model/trimmath.h"

#include <QPointF>
#include <QRectF>
#include <QVector>

// Where everything on the timeline's track sits, as pure functions of the
// track's size, the marks and the interface zoom, so the view and its tests
// agree on every point.
namespace TimelineGeometry {

// The margin at each end of the track where time 0 and the end sit.
double inset(double zoom);
// The track of width w over a source of duration seconds.
TrimMath::Track track(double width, double duration, double zoom);

// Seconds between ruler ticks for a source of that duration.
double rulerStep(double duration);
// Times of the ruler's ticks: 0, step, 2·step… up to and including duration.
QVector<double> rulerTicks(double duration);

// A clip's bar in a track of height h: at least 3 points wide so a short clip
// stays visible and clickable.
QRectF clipBar(const TrimMath::Track& track, double inTime, double outTime, double height);

// A frame point's mark on its clip's bar: a diamond's box centred on the
// bar at the point's time, large enough to grab at 100 %.
QRectF pointMark(const TrimMath::Track& track, double time, double height, double zoom);

// The In handle hangs left of xIn, the Out handle right of xOut.
QRectF handleRect(bool left, double x, double height, double zoom);

// The horizontal extent a press grabs a handle in: the handle plus a tolerance
// on both sides.
struct Zone {
    double from = 0;
    double to = 0;
    bool contains(double x) const { return x >= from && x <= to; }
};
Zone inZone(double xIn, double zoom);
Zone outZone(double xOut, double zoom);
// The rectangle over which the pointer shows the resize cursor for a handle.
QRectF cursorZone(bool left, double x, double height, double zoom);

// What a press at press grabs on a track of height h. The clip-bar band (the
// lower fifth) and a track without a source only ever move the playhead; when
// the zones overlap the side of their midpoint decides.
TrimMath::Grab chooseGrab(bool hasSource, QPointF press, double height, double xIn, double xOut,
                          double zoom);

// The handle's time after a drag by translation points, from the time it had
// when grabbed; the store clamps the result.
double draggedTime(double grabStart, double translation, const TrimMath::Track& track);

// The drag time label's box, kept inside the track.
QRectF labelRect(TrimMath::Grab grab, double xIn, double xOut, double width, double height,
                 double zoom);

}  // namespace TimelineGeometry

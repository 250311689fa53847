#include "views/timelinegeometry.h"

#include <algorithm>
#include <cmath>

namespace TimelineGeometry {

namespace {
constexpr double kHandleWidth = 14;
constexpr double kTolerance = 6;
constexpr double kLabelWidth = 92;
constexpr double kLabelHeight = 16;
}  // namespace

double inset(double zoom)
{
    return 14 * zoom;
}

TrimMath::Track track(double width, double duration, double zoom)
{
    return TrimMath::Track{width, inset(zoom), duration};
}

double rulerStep(double duration)
{
    if (duration <= 30)
        return 1;
    if (duration <= 120)
        return 5;
    if (duration <= 600)
        return 15;
    return 60;
}

QVector<double> rulerTicks(double duration)
{
    QVector<double> ticks;
    if (!(duration > 0) || !std::isfinite(duration))
        return ticks;
    const double step = rulerStep(duration);
    // Counting steps rather than adding them keeps the last tick exact.
    for (int i = 0; i * step <= duration; ++i)
        ticks.append(i * step);
    return ticks;
}

QRectF clipBar(const TrimMath::Track& track, double inTime, double outTime, double height)
{
    const double x = track.x(inTime);
    const double w = std::max(track.x(outTime) - x, 3.0);
    return QRectF(x, 0.82 * height, w, 0.12 * height);
}

QRectF pointMark(const TrimMath::Track& track, double time, double height, double zoom)
{
    const QRectF bar = clipBar(track, time, time, height);
    const double side = std::max(bar.height() + 4 * zoom, 9 * zoom);
    return QRectF(track.x(time) - side / 2, bar.center().y() - side / 2, side, side);
}

QRectF handleRect(bool left, double x, double height, double zoom)
{
    const double w = kHandleWidth * zoom;
    const double h = std::max(0.7 * height, 20 * zoom);
    return QRectF(left ? x - inset(zoom) : x, 0.1 * height, w, h);
}

Zone inZone(double xIn, double zoom)
{
    return Zone{xIn - (kHandleWidth + kTolerance) * zoom, xIn + kTolerance * zoom};
}

Zone outZone(double xOut, double zoom)
{
    return Zone{xOut - kTolerance * zoom, xOut + (kHandleWidth + kTolerance) * zoom};
}

QRectF cursorZone(bool left, double x, double height, double zoom)
{
    const double w = (kHandleWidth + 2 * kTolerance) * zoom;
    const double h = 0.7 * height;
    const double cx = left ? x - 7 * zoom : x + 7 * zoom;
    return QRectF(cx - w / 2, 0.45 * height - h / 2, w, h);
}

TrimMath::Grab chooseGrab(bool hasSource, QPointF press, double height, double xIn, double xOut,
                          double zoom)
{
    using TrimMath::Grab;
    if (!hasSource || press.y() >= 0.8 * height)
        return Grab::playhead;
    const bool onIn = inZone(xIn, zoom).contains(press.x());
    const bool onOut = outZone(xOut, zoom).contains(press.x());
    if (onIn && onOut)
        return press.x() > (xIn + xOut) / 2 ? Grab::outHandle : Grab::inHandle;
    if (onIn)
        return Grab::inHandle;
    if (onOut)
        return Grab::outHandle;
    return Grab::playhead;
}

double draggedTime(double grabStart, double translation, const TrimMath::Track& track)
{
    const double usable = std::max(track.width - 2 * track.inset, 1.0);
    return grabStart + translation / usable * std::max(track.duration, 0.0);
}

QRectF labelRect(TrimMath::Grab grab, double xIn, double xOut, double width, double height,
                 double zoom)
{
    const double w = kLabelWidth * zoom;
    const double left = grab == TrimMath::Grab::inHandle ? xIn + 4 * zoom : xOut - 4 * zoom - w;
    const double x = std::clamp(left, 0.0, std::max(width - w, 0.0));
    return QRectF(x, 0.4 * height - 8 * zoom, w, kLabelHeight * zoom);
}

}  // namespace TimelineGeometry

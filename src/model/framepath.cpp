#include "model/framepath.h"

#include "model/clip.h"

#include <algorithm>
#include <cmath>

namespace FramePath {

namespace {

constexpr double kSameMoment = 1e-3;

// Smoothstep: starts and ends at rest, as a camera operator pans.
double eased(double u)
{
    u = std::clamp(u, 0.0, 1.0);
    return u * u * (3 - 2 * u);
}

Frame frameOf(const FramePoint& p)
{
    return Frame{p.zoom, p.centerX, p.centerY};
}

// The path the points draw, without regard to the clip's range.
Frame along(const std::vector<FramePoint>& points, double t)
{
    if (!(t > points.front().time))
        return frameOf(points.front());
    if (!(t < points.back().time))
        return frameOf(points.back());
    // The first point later than t; the one before it is at or before t.
    const auto next =
        std::upper_bound(points.begin(), points.end(), t,
                         [](double time, const FramePoint& p) { return time < p.time; });
    const FramePoint& a = *(next - 1);
    const FramePoint& b = *next;
    if (b.cut || !(b.time > a.time))
        return frameOf(a);
    const double e = eased((t - a.time) / (b.time - a.time));
    const double zoom = a.zoom * std::pow(b.zoom / a.zoom, e);
    return Frame{zoom, a.centerX + (b.centerX - a.centerX) * e,
                 a.centerY + (b.centerY - a.centerY) * e};
}

bool outside(const std::vector<FramePoint>& points, double in, double out)
{
    return !points.empty() &&
           (points.front().time < in - kSameMoment || points.back().time > out + kSameMoment);
}

}  // namespace

Frame frameAt(const Clip& clip, double t)
{
    if (clip.points.empty())
        return Frame{clip.zoom, clip.centerX, clip.centerY};
    if (outside(clip.points, clip.inTime, clip.outTime))
        return along(within(clip.points, clip.inTime, clip.outTime), t);
    return along(clip.points, t);
}

std::vector<FramePoint> within(const std::vector<FramePoint>& points, double in, double out)
{
    if (!outside(points, in, out) || !(out >= in))
        return points;
    const Frame first = along(points, in);
    const Frame last = along(points, out);
    std::vector<FramePoint> kept{{in, first.centerX, first.centerY, first.zoom, false}};
    for (const FramePoint& p : points) {
        if (p.time > in + kSameMoment && p.time < out - kSameMoment)
            kept.push_back(p);
    }
    if (points.back().time > out - kSameMoment && out - in >= kSameMoment)
        kept.push_back({out, last.centerX, last.centerY, last.zoom, false});
    return kept;
}

std::vector<FramePoint> sanitized(std::vector<FramePoint> points, double in, double out)
{
    if (!std::isfinite(in) || !std::isfinite(out) || out < in)
        return {};
    std::erase_if(points, [](const FramePoint& p) {
        return !std::isfinite(p.time) || !std::isfinite(p.centerX) || !std::isfinite(p.centerY) ||
               !std::isfinite(p.zoom);
    });
    if (points.size() > size_t(kMostPoints))
        points.resize(size_t(kMostPoints));
    for (FramePoint& p : points) {
        p.time = std::clamp(p.time, in, out);
        p.centerX = std::clamp(p.centerX, 0.0, 1.0);
        p.centerY = std::clamp(p.centerY, 0.0, 1.0);
        p.zoom = std::clamp(p.zoom, 1.0, 4.0);
    }
    std::stable_sort(points.begin(), points.end(),
                     [](const FramePoint& a, const FramePoint& b) { return a.time < b.time; });
    std::vector<FramePoint> kept;
    for (const FramePoint& p : points) {
        if (!kept.empty() && p.time - kept.back().time < kSameMoment)
            kept.back() = p;
        else
            kept.push_back(p);
    }
    return kept;
}

int setPoint(std::vector<FramePoint>& points, const FramePoint& point)
{
    for (size_t i = 0; i < points.size(); ++i) {
        if (std::abs(points[i].time - point.time) < kSameMoment) {
            points[i] = point;
            return int(i);
        }
    }
    const auto at =
        std::upper_bound(points.begin(), points.end(), point.time,
                         [](double time, const FramePoint& p) { return time < p.time; });
    const auto index = at - points.begin();
    points.insert(at, point);
    return int(index);
}

void mirrorFirstPoint(Clip& clip)
{
    if (clip.points.empty())
        return;
    const Frame first = frameAt(clip, clip.inTime);
    clip.zoom = first.zoom;
    clip.centerX = first.centerX;
    clip.centerY = first.centerY;
}

}  // namespace FramePath

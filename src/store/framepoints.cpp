// The selected clip's frame points: adding, removing, moving and stepping
// between them, and the shown frame following the playhead through them.
#include "model/framepath.h"
#include "platform/player.h"
#include "platform/services.h"
#include "store/store.h"

#include <algorithm>
#include <cmath>

namespace {
// Two points closer than this are one moment (as FramePath::setPoint counts them).
constexpr double kSameMoment = 1e-3;
}  // namespace

void CWStore::followFrame()
{
    const Clip* clip = selectedClip();
    if (!clip || clip->points.empty() || clip->sourceID != currentSourceID_)
        return;
    const FramePath::Frame f = FramePath::frameAt(*clip, time_);
    if (zoom_ != f.zoom)
        assign(zoom_, f.zoom, Field::zoom);
    if (centerX_ != f.centerX)
        assign(centerX_, f.centerX, Field::centerX);
    if (centerY_ != f.centerY)
        assign(centerY_, f.centerY, Field::centerY);
}

void CWStore::changePoints(const QString& label, const std::function<void(Clip&)>& change)
{
    const qsizetype i = selectedClipID_ ? indexOfClip(*selectedClipID_) : -1;
    if (i < 0) {
        alertSound();
        return;
    }
    // A mark dragged along the bar, or the same key held, is one step.
    const Step step(this, {label, label + selectedClipID_->toString(), CWHistory::Joining::burst});
    updateClip(i, [&](Clip& c) {
        change(c);
        FramePath::mirrorFirstPoint(c);
    });
    followFrame();
}

std::optional<int> CWStore::pointAtPlayhead() const
{
    const Clip* clip = selectedClip();
    if (!clip || clip->sourceID != currentSourceID_)
        return std::nullopt;
    const double within = 0.5 / std::max(currentFrameRate(), 1.0);
    std::optional<int> best;
    for (size_t k = 0; k < clip->points.size(); ++k) {
        const double d = std::abs(clip->points[k].time - time_);
        if (d <= within && (!best || d < std::abs(clip->points[size_t(*best)].time - time_)))
            best = int(k);
    }
    return best;
}

void CWStore::addPoint()
{
    const Clip* clip = selectedClip();
    if (!clip || clip->sourceID != currentSourceID_ || time_ < clip->inTime ||
        time_ > clip->outTime || pointAtPlayhead()) {
        alertSound();
        return;
    }
    const FramePath::Frame f = FramePath::frameAt(*clip, time_);
    const double t = time_;
    changePoints(QStringLiteral("Add Frame Point"), [&](Clip& c) {
        if (c.points.empty())
            c.points.push_back({c.inTime, c.centerX, c.centerY, c.zoom, false});
        FramePath::setPoint(c.points, {t, f.centerX, f.centerY, f.zoom, false});
    });
}

void CWStore::removePoint(int index)
{
    const Clip* clip = selectedClip();
    if (!clip || index < 0 || size_t(index) >= clip->points.size()) {
        alertSound();
        return;
    }
    changePoints(QStringLiteral("Remove Frame Point"),
                 [index](Clip& c) { c.points.erase(c.points.begin() + index); });
}

void CWStore::removePointAtPlayhead()
{
    const Clip* clip = selectedClip();
    if (!clip || clip->points.empty() || clip->sourceID != currentSourceID_) {
        alertSound();
        return;
    }
    const auto nearest = std::min_element(
        clip->points.begin(), clip->points.end(), [this](const FramePoint& a, const FramePoint& b) {
            return std::abs(a.time - time_) < std::abs(b.time - time_);
        });
    removePoint(int(nearest - clip->points.begin()));
}

void CWStore::movePoint(int index, double time)
{
    const Clip* clip = selectedClip();
    if (!clip || index < 0 || size_t(index) >= clip->points.size() || !std::isfinite(time))
        return;
    changePoints(QStringLiteral("Move Frame Point"), [index, time](Clip& c) {
        const size_t k = size_t(index);
        // Never onto or past a neighbour: the points keep their order.
        const double lo = k > 0 ? c.points[k - 1].time + kSameMoment : c.inTime;
        const double hi = k + 1 < c.points.size() ? c.points[k + 1].time - kSameMoment : c.outTime;
        if (lo <= hi)
            c.points[k].time = std::clamp(time, lo, hi);
    });
}

void CWStore::setPointCut(int index, bool cut)
{
    const Clip* clip = selectedClip();
    if (!clip || index < 0 || size_t(index) >= clip->points.size())
        return;
    changePoints(cut ? QStringLiteral("Cut to Frame Point")
                     : QStringLiteral("Glide to Frame Point"),
                 [index, cut](Clip& c) { c.points[size_t(index)].cut = cut; });
}

void CWStore::previousPoint()
{
    const Clip* clip = selectedClip();
    if (clip && clip->sourceID == currentSourceID_) {
        for (auto p = clip->points.rbegin(); p != clip->points.rend(); ++p) {
            if (p->time < time_ - kSameMoment) {
                player_->pause();
                seek(p->time);
                return;
            }
        }
    }
    alertSound();
}

void CWStore::nextPoint()
{
    const Clip* clip = selectedClip();
    if (clip && clip->sourceID == currentSourceID_) {
        for (const FramePoint& p : clip->points) {
            if (p.time > time_ + kSameMoment) {
                player_->pause();
                seek(p.time);
                return;
            }
        }
    }
    alertSound();
}

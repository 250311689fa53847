// Marks, trims, the clip list and the working crop frame.
#include "model/mwtime.h"
#include "model/trimmath.h"
#include "model/framepath.h"
#include "store/store.h"

#include "platform/services.h"
#include <QFileInfo>
#include <algorithm>
#include <cmath>

namespace {
// A mark of the selected clip: a key held or pressed again soon joins the step.
CWHistory::Change markChange(const QString& label, const std::optional<QUuid>& clip)
{
    return {label, label + (clip ? clip->toString() : QString()), CWHistory::Joining::burst};
}

CWHistory::Change once(const QString& label)
{
    return {label, QString(), CWHistory::Joining::never};
}
}  // namespace

void CWStore::markIn()
{
    const Step step(this, markChange(QStringLiteral("Set In"), selectedClipID_));
    assign(inMark_, time_, Field::inMark);
    if (outMark_ <= inMark_)
        assign(outMark_, std::min(inMark_ + 5.0, currentDuration()), Field::outMark);
    updateSelectedRange();
}

void CWStore::markOut()
{
    const Step step(this, markChange(QStringLiteral("Set Out"), selectedClipID_));
    assign(outMark_, time_, Field::outMark);
    if (outMark_ <= inMark_)
        assign(inMark_, std::max(outMark_ - 5.0, 0.0), Field::inMark);
    updateSelectedRange();
}

void CWStore::setIn(double t)
{
    const Step step(this, markChange(QStringLiteral("Set In"), selectedClipID_));
    const double d = currentDuration();
    const double upper = std::max(0.0, std::min(outMark_, d) - std::min(0.5, d));
    assign(inMark_, std::min(std::max(t, 0.0), upper), Field::inMark);
    updateSelectedRange();
}

void CWStore::setOut(double t)
{
    const Step step(this, markChange(QStringLiteral("Set Out"), selectedClipID_));
    assign(outMark_, TrimMath::clampOut(t, inMark_, currentDuration()), Field::outMark);
    updateSelectedRange();
}

void CWStore::updateSelectedRange()
{
    const qsizetype i = selectedClipID_ ? indexOfClip(*selectedClipID_) : -1;
    if (i < 0 || clips_[i].sourceID != currentSourceID_)
        return;
    // Both marks in one change: the session is written once per operation,
    // which is what keeps a trim drag smooth (each write waits for the disk).
    updateClip(i, [this](Clip& c) {
        c.inTime = inMark_;
        c.outTime = outMark_;
        FramePath::mirrorFirstPoint(c);
    });
}

void CWStore::applyFrame()
{
    if (loading_)
        return;
    const qsizetype i = selectedClipID_ ? indexOfClip(*selectedClipID_) : -1;
    if (i < 0)
        return;
    const Clip& clip = clips_[i];
    // Away from In, with the clip's video under the playhead, the frame is set
    // for this moment only: where the speaker has moved to.
    const bool inside = clip.sourceID == currentSourceID_ && time_ >= clip.inTime &&
                        time_ <= clip.outTime && time_ - clip.inTime >= 1e-3;
    // The whole frame in one change, so a crop-frame drag writes the session
    // once per step rather than four times.
    updateClip(i, [this, inside](Clip& c) {
        c.aspect = aspect_;
        if (c.points.empty() && !inside) {
            c.zoom = zoom_;
            c.centerX = centerX_;
            c.centerY = centerY_;
            return;
        }
        if (c.points.empty())
            c.points.push_back({c.inTime, c.centerX, c.centerY, c.zoom, false});
        FramePoint p{std::clamp(time_, c.inTime, c.outTime), centerX_, centerY_, zoom_, false};
        for (const FramePoint& old : c.points) {
            if (std::abs(old.time - p.time) < 1e-3)
                p.cut = old.cut;
        }
        FramePath::setPoint(c.points, p);
        FramePath::mirrorFirstPoint(c);
    });
}

void CWStore::resetFrame()
{
    const Clip* clip = selectedClip();
    if (clip && !clip->points.empty() &&
        !services_->ask(QStringLiteral("Reset the frame of “%1”?").arg(clip->name),
                        QStringLiteral("Its frame points are removed too, and the whole "
                                       "picture holds for the whole clip."),
                        QStringLiteral("Reset Frame")))
        return;
    const Step step(this, once(QStringLiteral("Reset Frame")));
    // Written here rather than through setZoom, which would set a point.
    loading_ = true;
    setZoom(1.0);
    setCenterX(0.5);
    setCenterY(0.5);
    loading_ = false;
    if (clip) {
        updateClip(indexOfClip(clip->id), [](Clip& c) {
            c.points.clear();
            c.zoom = 1.0;
            c.centerX = 0.5;
            c.centerY = 0.5;
        });
    }
}

void CWStore::addClip()
{
    const Step step(this, once(QStringLiteral("Add Clip")));
    const CWSource* source = current();
    if (!source) {
        chooseFiles();
        return;
    }
    // A tenth of a second is enough; the allowance keeps 4.1 − 4.0 (0.0999…) from failing.
    if (outMark_ - inMark_ < 0.1 - 1e-9) {
        alertSound();
        return;
    }
    const qsizetype n = clipsOf(source->id).size();
    const QString name = QFileInfo(source->media.original).completeBaseName() +
                         QStringLiteral(" – clip ") + QString::number(n + 1);
    Clip clip{QUuid::createUuid(),
              source->id,
              name,
              inMark_,
              outMark_,
              aspect_,
              zoom_,
              centerX_,
              centerY_};
    QList<Clip> list = clips_;
    list.append(clip);
    setClips(std::move(list));
    // The window stays in "making new clips": the next marks and frame are
    // the next clip's, never a rewrite of the clip just added. Editing a clip
    // is the user's own choice (its chip or bar, Duplicate).
    if (selectedClipID_)
        setSelectedClipID(std::nullopt);
    setNote(QStringLiteral("Added “") + name + QStringLiteral("” (") +
            MWTime::clock(std::max(outMark_ - inMark_, 0.0), true) +
            QStringLiteral("). Set new In/Out points for the next clip."));
}

void CWStore::selectClip(Clip clip)
{
    if (clip.sourceID != currentSourceID_)
        select(clip.sourceID);
    setSelectedClipID(clip.id);
    loading_ = true;
    assign(inMark_, clip.inTime, Field::inMark);
    assign(outMark_, clip.outTime, Field::outMark);
    setAspect(clip.aspect);
    setZoom(clip.zoom);
    setCenterX(clip.centerX);
    setCenterY(clip.centerY);
    loading_ = false;
    seek(clip.inTime);
}

void CWStore::deleteClip(QUuid id)
{
    const Step step(this, once(QStringLiteral("Delete Clip")));
    QList<Clip> list = clips_;
    list.removeIf([&](const Clip& c) { return c.id == id; });
    setClips(std::move(list));
    if (selectedClipID_ == id)
        setSelectedClipID(std::nullopt);
}

void CWStore::duplicateClip(QUuid id)
{
    const Step step(this, once(QStringLiteral("Duplicate Clip")));
    const qsizetype i = indexOfClip(id);
    if (i < 0)
        return;
    Clip copy = clips_[i];
    copy.id = QUuid::createUuid();
    copy.name += QStringLiteral(" copy");
    QList<Clip> list = clips_;
    list.append(copy);
    setClips(std::move(list));
    selectClip(copy);
}

void CWStore::rename(QUuid id, const QString& name)
{
    // Each key typed renames: the run of typing is one step.
    const Step step(this, {QStringLiteral("Rename Clip"), QStringLiteral("name ") + id.toString(),
                           CWHistory::Joining::typing});
    const qsizetype i = indexOfClip(id);
    if (i >= 0)
        updateClip(i, [&](Clip& c) { c.name = name; });
}

void CWStore::setAspectForAll(Aspect aspect)
{
    const Step step(this, once(QStringLiteral("Apply Aspect to All Clips")));
    QList<Clip> list = clips_;
    for (Clip& c : list)
        c.aspect = aspect;
    setClips(std::move(list));
    setAspect(aspect);
}

void CWStore::alertSound()
{
    emit alerted();
    services_->beep();
}

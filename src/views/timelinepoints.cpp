// The selected clip's frame points on the timeline: their marks, dragging one
// along the bar, and the menu of one.
#include "views/timelinetrack.h"

#include "platform/player.h"
#include "theme/mwui.h"
#include "views/timelinegeometry.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>

namespace {
// The selected clip when it is on the video shown: only its points have marks.
const Clip* markedClip(const CWStore* store)
{
    const Clip* clip = store ? store->selectedClip() : nullptr;
    const CWSource* source = store ? store->current() : nullptr;
    return clip && source && clip->sourceID == source->id ? clip : nullptr;
}
}  // namespace

QRegion CWTimelineTrack::marksMoved()
{
    QList<QPointF> marks;
    if (const Clip* clip = markedClip(store_))
        for (const FramePoint& p : clip->points)
            marks.append({p.time, p.cut ? 1.0 : 0.0});
    if (marks == marks_)
        return {};
    // A mark dragged along the bar is drawn again where it was and where it
    // is, not the track with its many bars: each step of the drag stays as
    // cheap as the playhead's.
    QRegion area;
    if (marks.size() != marks_.size()) {
        area = rect();
    } else {
        const TrimMath::Track t = track();
        const double pen = std::max(1.0, zoom()) + 1;
        const auto box = [&](double time) {
            return TimelineGeometry::pointMark(t, time, height(), zoom())
                .adjusted(-pen, -pen, pen, pen)
                .toAlignedRect();
        };
        for (qsizetype i = 0; i < marks.size(); ++i) {
            if (marks[i] != marks_[i])
                area += QRegion(box(marks_[i].x())) + box(marks[i].x());
        }
    }
    marks_ = marks;
    return area;
}

std::optional<int> CWTimelineTrack::pointAt(QPointF pos) const
{
    const Clip* clip = markedClip(store_);
    if (!clip)
        return std::nullopt;
    const TrimMath::Track t = track();
    for (int i = int(clip->points.size()) - 1; i >= 0; --i)
        if (TimelineGeometry::pointMark(t, clip->points[size_t(i)].time, height(), zoom())
                .contains(pos))
            return i;
    return std::nullopt;
}

void CWTimelineTrack::paintPoints(QPainter& painter)
{
    const Clip* clip = markedClip(store_);
    if (!clip)
        return;
    const TrimMath::Track t = track();
    const MWTheme& theme = MWUI::shared()->theme();
    painter.setPen(QPen(theme.metalLo, std::max(1.0, zoom())));
    painter.setBrush(Qt::white);
    // A glide is a diamond; a cut, where the frame jumps, a square standing upright.
    for (const FramePoint& p : clip->points) {
        const QRectF r = TimelineGeometry::pointMark(t, p.time, height(), zoom());
        if (p.cut) {
            painter.drawRect(r.adjusted(r.width() / 5, 0, -r.width() / 5, 0));
            continue;
        }
        QPainterPath diamond;
        diamond.moveTo(r.center().x(), r.top());
        diamond.lineTo(r.right(), r.center().y());
        diamond.lineTo(r.center().x(), r.bottom());
        diamond.lineTo(r.left(), r.center().y());
        diamond.closeSubpath();
        painter.drawPath(diamond);
    }
}

bool CWTimelineTrack::pressPoint(QPointF pos)
{
    pressedPoint_ = pointAt(pos);
    if (!pressedPoint_)
        return false;
    pointMoved_ = false;
    hold_.emplace(store_);
    store_->player()->pause();
    return true;
}

bool CWTimelineTrack::dragPoint(QPointF pos)
{
    if (!pressedPoint_)
        return false;
    // A click that wobbles a little is still a click.
    if (!pointMoved_ && std::abs(pos.x() - pressPos_.x()) < 3 * zoom())
        return true;
    pointMoved_ = true;
    setCursor(Qt::SizeHorCursor);
    store_->movePoint(*pressedPoint_, track().time(pos.x()));
    return true;
}

bool CWTimelineTrack::releasePoint()
{
    if (!pressedPoint_)
        return false;
    const int index = *pressedPoint_;
    endDrag();
    unsetCursor();
    // A click goes to the point, where the inspector says how the frame reaches it.
    if (const Clip* clip = markedClip(store_); clip && size_t(index) < clip->points.size())
        store_->seek(clip->points[size_t(index)].time);
    return true;
}

void CWTimelineTrack::contextMenuEvent(QContextMenuEvent* event)
{
    const std::optional<int> point = pointAt(event->pos());
    const Clip* clip = markedClip(store_);
    if (!point || !clip) {
        QWidget::contextMenuEvent(event);
        return;
    }
    const int index = *point;
    const bool cut = clip->points[size_t(index)].cut;
    auto* menu = new QMenu(this);
    menu->setObjectName(QStringLiteral("pointMenu"));
    menu->setAttribute(Qt::WA_DeleteOnClose);
    QPointer<CWStore> store = store_;
    menu->addAction(tr("Remove Frame Point"), this, [store, index] {
        if (store)
            store->removePoint(index);
    });
    menu->addSeparator();
    QAction* glide = menu->addAction(tr("Glide"), this, [store, index] {
        if (store)
            store->setPointCut(index, false);
    });
    QAction* jump = menu->addAction(tr("Cut"), this, [store, index] {
        if (store)
            store->setPointCut(index, true);
    });
    glide->setCheckable(true);
    jump->setCheckable(true);
    glide->setChecked(!cut);
    jump->setChecked(cut);
    menu->popup(event->globalPos());
}

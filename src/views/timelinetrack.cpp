#include "views/timelinetrack.h"

#include "model/mwtime.h"
#include "platform/player.h"
#include "theme/fonts.h"
#include "theme/mwui.h"
#include "views/timelinegeometry.h"
#include "views/timelinepaint.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>

using TrimMath::Grab;

CWTimelineTrack::CWTimelineTrack(CWStore* store, QWidget* parent) : QWidget(parent), store_(store)
{
    setMouseTracking(true);  // the resize cursor follows the pointer without a press
    setAttribute(Qt::WA_OpaquePaintEvent, false);
    connect(store, &CWStore::changed, this, &CWTimelineTrack::storeChanged);
    connect(MWUI::shared(), &MWUI::changed, this, qOverload<>(&QWidget::update));
    paintedTime_ = store->time();
}

double CWTimelineTrack::zoom() const
{
    return MWUI::shared()->zoom();
}

TrimMath::Track CWTimelineTrack::track() const
{
    const CWSource* source = store_ ? store_->current() : nullptr;
    return TimelineGeometry::track(width(), source ? source->media.duration : 0, zoom());
}

QRect CWTimelineTrack::playheadRect(double t) const
{
    const double x = track().x(t);
    const double half = 6 * zoom();
    return QRectF(x - half, 0, 2 * half, height()).toAlignedRect();
}

void CWTimelineTrack::storeChanged(CWStore::Field field)
{
    using F = CWStore::Field;
    switch (field) {
    case F::time: {
        // Only the strip under the old and the new playhead: the filmstrip,
        // bars and handles stay as drawn.
        update(playheadRect(paintedTime_));
        update(playheadRect(store_->time()));
        break;
    }
    case F::clips: {
        // A frame or a name changes the clip list without moving a bar: the
        // track with its many bars is drawn again only when one moved. Both
        // are asked, so each remembers what it last saw.
        const bool bars = barsMoved();
        const QRegion marks = marksMoved();
        if (bars)
            update();
        else if (!marks.isEmpty())
            update(marks);
        break;
    }
    case F::inMark:
        // A handle dragged over a thousand bars redraws only its strip.
        update(markChange(paintedIn_, store_->inMark()));
        break;
    case F::outMark:
        update(markChange(paintedOut_, store_->outMark()));
        break;
    case F::sources:
    case F::currentSourceID:
    case F::selectedClipID:
    case F::trimFocus:
        update();
        break;
    default:
        break;
    }
}

QRegion CWTimelineTrack::markChange(double painted, double now) const
{
    const TrimMath::Track t = track();
    const double a = std::min(t.x(painted), t.x(now));
    const double b = std::max(t.x(painted), t.x(now));
    // A handle stands on either side of its mark (In's to the left, Out's to
    // the right), with its glow.
    const double reach = (TimelineGeometry::inset(zoom()) + 18 * zoom()) + 2;
    QRegion region(QRectF(a - reach, 0, b - a + 2 * reach, height()).toAlignedRect());
    region += paintedLabel_.adjusted(-2, -2, 2, 2);
    if (grab_ && *grab_ != Grab::playhead)
        region += TimelineGeometry::labelRect(*grab_, t.x(store_->inMark()),
                                              t.x(store_->outMark()), width(), height(), zoom())
                      .toAlignedRect()
                      .adjusted(-2, -2, 2, 2);
    return region;
}

bool CWTimelineTrack::barsMoved()
{
    QList<QPointF> spans;
    const CWSource* source = store_ ? store_->current() : nullptr;
    if (source)
        for (const Clip& clip : store_->clips())
            if (clip.sourceID == source->id)
                spans.append({clip.inTime, clip.outTime});
    if (spans == barSpans_)
        return false;
    barSpans_ = spans;
    return true;
}

void CWTimelineTrack::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const bool source = store_ && store_->current();
    if (source)
        paintFilmstrip(painter);
    if (source)
        paintRuler(painter);
    if (source) {
        paintBars(painter);
        paintPoints(painter);
    }
    paintSelection(painter);
    if (source) {
        paintHandle(painter, true);
        paintHandle(painter, false);
    }
    paintPlayhead(painter);
    paintedIn_ = store_ ? store_->inMark() : 0;
    paintedOut_ = store_ ? store_->outMark() : 0;
    paintedLabel_ = {};
    if (grab_ && *grab_ != Grab::playhead)
        paintLabel(painter);
}

void CWTimelineTrack::paintFilmstrip(QPainter& painter)
{
    const CWSource* source = store_->current();
    if (source->thumbs.isEmpty())
        return;
    const double i = TimelineGeometry::inset(zoom());
    const double w = std::max(width() - 2 * i, 1.0);
    const QSizeF row(w, 0.62 * height());
    // Frames arrive one by one into their slots: every picture names the row.
    size_t pictures = 0;
    for (const Thumb& thumb : source->thumbs)
        pictures = qHashMulti(pictures, thumb.second.cacheKey());
    const QString variant = source->id.toString() + QString::number(source->thumbs.size()) +
                            QLatin1Char('/') + QString::number(pictures);
    const QList<Thumb> thumbs = source->thumbs;
    const QPixmap& picture =
        strip_.get(row, devicePixelRatioF(), variant, [thumbs](QPainter& p, const QSizeF& size) {
            TimelinePaint::filmstrip(p, size, thumbs);
        });
    painter.setOpacity(0.85);
    painter.drawPixmap(QPointF(i, 0.14 * height()), picture);
    painter.setOpacity(1);
}

void CWTimelineTrack::paintRuler(QPainter& painter)
{
    const TrimMath::Track t = track();
    if (!(t.duration > 0))
        return;
    const QColor dim = MWUI::shared()->theme().dim;
    // The ruler follows the zoom like every other text, so it stays legible
    // at 150 % and above.
    const double z = zoom();
    painter.setFont(mwMono(9));
    painter.setPen(dim);
    const QFontMetricsF metrics(painter.font());
    for (double s : TimelineGeometry::rulerTicks(t.duration)) {
        const double x = t.x(s);
        painter.fillRect(QRectF(x, 0, 1, 5 * z), dim);
        const QString text = MWTime::clock(s, false);
        const double baseline = 9 * z + (metrics.ascent() - metrics.descent()) / 2;
        painter.drawText(QPointF(x + 2 * z, baseline), text);
    }
}

void CWTimelineTrack::paintBars(QPainter& painter)
{
    const CWSource* source = store_->current();
    const TrimMath::Track t = track();
    const MWTheme& theme = MWUI::shared()->theme();
    QColor normal = theme.accent;
    normal.setAlphaF(0.8);
    painter.setPen(Qt::NoPen);
    for (const Clip& clip : store_->clips()) {
        if (clip.sourceID != source->id)
            continue;
        const bool selected = store_->selectedClipID() == clip.id;
        painter.setBrush(selected ? theme.accent2 : normal);
        painter.drawRoundedRect(TimelineGeometry::clipBar(t, clip.inTime, clip.outTime, height()),
                                3, 3);
    }
}

void CWTimelineTrack::paintSelection(QPainter& painter)
{
    const TrimMath::Track t = track();
    const double xIn = t.x(store_ ? store_->inMark() : 0);
    const double xOut = t.x(store_ ? store_->outMark() : 0);
    const QRectF box(xIn, 0.14 * height(), std::max(xOut - xIn, 0.0), 0.62 * height());
    QColor fill = TimelinePaint::yellow();
    fill.setAlphaF(0.18);
    painter.fillRect(box, fill);
    if (box.width() >= 2) {
        painter.setPen(QPen(TimelinePaint::yellow(), 2));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(box.adjusted(1, 1, -1, -1));
    }
}

void CWTimelineTrack::paintHandle(QPainter& painter, bool left)
{
    const TrimMath::Track t = track();
    const double x = t.x(left ? store_->inMark() : store_->outMark());
    const QRectF r = TimelineGeometry::handleRect(left, x, height(), zoom());
    const bool focused = store_->trimFocus() == (left ? 0 : 1);
    TimelinePaint::handle(painter, r, left, focused, zoom());
}

void CWTimelineTrack::paintPlayhead(QPainter& painter)
{
    const double t = store_ ? store_->time() : 0;
    paintedTime_ = t;
    const double x = track().x(t);
    painter.fillRect(QRectF(x - 1, 0, 2, height()), Qt::white);
    painter.setPen(Qt::NoPen);
    painter.setBrush(MWUI::shared()->theme().accent2);
    const double knob = 10 * zoom();
    painter.drawEllipse(QRectF(x - knob / 2, 0, knob, knob));
}

void CWTimelineTrack::paintLabel(QPainter& painter)
{
    const TrimMath::Track t = track();
    const bool in = *grab_ == Grab::inHandle;
    const QRectF r = TimelineGeometry::labelRect(*grab_, t.x(store_->inMark()),
                                                 t.x(store_->outMark()), width(), height(), zoom());
    const QString text = (in ? QStringLiteral("In ") : QStringLiteral("Out ")) +
                         MWTime::clock(in ? store_->inMark() : store_->outMark(), true);
    TimelinePaint::label(painter, r, text);
    paintedLabel_ = r.toAlignedRect();
}

std::optional<Clip> CWTimelineTrack::barAt(QPointF pos) const
{
    const CWSource* source = store_ ? store_->current() : nullptr;
    if (!source)
        return std::nullopt;
    const TrimMath::Track t = track();
    const QList<Clip>& clips = store_->clips();
    // The bar drawn last is on top.
    for (auto it = clips.rbegin(); it != clips.rend(); ++it) {
        if (it->sourceID == source->id &&
            TimelineGeometry::clipBar(t, it->inTime, it->outTime, height()).contains(pos))
            return *it;
    }
    return std::nullopt;
}

void CWTimelineTrack::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !store_)
        return;
    endDrag();  // a release that never came (an alert opened mid-drag) ends here
    pressPos_ = event->position();
    if (pressPoint(pressPos_))
        return;
    if (const std::optional<Clip> bar = barAt(pressPos_)) {
        // The bar's click wins over the track's drag.
        pressedBar_ = bar->id;
        return;
    }
    dragging_ = true;
    dragTo(pressPos_);
}

void CWTimelineTrack::mouseMoveEvent(QMouseEvent* event)
{
    // A drag lasts only while its button is down, whatever came in between.
    if ((dragging_ || pressedBar_ || pressedPoint_) && !(event->buttons() & Qt::LeftButton))
        endDrag();
    if (dragPoint(event->position()))
        return;
    if (dragging_ && (event->buttons() & Qt::LeftButton))
        dragTo(event->position());
    else if (!dragging_)
        updateCursor(event->position());
}

void CWTimelineTrack::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || releasePoint())
        return;
    if (pressedBar_) {
        const QUuid id = *pressedBar_;
        pressedBar_.reset();
        const std::optional<Clip> bar = barAt(event->position());
        if (store_ && bar && bar->id == id)
            store_->selectClip(*bar);
        return;
    }
    if (!dragging_)
        return;
    endDrag();
    updateCursor(event->position());
}

void CWTimelineTrack::endDrag()
{
    pressedBar_.reset();
    pressedPoint_.reset();
    hold_.reset();
    if (!dragging_)
        return;
    dragging_ = false;
    const bool hadLabel = grab_ && *grab_ != Grab::playhead;
    grab_.reset();
    hold_.reset();  // the mark where it was let go is saved now
    if (hadLabel)
        update();
}

bool CWTimelineTrack::event(QEvent* event)
{
    // Another window took the pointer (an alert, a window switch): no
    // release will come.
    if (event->type() == QEvent::WindowDeactivate || event->type() == QEvent::Hide)
        endDrag();
    return QWidget::event(event);
}

void CWTimelineTrack::leaveEvent(QEvent*)
{
    if (!dragging_)
        unsetCursor();
}

void CWTimelineTrack::dragTo(QPointF pos)
{
    const TrimMath::Track t = track();
    if (!grab_) {
        const CWSource* source = store_->current();
        grab_ = TimelineGeometry::chooseGrab(source != nullptr, pressPos_, height(),
                                             t.x(store_->inMark()), t.x(store_->outMark()), zoom());
        if (*grab_ == Grab::inHandle) {
            grabStart_ = store_->inMark();
            hold_.emplace(store_);
            store_->setTrimFocus(0);
            store_->player()->pause();
        } else if (*grab_ == Grab::outHandle) {
            grabStart_ = store_->outMark();
            hold_.emplace(store_);
            store_->setTrimFocus(1);
            store_->player()->pause();
        } else {
            store_->setTrimFocus(std::nullopt);
        }
    }
    const double translation = pos.x() - pressPos_.x();
    switch (*grab_) {
    case Grab::playhead:
        store_->seek(t.time(pos.x()));
        return;
    case Grab::inHandle:
        setCursor(Qt::SizeHorCursor);
        store_->setIn(TimelineGeometry::draggedTime(grabStart_, translation, t));
        store_->seek(store_->inMark());
        break;
    case Grab::outHandle:
        setCursor(Qt::SizeHorCursor);
        store_->setOut(TimelineGeometry::draggedTime(grabStart_, translation, t));
        store_->seek(store_->outMark());
        break;
    }
    update();  // the label follows the handle even when the store clamps it still
}

void CWTimelineTrack::updateCursor(QPointF pos)
{
    bool over = false;
    if (store_ && store_->current()) {
        const TrimMath::Track t = track();
        over = TimelineGeometry::cursorZone(true, t.x(store_->inMark()), height(), zoom())
                   .contains(pos) ||
               TimelineGeometry::cursorZone(false, t.x(store_->outMark()), height(), zoom())
                   .contains(pos);
    }
    if (over)
        setCursor(Qt::SizeHorCursor);
    else
        unsetCursor();
}

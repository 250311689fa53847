#include "views/cropframewidget.h"

#include "model/safezones.h"
#include "store/store.h"
#include "theme/access.h"
#include "theme/fonts.h"
#include "theme/mwui.h"
#include "views/captionpreview.h"
#include "views/viewaccess.h"
#include "views/viewkit.h"

#include <QFontMetricsF>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <qdrawutil.h>
#include <QToolTip>
#include <cmath>

namespace {
constexpr double dragThreshold = 10;

// What the frame's drawing covers: the frame and its glow, which spreads a
// few points beyond it.
QRect decorationBounds(const QRectF& frame)
{
    if (frame.width() <= 0 || frame.height() <= 0)
        return {};
    return frame.adjusted(-8, -8, 8, 8).toAlignedRect();
}

// The glow: the accent spread in fading rings on both sides of the border.
// Stroking six wide rounded rectangles took most of a repaint, so the rings
// are drawn once around a small frame, and laid around any frame from that
// picture's corners, with its edges stretched along the frame's sides (along
// a side the rings do not change). kGlow points each side of the frame's edge
// hold every ring.
constexpr int kGlow = 8;

void paintGlowRings(QPainter& p, const QRectF& border, const QColor& accent)
{
    for (int i = 6; i >= 1; --i) {
        QColor glow = accent;
        glow.setAlphaF(0.22f * (1.0f - float(i) / 7.0f));
        p.setPen(QPen(glow, 2 + i * 1.5));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(border, 3, 3);
    }
}

const QPixmap& glowPicture(const QColor& accent, qreal ratio)
{
    static QPixmap picture;
    static QColor pictureAccent;
    if (picture.isNull() || pictureAccent != accent || picture.devicePixelRatio() != ratio) {
        // A frame of 2 × kGlow + 1 points, kGlow in from the picture's edge:
        // the middle row and column lie past the inner rings.
        const int side = 4 * kGlow + 1;
        picture = QPixmap(QSize(side, side) * ratio);
        picture.setDevicePixelRatio(ratio);
        picture.fill(Qt::transparent);
        QPainter p(&picture);
        p.setRenderHint(QPainter::Antialiasing);
        const QRectF frame(kGlow, kGlow, side - 2 * kGlow, side - 2 * kGlow);
        paintGlowRings(p, frame.adjusted(1, 1, -1, -1), accent);
        pictureAccent = accent;
    }
    return picture;
}
}  // namespace

CWCropOverlay::CWCropOverlay(CWStore* store, QWidget* parent) : QWidget(parent), store_(store)
{
    setAttribute(Qt::WA_NoSystemBackground);
    setAttribute(Qt::WA_TranslucentBackground);
    setMouseTracking(true);
    cwCropFrameAccessibility();
    setAccessibleName(tr("Crop frame"));
    connect(store_, &CWStore::changed, this, [this](CWStore::Field field) {
        using F = CWStore::Field;
        if (field == F::aspect || field == F::zoom || field == F::centerX || field == F::centerY) {
            // Only where the frame was and where it is now changes: a frame
            // following its path or the pointer repaints that much, not the
            // whole picture's dimming.
            const QRect now = decorationBounds(geometry().frame);
            update(painted_.united(now));
            painted_ = now;
            mwAccessibleChanged(this, QAccessible::DescriptionChanged);
        } else if (field == F::sources || field == F::currentSourceID) {
            update();
            mwAccessibleChanged(this, QAccessible::DescriptionChanged);
        }
    });
    // The captions of the moment, as the export burns them into the frame.
    captions_ = new CWCaptionPreview(store_, this);
    connect(captions_, &CWCaptionPreview::changed, this, [this] {
        if (painted_.isEmpty())
            update();
        else
            update(painted_);
    });
    connect(MWUI::shared(), &MWUI::changed, this, qOverload<>(&QWidget::update));
    connect(MWUI::shared(), &MWUI::safeZonesChanged, this, qOverload<>(&QWidget::update));
}

void CWCropOverlay::setGrid(bool grid)
{
    if (grid_ == grid)
        return;
    grid_ = grid;
    update();
}

CropFrame::Input CWCropOverlay::input() const
{
    return CWViewKit::frameInput(*store_);
}

CropFrame::Geometry CWCropOverlay::geometry() const
{
    return CropFrame::geometry(input(), QSizeF(size()));
}

void CWCropOverlay::paintEvent(QPaintEvent*)
{
    if (!store_->current())
        return;
    const CropFrame::Geometry g = geometry();
    painted_ = decorationBounds(g.frame);
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);

    // The letterbox is the well's own colour, not the player's black.
    QPainterPath letterbox;
    letterbox.setFillRule(Qt::OddEvenFill);
    letterbox.addRect(QRectF(rect()));
    letterbox.addRect(g.display);
    p.fillPath(letterbox, MWUI::shared()->theme().well);

    QPainterPath dim;
    dim.setFillRule(Qt::OddEvenFill);
    dim.addRect(g.display);
    dim.addRect(g.frame);
    p.fillPath(dim, QColor(0, 0, 0, qRound(0.62 * 255)));

    if (g.frame.width() > 0 && g.frame.height() > 0)
        paintFrame(p, g.frame);
}

void CWCropOverlay::paintFrame(QPainter& p, const QRectF& frame)
{
    const MWTheme& t = MWUI::shared()->theme();
    const double z = MWUI::shared()->zoom();
    // The stroke lies inside the frame's own bounds.
    const QRectF border = frame.adjusted(1, 1, -1, -1);

    // The shape label, a capsule centred 14 points below the top edge.
    const QFont font = mwFont(11, QFont::Black, MWDesign::Rounded);
    const QFontMetricsF metrics(font);
    const QString label = rawValue(store_->aspect());
    const QSizeF size(metrics.horizontalAdvance(label) + 14 * z, metrics.height() + 4 * z);
    const QRectF capsule(
        QPointF(frame.center().x() - size.width() / 2, frame.top() + 14 * z - size.height() / 2),
        size);

    // The captions are part of the picture: the apps' bands lie over them.
    const QImage captions = captions_->at(frame.size().toSize());
    if (!captions.isNull())
        p.drawImage(frame, captions);

    // Under everything else of the frame: the border, the grid and the
    // capsule stay whole over the shading.
    if (MWUI::shared()->safeZones())
        paintSafeZones(p, frame, capsule);

    // Glow: the accent spread outwards in fading rings under the border.
    if (frame.width() > 2 * kGlow + 1 && frame.height() > 2 * kGlow + 1) {
        const QMargins corner(2 * kGlow, 2 * kGlow, 2 * kGlow, 2 * kGlow);
        qDrawBorderPixmap(&p, frame.adjusted(-kGlow, -kGlow, kGlow, kGlow).toRect(), corner,
                          glowPicture(t.accent, p.device()->devicePixelRatioF()));
    } else {
        paintGlowRings(p, border, t.accent);
    }
    p.setPen(QPen(t.accent2, 2));
    p.drawRoundedRect(border, 3, 3);

    if (grid_) {
        p.setPen(QPen(QColor(255, 255, 255, qRound(0.35 * 255)), 1));
        for (int i = 1; i <= 2; ++i) {
            const double x = frame.left() + frame.width() * i / 3;
            const double y = frame.top() + frame.height() * i / 3;
            p.drawLine(QPointF(x, frame.top()), QPointF(x, frame.bottom()));
            p.drawLine(QPointF(frame.left(), y), QPointF(frame.right(), y));
        }
    }

    p.setPen(Qt::NoPen);
    p.setBrush(t.accent2);
    p.drawRoundedRect(capsule, capsule.height() / 2, capsule.height() / 2);
    p.setPen(Qt::black);
    p.setFont(font);
    p.drawText(capsule, Qt::AlignCenter, label);
}

void CWCropOverlay::paintSafeZones(QPainter& p, const QRectF& frame, const QRectF& capsule)
{
    const Aspect aspect = store_->aspect();
    const QList<SafeZones::Band> bands = SafeZones::bands(aspect);
    if (bands.isEmpty())
        return;
    const double z = MWUI::shared()->zoom();
    p.save();
    p.setClipRect(frame);

    // A light veil with a fine hatch: it reads as "covered" rather than as
    // the dimming outside the frame, and the picture stays clear beneath.
    QPainterPath covered;
    for (const SafeZones::Band& band : bands)
        covered.addRect(SafeZones::place(band.rect, frame));
    p.fillPath(covered, QColor(0, 0, 0, qRound(0.40 * 255)));
    p.save();
    p.setClipPath(covered, Qt::IntersectClip);
    p.setPen(QPen(QColor(255, 255, 255, qRound(0.13 * 255)), std::max(1.0, z)));
    const double step = 7 * z;
    for (double d = -frame.height(); d < frame.width(); d += step)
        p.drawLine(QPointF(frame.left() + d, frame.bottom()),
                   QPointF(frame.left() + d + frame.height(), frame.top()));
    p.restore();

    // The edge of what every app leaves clear: white dashes on a dark line,
    // seen over a bright picture as over a dark one.
    const QRectF clear = SafeZones::place(SafeZones::clearArea(aspect), frame);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(0, 0, 0, qRound(0.45 * 255)), 1));
    p.drawRect(clear);
    QPen edge(QColor(255, 255, 255, qRound(0.8 * 255)), 1);
    edge.setDashPattern({4 * z, 3 * z});
    p.setPen(edge);
    p.drawRect(clear);

    // Each band's words on a dark tag at its lower left; the side columns'
    // read upwards, centred across the column. A tag that would not fit
    // inside its band, or would touch the shape label, is left out rather
    // than drawn over its neighbours.
    const QFont font = mwFont(9, QFont::Bold, MWDesign::Rounded);
    const QFontMetricsF metrics(font);
    p.setFont(font);
    const double pad = 4 * z;
    for (const SafeZones::Band& band : bands) {
        const QRectF zone = SafeZones::place(band.rect, frame);
        const QRectF area = zone.adjusted(pad, pad, -pad, -pad);
        const bool upright = zone.width() >= zone.height();
        const QSizeF tag(metrics.horizontalAdvance(band.label) + 8 * z, metrics.height() + 2 * z);
        // Where the tag lies on the view.
        const QRectF placed =
            upright ? QRectF(area.left(), area.bottom() - tag.height(), tag.width(), tag.height())
                    : QRectF(zone.center().x() - tag.height() / 2, area.bottom() - tag.width(),
                             tag.height(), tag.width());
        // Along the words the band keeps its padding; across a narrow side
        // column the tag may reach its edges.
        const double along = upright ? area.width() : area.height();
        const double across = upright ? area.height() : zone.width();
        if (tag.width() > along || tag.height() > across ||
            placed.intersects(capsule.adjusted(-pad, -pad, pad, pad)))
            continue;
        p.save();
        if (upright) {
            p.translate(placed.topLeft());
        } else {
            p.translate(placed.bottomLeft());
            p.rotate(-90);
        }
        const QRectF box(QPointF(0, 0), tag);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0, 0, 0, qRound(0.6 * 255)));
        p.drawRoundedRect(box, box.height() / 2, box.height() / 2);
        p.setPen(QColor(255, 255, 255, 240));
        p.drawText(box, Qt::AlignCenter, band.label);
        p.restore();
    }
    p.restore();
}

void CWCropOverlay::endDrag()
{
    pressAt_.reset();
    dragStart_.reset();
    hold_.reset();
}

void CWCropOverlay::mousePressEvent(QMouseEvent* event)
{
    endDrag();  // a release that never came (an alert opened mid-drag) ends here
    if (event->button() == Qt::LeftButton && store_->current() &&
        geometry().frame.contains(event->position())) {
        pressAt_ = event->position();
        return;
    }
    event->ignore();
}

void CWCropOverlay::mouseMoveEvent(QMouseEvent* event)
{
    // A drag lasts only while its button is down, whatever came in between.
    if (pressAt_ && !(event->buttons() & Qt::LeftButton))
        endDrag();
    if (!pressAt_) {
        const bool over = store_->current() && geometry().frame.contains(event->position());
        setCursor(over ? Qt::OpenHandCursor : Qt::ArrowCursor);
        return;
    }
    const QPointF translation = event->position() - *pressAt_;
    if (!dragStart_) {
        if (std::hypot(translation.x(), translation.y()) < dragThreshold)
            return;
        dragStart_ = QPointF(store_->centerX(), store_->centerY());
        hold_.emplace(store_);
        setCursor(Qt::ClosedHandCursor);
    }
    const CropFrame::Input in = input();
    const auto centre = CropFrame::dragCentre(
        in, CropFrame::displayRect(in.natural, QSizeF(size())), *dragStart_, translation);
    if (!centre)
        return;
    store_->setCenterX(centre->x());
    store_->setCenterY(centre->y());
}

void CWCropOverlay::mouseReleaseEvent(QMouseEvent* event)
{
    if (!pressAt_) {
        event->ignore();
        return;
    }
    endDrag();
    setCursor(geometry().frame.contains(event->position()) ? Qt::OpenHandCursor : Qt::ArrowCursor);
}

bool CWCropOverlay::event(QEvent* event)
{
    // Another window took the pointer (an alert, a window switch): no
    // release will come.
    if (event->type() == QEvent::WindowDeactivate || event->type() == QEvent::Hide)
        endDrag();
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        const QRectF frame = geometry().frame;
        if (store_->current() && frame.contains(help->pos()))
            QToolTip::showText(help->globalPos(), tr("Drag to move the frame"), this,
                               frame.toAlignedRect());
        else
            QToolTip::hideText();
        return true;
    }
    return QWidget::event(event);
}

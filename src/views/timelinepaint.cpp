#include "views/timelinepaint.h"

#include "theme/fonts.h"
#include "theme/symbols.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>

namespace TimelinePaint {

namespace {

// A rectangle whose outer side (left or right) has rounded corners of radius.
QPainterPath outerRounded(const QRectF& r, bool left, double radius)
{
    const double rad = std::min({radius, r.width(), r.height() / 2});
    QPainterPath path;
    if (left) {
        path.moveTo(r.right(), r.top());
        path.lineTo(r.right(), r.bottom());
        path.lineTo(r.left() + rad, r.bottom());
        path.quadTo(r.left(), r.bottom(), r.left(), r.bottom() - rad);
        path.lineTo(r.left(), r.top() + rad);
        path.quadTo(r.left(), r.top(), r.left() + rad, r.top());
    } else {
        path.moveTo(r.left(), r.top());
        path.lineTo(r.right() - rad, r.top());
        path.quadTo(r.right(), r.top(), r.right(), r.top() + rad);
        path.lineTo(r.right(), r.bottom() - rad);
        path.quadTo(r.right(), r.bottom(), r.right() - rad, r.bottom());
        path.lineTo(r.left(), r.bottom());
    }
    path.closeSubpath();
    return path;
}

// A soft shadow of black at half opacity and a blur of about two points,
// drawn as widening faint outlines under the shape.
void shadow(QPainter& painter, const QPainterPath& path)
{
    painter.save();
    painter.setBrush(Qt::NoBrush);
    for (int i = 2; i >= 1; --i) {
        painter.setPen(QPen(QColor(0, 0, 0, 40 * (3 - i)), 2.0 * i, Qt::SolidLine, Qt::RoundCap,
                            Qt::RoundJoin));
        painter.drawPath(path);
    }
    painter.restore();
}

}  // namespace

QColor yellow()
{
    return QColor::fromRgbF(1.0f, 0.8f, 0.0f);
}

void filmstrip(QPainter& painter, const QSizeF& size, const QList<Thumb>& thumbs)
{
    if (thumbs.isEmpty())
        return;
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const double tile = size.width() / thumbs.size();
    for (int n = 0; n < thumbs.size(); ++n) {
        const QImage& image = thumbs[n].second;
        const QRectF cell(n * tile, 0, tile, size.height());
        if (image.isNull())
            continue;
        // Fill the tile, cropping the picture's overflow evenly on both sides.
        const double scale = std::max(cell.width() / image.width(), cell.height() / image.height());
        const QSizeF shown(cell.width() / scale, cell.height() / scale);
        const QRectF from((image.width() - shown.width()) / 2,
                          (image.height() - shown.height()) / 2, shown.width(), shown.height());
        painter.drawImage(cell, image, from);
    }
}

void handle(QPainter& painter, const QRectF& rect, bool left, bool focused, double zoom)
{
    const QPainterPath shape = outerRounded(rect, left, 7 * zoom);
    shadow(painter, shape);
    QLinearGradient fill(rect.topLeft(), rect.bottomLeft());
    fill.setColorAt(0, QColor::fromRgbF(1.0f, 0.9f, 0.4f));
    fill.setColorAt(1, QColor::fromRgbF(0.95f, 0.7f, 0.1f));
    painter.setPen(Qt::NoPen);
    painter.setBrush(fill);
    painter.drawPath(shape);
    if (focused) {
        const double line = 1.5 * zoom;
        const QRectF inner = rect.adjusted(line / 2, line / 2, -line / 2, -line / 2);
        QColor white(Qt::white);
        white.setAlphaF(0.95f);
        painter.setPen(QPen(white, line));
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(outerRounded(inner, left, 7 * zoom - line / 2));
    }
    QColor ink(Qt::black);
    ink.setAlphaF(0.7f);
    const double side = 11 * zoom;
    const QRectF glyph(rect.center().x() - side / 2, rect.center().y() - side / 2, side, side);
    MWSymbols::paint(&painter, glyph, left ? "chevron.compact.left" : "chevron.compact.right", ink);
}

void label(QPainter& painter, const QRectF& rect, const QString& text)
{
    QPainterPath capsule;
    capsule.addRoundedRect(rect, rect.height() / 2, rect.height() / 2);
    shadow(painter, capsule);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor::fromRgbF(1.0f, 0.88f, 0.35f));
    painter.drawPath(capsule);
    painter.setPen(Qt::black);
    painter.setFont(mwMono(10, QFont::Bold));
    painter.drawText(rect, Qt::AlignCenter, text);
}

}  // namespace TimelinePaint

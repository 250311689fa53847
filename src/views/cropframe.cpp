#include "views/cropframe.h"

#include "model/cropmath.h"

#include <algorithm>

namespace CropFrame {

QRectF displayRect(QSizeF natural, QSizeF view)
{
    const double wn = natural.width(), hn = natural.height();
    const double wv = view.width(), hv = view.height();
    if (!(wn > 0 && hn > 0 && wv > 0 && hv > 0))
        return {};
    const double s = std::min(wv / wn, hv / hn);
    return {(wv - wn * s) * 0.5, (hv - hn * s) * 0.5, wn * s, hn * s};
}

QRectF pictureRegion(const Input& in)
{
    const QRectF full(QPointF(0, 0), in.natural);
    const QRectF start = in.trimBorders && in.picture ? *in.picture : full;
    return start.intersected(full);
}

namespace {
// CropMath's rule with the region already chosen: the pictured part, or none
// (the whole picture) when borders are not trimmed.
QRectF cropAt(const Input& in, double centerX, double centerY)
{
    const std::optional<QRectF> picture = in.trimBorders ? in.picture : std::optional<QRectF>();
    return CropMath::cropFrame(in.aspect, in.zoom, centerX, centerY, in.natural, picture);
}
}  // namespace

Geometry geometry(const Input& in, QSizeF view)
{
    Geometry g;
    g.display = displayRect(in.natural, view);
    g.region = pictureRegion(in);
    g.crop = cropAt(in, in.centerX, in.centerY);
    const double k = g.display.width() / std::max(in.natural.width(), 1.0);
    g.frame = QRectF(g.display.left() + g.crop.left() * k, g.display.top() + g.crop.top() * k,
                     g.crop.width() * k, g.crop.height() * k);
    return g;
}

std::optional<QPointF> clampedCentre(const Input& in, QPointF wanted)
{
    const double wn = in.natural.width(), hn = in.natural.height();
    if (!(wn > 0 && hn > 0))
        return std::nullopt;
    // A degenerate region gives the zero rectangle, whose centre is the origin.
    const QRectF c = cropAt(in, wanted.x(), wanted.y());
    return QPointF(c.center().x() / wn, c.center().y() / hn);
}

std::optional<QPointF> dragCentre(const Input& in, QRectF display, QPointF start,
                                  QPointF translation)
{
    if (display.width() <= 0 || display.height() <= 0)
        return std::nullopt;
    return clampedCentre(
        in, start + QPointF(translation.x() / display.width(), translation.y() / display.height()));
}

}  // namespace CropFrame

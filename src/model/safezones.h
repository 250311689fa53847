#pragma once

#include "model/aspect.h"

#include <QList>
#include <QRectF>
#include <QString>

// What the apps a shape is made for lay over the picture: their buttons,
// captions and bars. The viewer shades these regions inside the crop frame so
// a face or a title is not framed where the viewer will never see it. The
// figures are fractions of the exported frame, so they hold at every export
// size and at every place and zoom of the frame.
namespace SafeZones {

// How far one platform's interface reaches in from each edge of the frame, as
// fractions of the frame's width (left, right) or height (top, bottom).
struct Margins {
    double top = 0;
    double bottom = 0;
    double left = 0;
    double right = 0;
    bool operator==(const Margins&) const = default;
};

struct Platform {
    QString name;
    Margins covers;
};

// One shaded region: a rectangle in fractions of the frame, (0, 0) its top
// left and (1, 1) its bottom right, with the short words drawn on it.
struct Band {
    QRectF rect;
    QString label;
};

// The platforms whose published figures are used for the shape, in no
// particular order; none for a shape whose interface is not laid over the
// picture.
QList<Platform> platforms(Aspect aspect);

// The union of the platforms' margins: each edge as far in as the furthest.
Margins covered(Aspect aspect);

// The covered margins as bands that never overlap (the top and bottom bands
// span the width; the side columns lie between them), so each covered point
// is shaded once. Top, bottom, right, left; a margin of 0 has no band, and a
// shape with no platform has none at all.
QList<Band> bands(Aspect aspect);

// What the bands leave clear, in fractions of the frame; the whole frame when
// nothing is covered.
QRectF clearArea(Aspect aspect);

// A fraction rectangle placed on a frame rectangle.
QRectF place(const QRectF& fraction, const QRectF& frame);

}  // namespace SafeZones

#pragma once

#include "model/aspect.h"

#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <optional>

// Where the crop frame is drawn over the letterboxed picture and how a drag
// moves it. Pure functions shared by the viewer and the position pad, so both
// place the frame exactly as the exporter will cut it.
namespace CropFrame {

// The frame's inputs, read from the store and the current source.
struct Input {
    QSizeF natural;                 // upright picture size in pixels
    std::optional<QRectF> picture;  // detected picture inside black bars
    bool trimBorders = true;        // whether the frame stays inside picture
    Aspect aspect = Aspect::vertical;
    double zoom = 1;
    double centerX = 0.5;
    double centerY = 0.5;
};

struct Geometry {
    QRectF display;  // D: the picture fitted into the view, in view points
    QRectF region;   // R: where the frame may go, in source pixels
    QRectF crop;     // C: the frame in source pixels
    QRectF frame;    // F: the frame in view points
};

// The picture aspect-fitted and centred in a view of that size; empty at (0, 0)
// when either size is not above 0.
QRectF displayRect(QSizeF natural, QSizeF view);

// The detected picture when trimBorders is on, else the whole picture; always
// inside the whole picture.
QRectF pictureRegion(const Input& in);

Geometry geometry(const Input& in, QSizeF view);

// The centre (fractions of the whole picture) of the frame asked to sit at
// wanted (fractions too) once it is pushed back inside the region: where the
// frame can really be. The origin when the region is degenerate; nullopt when
// there is no picture to place it on.
std::optional<QPointF> clampedCentre(const Input& in, QPointF wanted);

// The centre (fractions of the whole picture) after dragging by translation
// view points from a drag that began at start: the translation is applied to
// the start, never accumulated, and the result is the centre of the frame
// already clamped inside the region. nullopt when the display is empty (the
// drag does nothing).
std::optional<QPointF> dragCentre(const Input& in, QRectF display, QPointF start,
                                  QPointF translation);

}  // namespace CropFrame

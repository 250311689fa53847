#pragma once

#include "model/aspect.h"

#include <QRectF>
#include <QSizeF>
#include <QString>
#include <optional>

// Where a clip's crop frame sits and how exports are named. The exporter, the
// viewer, the position pad and black-bar trimming all place the frame through
// cropFrame, so the rule exists once.
namespace CropMath {

// The crop frame in pixels of the upright picture: the largest frame of the
// shape inside the picture, shrunk by zoom (1…4), centred at (centerX, centerY)
// of the full frame and slid back inside the picture. The zero rectangle when
// the picture is empty.
QRectF cropFrame(Aspect aspect, double zoom, double centerX, double centerY, QSizeF naturalSize,
                 std::optional<QRectF> picture);

struct PixelRect {
    long long w = 0;
    long long h = 0;
    long long x = 0;
    long long y = 0;
    bool operator==(const PixelRect&) const = default;
};

// Whole pixels for the converter: even sizes of at least 2, inside the source.
PixelRect pixelCrop(const QRectF& rect, QSizeF source);

// "01 Name (9x16).mp4": forbidden characters become "-", at most 80 characters of
// name, fewer when needed so the name fits 255 bytes with any " n" counter added.
QString fileName(const QString& name, Aspect aspect, int index);

}  // namespace CropMath

#pragma once

#include <QCoroTask>
#include <QImage>
#include <QRectF>
#include <QSizeF>
#include <memory>
#include <optional>

class MWAsset;

// Black bars burned into the picture (letterbox, pillarbox): where the real
// picture is, found by scanning a few frames from their edges inwards.
namespace CWBorders {

// One frame's dark lines at each edge, in pixels of that frame.
struct Edges {
    int w = 0;
    int h = 0;
    int top = 0;
    int bottom = 0;
    int left = 0;
    int right = 0;
    bool operator==(const Edges&) const = default;
};

// Counts the dark rows and columns at each edge of image, stopping at the first
// picture line and never past the middle. Nothing for an image smaller than 8
// pixels either way. Colour images are converted to grey first.
std::optional<Edges> edges(const QImage& image);

// The picture rectangle inside the bars found in every one of 7 frames spread
// over the source, in pixels of size (the source's upright picture size), with
// even origin and size; nothing when there are no usable bars or too few
// frames could be read.
QCoro::Task<std::optional<QRectF>> detect(std::shared_ptr<const MWAsset> asset, double duration,
                                          QSizeF size);

// The same work, blocking; for a worker thread.
std::optional<QRectF> detectNow(const std::shared_ptr<const MWAsset>& asset, double duration,
                                QSizeF size);

// The decision once the samples are in: minimum holds, per edge, the fewest
// dark lines over the counted frames (and the reference frame size).
std::optional<QRectF> pictureRect(const Edges& minimum, int counted, QSizeF size);

}  // namespace CWBorders

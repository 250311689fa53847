#pragma once

#include "export/delivery.h"
#include "model/cropmath.h"

#include <QRectF>
#include <QString>
#include <optional>
#include <vector>

struct Clip;
struct MWOpenedMedia;

namespace ClipExporter {

// From `time` (seconds after the clip's In, on the output's frame grid) the
// frames are cut at `crop` (stored whole pixels, as storedCrop gives them).
struct CropChange {
    double time = 0;
    CropMath::PixelRect crop;
};

// Where a clip whose frame moves is cut, output frame by output frame: output
// frame n shows the frame the path gives at In + n / rate. Only the frames
// where the cut changes are listed, the first one always, so a hold costs
// nothing. Empty for a clip without points: its one crop is the whole story.
std::vector<CropChange> cropChanges(const Clip& clip, const MWOpenedMedia& media,
                                    std::optional<QRectF> area, FrameRate rate, double start,
                                    double end);

// The changes as commands for libavfilter's sendcmd ahead of a filter named
// crop. Each takes effect half an output frame early, so that rounding in
// the frame times can never leave it one frame late.
QString cropCommands(const std::vector<CropChange>& changes, FrameRate rate);

}  // namespace ClipExporter

#pragma once

#include "model/source.h"

#include <QCoroTask>
#include <QList>
#include <functional>
#include <memory>

class MWAsset;

namespace MWMediaOpener {

// Told of each filmstrip frame as it is made: its place in the strip (0 is
// the first slice) and the frame.
using ThumbMade = std::function<void(int index, const Thumb& thumb)>;

// The filmstrip: count frames evenly spread over duration seconds, each
// standing for the middle of its slice, upright and no larger than 3 × height
// by 2 × height pixels, in time order. Never throws: frames that cannot be
// made are left out, and once cancelled returns true (asked before each frame,
// possibly from several worker threads at once) the frames made so far are
// returned. Empty for count ≤ 0, duration ≤ 0 or a source without a picture.
// made, when given, hears of each frame on the main thread as it is made, in
// no particular order, each once, before the task completes.
// pictureFilter is libavfilter text each frame goes through once scaled (the
// viewer's tone mapping of HDR), empty for none.
QCoro::Task<QList<Thumb>> thumbnails(std::shared_ptr<const MWAsset> asset, double duration,
                                     int count, double height, std::function<bool()> cancelled = {},
                                     ThumbMade made = {}, QString pictureFilter = {});

// The same work, blocking, spread over the machine's cores; made is called on
// whichever worker thread made the frame.
QList<Thumb> makeThumbnails(const std::shared_ptr<const MWAsset>& asset, double duration, int count,
                            double height, const std::function<bool()>& cancelled = {},
                            const ThumbMade& made = {}, const QString& pictureFilter = {});

}  // namespace MWMediaOpener

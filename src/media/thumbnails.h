#pragma once

#include "model/source.h"

#include <QCoroTask>
#include <QList>
#include <functional>
#include <memory>

class MWAsset;

namespace MWMediaOpener {

// The filmstrip: count frames evenly spread over duration seconds, each the
// middle of its slice, upright and no larger than 3 × height by 2 × height
// pixels. Never throws: frames that cannot be made are left out, and once
// cancelled returns true (asked before each frame, on a worker thread) the
// frames made so far are returned. Empty for count ≤ 0, duration ≤ 0 or a source without a
// picture.
QCoro::Task<QList<Thumb>> thumbnails(std::shared_ptr<const MWAsset> asset, double duration,
                                     int count, double height,
                                     std::function<bool()> cancelled = {});

// The same work, blocking; for a worker thread.
QList<Thumb> makeThumbnails(const std::shared_ptr<const MWAsset>& asset, double duration, int count,
                            double height, const std::function<bool()>& cancelled = {});

}  // namespace MWMediaOpener

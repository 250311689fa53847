#pragma once

#include "export/framemotion.h"
#include "export/job.h"
#include "model/openedmedia.h"

#include <QCoroTask>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <memory>

namespace ClipExporter {

// Writes the clip in-process (libav): the range start…end of the first video
// track, upright, cropped to crop (upright pixels), scaled to render as the
// clip's Delivery asks, with the first audio track as stereo AAC when there is
// one (through audioFilters, libavfilter text for the 48 kHz stereo sound,
// when not empty); reports progress every 150 ms and 1.0 when complete.
// moves, when not empty, move the crop frame as they say (see cropChanges).
// Throws MWCancelled when the job is or gets
// cancelled, else MWError; a failed or cancelled export leaves no file at to.
// moves (cropChanges) make the crop move; empty keeps crop for the whole clip.
// captions: captionFilter text, drawn on each output frame at its time; empty for none.
QCoro::Task<void> avExport(MWOpenedMedia media, double start, double end, QRectF crop,
                           QSizeF render, QString to, std::shared_ptr<Job> job, Progress progress,
                           QString audioFilters = {}, std::vector<CropChange> moves = {},
                           QString captions = {});

}  // namespace ClipExporter

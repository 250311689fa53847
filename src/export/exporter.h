#pragma once

#include "export/job.h"
#include "model/clip.h"
#include "model/openedmedia.h"

#include <QCoroTask>
#include <QRectF>
#include <QString>
#include <memory>
#include <optional>

// Writes one clip to one MP4 file: the range, the shape and the crop frame of
// the clip, through the converter when it is there (fast), else in-process.
// The file is written under a hidden temporary name beside the final one and
// takes the final name only once complete.
namespace ClipExporter {

// The clip's export. (The operation is "export" in the product's own terms;
// that word is reserved in C++.) area is the source's picture rectangle when
// its black bars are trimmed; shortSide 1080 or 720; to the final file, never
// an existing one of the user's: should a file take that name meanwhile, the
// next free " 2", " 3", … name is used. Returns the path written. Progress
// runs 0…1 on the main thread and may step back once when the fast path fails
// and the composition path takes over. captions are the source's cues (in
// source time); with clip.captions on, those within the clip are burned into
// its picture, and none at all is an error (the source's captions are missing).
// Throws MWError with a message for the user, or MWCancelled.
QCoro::Task<QString> exportClip(Clip clip, MWOpenedMedia media, std::optional<QRectF> area,
                                int shortSide, QString to, std::shared_ptr<Job> job,
                                Progress progress, Captions::Cues captions = {});

}  // namespace ClipExporter

#pragma once

#include "export/delivery.h"
#include "export/framemotion.h"
#include "export/job.h"
#include "model/cropmath.h"
#include "model/openedmedia.h"

#include <QCoroTask>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QStringList>
#include <memory>

namespace ClipExporter {

// The crop frame (in shown pixels of the upright picture, where the crop math
// works) as whole pixels of the upright picture as the file stores it: where
// pixels are not square, x and width are divided by the pixel aspect. Both
// engines cut these pixels and scale them to the output with square pixels.
CropMath::PixelRect storedCrop(const MWOpenedMedia& media, const QRectF& crop);

// The converter's command line for one clip: input seek to start, the clip's
// length, crop and scale, hardware H.264 (software allowed) as the clip's
// Delivery asks, stereo 48 kHz AAC when the source has sound, MP4 with its
// index at the front and no edit lists. crop is the crop frame in shown
// upright pixels; render the even output size; audioFilters libavfilter text
// for the 48 kHz stereo sound (none when empty). With cropCommandsFile
// (cropCommands' text in a file) the crop moves as it says; captions
// (captionFilter) are burned into the output picture.
QStringList fastArgs(const MWOpenedMedia& media, double start, double end, const QRectF& crop,
                     QSizeF render, const QString& to, const QString& audioFilters = {},
                     const QString& cropCommandsFile = {}, const QString& captions = {});

// Runs the converter exe with fastArgs, listed in job while it runs, with its
// progress (at most 0.99) read from the "time=" of its error stream. Throws
// MWCancelled when the job was cancelled, else MWError with the last two lines
// the converter wrote, or the launch error when it could not start. moves
// (cropChanges) make the crop move; empty keeps crop for the whole clip.
// captions: captionFilter text, or empty for none.
QCoro::Task<void> fastExport(QString exe, MWOpenedMedia media, double start, double end,
                             QRectF crop, QSizeF render, QString to, std::shared_ptr<Job> job,
                             Progress progress, QString audioFilters = {},
                             std::vector<CropChange> moves = {}, QString captions = {});

// The last two non-empty lines of text (split at line feeds), joined by a space.
QString lastTwoLines(const QString& text);

}  // namespace ClipExporter

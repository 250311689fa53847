#pragma once

// The drivers' one export of a clip, for the benchmarks that time it.

#include "export/exporter.h"
#include "model/mwerror.h"

#include <QCoroTask>
#include <cstdio>

// Exports clip to the file to; false, with the reason on the error stream,
// when the export fails.
inline QCoro::Task<bool> exportOrSay(Clip clip, MWOpenedMedia media, int shortSide, QString to,
                                     std::shared_ptr<ClipExporter::Job> job,
                                     Captions::Cues captions = {})
{
    try {
        QCoro::Task<QString> task =
            ClipExporter::exportClip(clip, media, {}, shortSide, to, job, {}, captions);
        co_await std::move(task);
    } catch (const MWError& e) {
        std::fprintf(stderr, "export failed: %s\n", qPrintable(e.message));
        co_return false;
    }
    co_return true;
}

#include "export/exporter.h"

#include "export/avexport.h"
#include "export/fastexport.h"
#include "export/framemotion.h"
#include "export/loudness.h"
#include "export/partfile.h"
#include "media/converter.h"
#include "model/aspect.h"
#include "model/cropmath.h"
#include "model/framepath.h"
#include "model/mwerror.h"
#include "platform/captiondraw.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>
#include <algorithm>

namespace ClipExporter {

namespace {

QString quoted(const QString& name)
{
    return QStringLiteral("\u201C") + name + QStringLiteral("\u201D");
}

enum class FastResult { done, failed, cancelled };

// Writes the clip to the temporary `to`, through the converter or the composition.
QCoro::Task<void> writeClip(MWOpenedMedia media, double start, double end, QRectF crop,
                            QSizeF render, QString to, std::shared_ptr<Job> job, Progress progress,
                            std::vector<CropChange> moves, QString captions)
{
    // Measured once, before either engine: a fall back to the composition
    // takes the same sound filters.
    QCoro::Task<QString> measuring = CWLoudness::clipFilters(media, start, end, job);
    const QString audioFilters = co_await std::move(measuring);
    const std::optional<QString> exe = MWMediaOpener::converterURL();
    if (exe && !job->forceComposition) {
        QFile::remove(to);
        FastResult result = FastResult::failed;
        try {
            // The call stays outside co_await: GCC 12 destroys by-value arguments
            // of a call inside a co_await expression twice.
            QCoro::Task<void> fast = fastExport(*exe, media, start, end, crop, render, to, job,
                                                progress, audioFilters, moves, captions);
            co_await std::move(fast);
            // A converter that "succeeds" with next to nothing written has failed.
            const QFileInfo written(to);
            result =
                written.exists() && written.size() > 1000 ? FastResult::done : FastResult::failed;
        } catch (const MWCancelled&) {
            result = FastResult::cancelled;
        } catch (const MWError&) {
            result = FastResult::failed;  // never shown: the composition path takes over
        }
        if (result == FastResult::done) {
            report(progress, 1.0);
            co_return;
        }
        QFile::remove(to);
        if (result == FastResult::cancelled || job->cancelled())
            throw MWCancelled();
    }
    QCoro::Task<void> composition =
        avExport(media, start, end, crop, render, to, job, progress, audioFilters, moves, captions);
    co_await std::move(composition);
}

}  // namespace

QCoro::Task<QString> exportClip(Clip clip, MWOpenedMedia media, std::optional<QRectF> area,
                                int shortSide, QString to, std::shared_ptr<Job> job,
                                Progress progress, Captions::Cues captions)
{
    const double d = media.duration;
    const double start = std::max(0.0, std::min(clip.inTime, d));
    const double end = std::max(start, std::min(clip.outTime, d));
    if (!(end - start >= 0.1)) {
        throw MWError(quoted(clip.name) +
                      QStringLiteral(" is shorter than 0.1 seconds. Set its In and Out points "
                                     "further apart."));
    }
    if (job->cancelled())
        throw MWCancelled();

    const QSizeF render = renderSize(clip.aspect, shortSide);
    // A moving frame starts where its path is at In; without points that is
    // the clip's own frame.
    const FramePath::Frame first = FramePath::frameAt(clip, start);
    const QRectF crop = CropMath::cropFrame(clip.aspect, first.zoom, first.centerX, first.centerY,
                                            media.naturalSize, area);
    if (!(crop.width() >= 2) || !(crop.height() >= 2))
        throw MWError(QStringLiteral("The frame for ") + quoted(clip.name) +
                      QStringLiteral(" is empty."));

    // The captions as a script in a file of their own while both engines may read it.
    std::unique_ptr<QTemporaryFile> script;
    QString captionText;
    if (clip.captions) {
        if (captions.empty())
            throw MWError(QStringLiteral("The captions for ") + quoted(clip.name) +
                          QStringLiteral(" are missing. Choose its video's subtitles again, or "
                                         "turn its captions off."));
        const Captions::Cues seen = Captions::forClip(captions, start, end);
        if (!seen.empty()) {
            script = std::make_unique<QTemporaryFile>(
                QDir::tempPath() + QStringLiteral("/cutwright-captions-XXXXXX.ass"));
            const QByteArray text =
                Captions::script(seen, render.toSize(), clip.aspect, clip.captionStyle);
            if (!script->open() || script->write(text) != text.size() || !script->flush())
                throw MWError(QStringLiteral("Couldn't prepare the captions for ") +
                              quoted(clip.name) + QStringLiteral("."));
            script->close();
            captionText = captionFilter(script->fileName());
        }
    }

    const QString part = CWPartFile::beside(to);
    CWPartFile::remember(part);
    try {
        QCoro::Task<void> writing =
            writeClip(media, start, end, crop, render, part, job, progress,
                      cropChanges(clip, media, area, deliveryFor(media, render.toSize()).frameRate,
                                  start, end),
                      captionText);
        co_await std::move(writing);
    } catch (...) {
        CWPartFile::discard(part);
        throw;
    }
    co_return CWPartFile::commit(part, to);
}

}  // namespace ClipExporter

// "Export All": the folder, unique names, one row per clip, a few clips at a
// time, cancel, and the summary.
#include "export/exporter.h"
#include "export/job.h"
#include "media/opener.h"
#include "model/cropmath.h"
#include "model/mwerror.h"
#include "platform/player.h"
#include "platform/services.h"
#include "store/store.h"

#include <QDir>
#include <QFileInfo>
#include <QPointer>
#include <QSet>
#include <QSettings>
#include <QStandardPaths>
#include <algorithm>

namespace {
const char* const lastFolderKey = "mwso.cw.lastExportFolder";

// base + " n.mp4" for n = 2, 3, … until taken() says no.
QString numbered(const QString& path, const std::function<bool(const QString&)>& taken)
{
    const QFileInfo info(path);
    const QString base = info.dir().filePath(info.completeBaseName());
    QString candidate = path;
    for (int n = 2; taken(candidate); ++n)
        candidate = base + QStringLiteral(" %1.mp4").arg(n);
    return candidate;
}

QString uniqueURL(const QString& path)
{
    return numbered(path, [](const QString& p) { return QFileInfo::exists(p); });
}
}  // namespace

struct CWStore::Batch {
    QList<WorkItem> items;
    qsizetype next = 0;
    int running = 0;
    int parallel = 1;
    int done = 0;
    int failed = 0;
    // Read once when the batch starts: a change of the output size while the
    // batch runs must not reach the clips still waiting.
    int shortSide = 1080;
    bool finished = false;
    QString folder;
    QElapsedTimer clock;
    std::shared_ptr<ClipExporter::Job> job;
};

QString CWStore::exportFolder()
{
    const QString last = QSettings().value(QLatin1String(lastFolderKey)).toString();
    if (!last.isEmpty() && QFileInfo::exists(last))
        return last;
    const QString movies = QStandardPaths::writableLocation(QStandardPaths::MoviesLocation);
    const QString folder = QDir(movies).filePath(QStringLiteral("MWSO Cutwright"));
    QDir().mkpath(folder);
    return folder;
}

void CWStore::exportAll(std::optional<QList<QUuid>> only)
{
    // A second batch while one runs would orphan the first one's job and rows and
    // could write over its files: it starts nothing.
    if (exporting_) {
        alertSound();
        return;
    }
    QList<Clip> list;
    for (const Clip& c : clips_) {
        if (!only || only->contains(c.id))
            list.append(c);
    }
    if (list.isEmpty()) {
        services_->alert(QStringLiteral("No clips to export"),
                         QStringLiteral("Set In and Out points and click Add Clip first."));
        return;
    }
    const auto chosen =
        services_->chooseFolder(QStringLiteral("Export Here"),
                                QStringLiteral("Choose a folder for the %1 clip%2")
                                    .arg(list.size())
                                    .arg(list.size() == 1 ? QString() : QStringLiteral("s")),
                                exportFolder());
    if (!chosen || chosen->isEmpty())
        return;
    const QString folder = *chosen;
    QSettings().setValue(QLatin1String(lastFolderKey), folder);

    player_->pause();
    auto batch = std::make_shared<Batch>();
    batch->folder = folder;
    batch->shortSide = shortSide_;
    batch->job = std::make_shared<ClipExporter::Job>();
    // Like the size: a change while the batch runs reaches only the next batch.
    batch->job->normalizeLoudness = audioLevel_ == AudioLevel::normalized;
    job_ = batch->job;
    assign(exportRows_, QList<ExportRow>{}, Field::exportRows);
    assign(exporting_, true, Field::exporting);

    QList<ExportRow> rows;
    QSet<QString> used;
    for (qsizetype p = 0; p < list.size(); ++p) {
        const Clip& clip = list[p];
        const auto source = std::find_if(sources_.begin(), sources_.end(),
                                         [&](const CWSource& s) { return s.id == clip.sourceID; });
        if (source == sources_.end())
            continue;
        QString path = uniqueURL(
            QDir(folder).filePath(CropMath::fileName(clip.name, clip.aspect, int(p + 1))));
        path = numbered(path, [&](const QString& c) { return used.contains(c); });
        used.insert(path);
        rows.append(ExportRow{clip.id, QFileInfo(path).fileName(), 0, QStringLiteral("Waiting"),
                              std::nullopt});
        batch->items.append({clip, *source, path});
    }
    assign(exportRows_, rows, Field::exportRows);

    batch->parallel = parallelism();
    batch->clock.start();
    launchNext(batch);
    finishBatch(batch);
}

int CWStore::parallelism() const
{
    // The composition path runs one clip at a time; converter processes a quarter
    // of the cores, at most three.
    if (!MWMediaOpener::converterURL())
        return 1;
    const int cores = services_->processorCount();
    return cores < 4 ? 1 : std::min(cores / 4, 3);
}

void CWStore::launchNext(std::shared_ptr<Batch> batch)
{
    while (batch->running < batch->parallel && batch->next < batch->items.size() &&
           !batch->job->cancelled()) {
        const WorkItem item = batch->items[batch->next++];
        ++batch->running;
        runItem(batch, item);
    }
}

void CWStore::setRow(const QUuid& id, const std::function<void(ExportRow&)>& change)
{
    // Rows are found by clip id: clips finish in a different order than they start.
    for (ExportRow& row : exportRows_) {
        if (row.id == id) {
            change(row);
            emit changed(Field::exportRows);
            return;
        }
    }
}

namespace {
QString captionsMissing(const CWSource& source)
{
    QString why = source.captionsProblem;
    if (why.isEmpty())
        why = source.captions.isEmpty() ? QStringLiteral("its video has no captions attached.")
              : source.captions.file.isEmpty()
                  ? QStringLiteral("the video's subtitle track is still being read.")
                  : QFileInfo(source.captions.file).fileName() +
                        QStringLiteral(" is still being read.");
    if (!why.endsWith(u'.'))
        why += u'.';
    return QStringLiteral("Captions missing: ") + why +
           QStringLiteral(" Attach them again, or switch this clip's captions off.");
}
}  // namespace

QCoro::Task<> CWStore::runItem(std::shared_ptr<Batch> batch, WorkItem item)
{
    QPointer<CWStore> self(this);
    const QUuid id = item.clip.id;
    setRow(id, [](ExportRow& r) { r.state = QStringLiteral("Exporting…"); });
    const std::optional<QRectF> area = item.source.trimBorders ? item.source.picture : std::nullopt;
    std::optional<QString> failure;
    bool cancelled = false;
    QString written = item.path;
    // A named callback: GCC 12 mishandles temporaries inside co_await.
    const ClipExporter::Progress progress = [self, id](double fraction) {
        if (self)
            self->setRow(id, [fraction](ExportRow& r) { r.progress = fraction; });
    };
    try {
        // A clip whose captions cannot be drawn is not exported without them.
        if (item.clip.captions && !item.source.cues)
            throw MWError(captionsMissing(item.source));
        // Named, not a temporary inside co_await (GCC 12).
        QCoro::Task<QString> exporting = ClipExporter::exportClip(
            item.clip, item.source.media, area, batch->shortSide, item.path, batch->job, progress,
            item.clip.captions ? *item.source.cues : Captions::Cues{});
        written = co_await std::move(exporting);
    } catch (const MWCancelled&) {
        cancelled = true;
    } catch (const MWError& error) {
        failure = error.message;
    } catch (const std::exception& error) {
        failure = QString::fromLocal8Bit(error.what());
    }
    if (!self)
        co_return;
    --batch->running;
    if (cancelled) {
        setRow(id, [](ExportRow& r) { r.state = QStringLiteral("Cancelled"); });
    } else if (failure) {
        ++batch->failed;
        setRow(id, [&](ExportRow& r) { r.state = QStringLiteral("Failed: ") + *failure; });
    } else {
        ++batch->done;
        setRow(id, [&](ExportRow& r) {
            r.state = QStringLiteral("Done");
            r.progress = 1.0;
            r.name = QFileInfo(written).fileName();  // another name only if the first was taken
            r.file = written;
        });
    }
    launchNext(batch);
    finishBatch(batch);
}

void CWStore::finishBatch(std::shared_ptr<Batch> batch)
{
    // Clips that fail at once finish inside the launch that started them, so
    // several finishing paths can arrive here; the batch ends once.
    if (batch->finished || batch->running > 0)
        return;
    batch->finished = true;
    const bool cancelled = batch->job->cancelled();
    for (ExportRow& row : exportRows_) {
        if (row.state == QLatin1String("Waiting") || row.state == QLatin1String("Exporting…"))
            row.state = cancelled ? QStringLiteral("Cancelled") : QStringLiteral("Skipped");
    }
    emit changed(Field::exportRows);
    assign(exporting_, false, Field::exporting);
    lastExportSeconds_ = double(batch->clock.nsecsElapsed()) / 1e9;
    QString note = QStringLiteral("Exported %1 clip%2")
                       .arg(batch->done)
                       .arg(batch->done == 1 ? QString() : QStringLiteral("s"));
    if (batch->failed > 0)
        note += QStringLiteral(", %1 failed").arg(batch->failed);
    note += QStringLiteral(" to ") + QFileInfo(batch->folder).fileName() + QStringLiteral(" in ") +
            QString::asprintf("%.1f", lastExportSeconds_) + QStringLiteral(" s.");
    setNote(note);
    if (batch->done > 0) {
        QStringList files;
        for (const ExportRow& row : exportRows_) {
            if (row.file)
                files << *row.file;
        }
        services_->reveal(files);
    }
    emit exportFinished();
}

void CWStore::cancelExport()
{
    if (job_)
        job_->cancel();
}

void CWStore::closeExportRows()
{
    if (!exporting_)
        assign(exportRows_, QList<ExportRow>{}, Field::exportRows);
}

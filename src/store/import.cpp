// Bringing videos into the media bin: the open panel, the batching queue, the
// import run, removing sources and black-bar trimming.
#include "media/captionfiles.h"
#include "media/opener.h"
#include "model/cropmath.h"
#include "model/formats.h"
#include "model/mwerror.h"
#include "model/mwtime.h"
#include "platform/launchtrace.h"
#include "platform/player.h"
#include "platform/services.h"
#include "store/store.h"

#include <QCoroTimer>
#include <QFileInfo>
#include <QPointer>
#include <algorithm>

namespace {
// The file a path names, standardised and with symbolic links resolved, so a
// link to a file already in the bin is recognised as that file.
QString fileKey(const QString& path)
{
    const QString resolved = QFileInfo(path).canonicalFilePath();
    return resolved.isEmpty() ? QFileInfo(path).absoluteFilePath() : resolved;
}
}  // namespace

void CWStore::chooseFiles()
{
    const QStringList paths = services_->chooseVideos(
        QStringLiteral("Choose one or more videos to cut into clips"), CWFormats::exts());
    if (!paths.isEmpty())
        importFiles(paths);
}

void CWStore::enqueueImport(const QStringList& paths)
{
    incoming_ += paths;
    if (!incomingTimer_) {
        incomingTimer_ = new QTimer(this);
        incomingTimer_->setSingleShot(true);
        incomingTimer_->setInterval(600);
        connect(incomingTimer_, &QTimer::timeout, this, [this] {
            const QStringList batch = std::exchange(incoming_, {});
            importFiles(batch);
        });
    }
    incomingTimer_->start();  // restarting pushes the batch 0.6 s past the last drop
}

bool CWStore::hasFile(const QString& path) const
{
    return sourceWithFile(path).has_value();
}

std::optional<QUuid> CWStore::sourceWithFile(const QString& path) const
{
    const QString key = fileKey(path);
    for (const CWSource& s : sources_) {
        if (fileKey(s.media.original) == key)
            return s.id;
    }
    return std::nullopt;
}

std::optional<CWSession::Source> CWStore::pendingSourceWithFile(const QString& path) const
{
    const QString key = fileKey(path);
    for (const CWSession::Source& p : pendingSources_) {
        if (fileKey(p.path) == key)
            return p;
    }
    return std::nullopt;
}

int CWStore::beginBusy()
{
    return ++lastBusyRun_;
}

void CWStore::setBusy(int run, const QString& text, std::optional<double> fraction)
{
    busyRuns_.removeIf([run](const BusyRun& r) { return r.id == run; });
    busyRuns_.append({run, text, fraction});
    showBusy();
}

void CWStore::endBusy(int run)
{
    busyRuns_.removeIf([run](const BusyRun& r) { return r.id == run; });
    showBusy();
}

void CWStore::showBusy()
{
    const std::optional<QString> text =
        busyRuns_.isEmpty() ? std::nullopt : std::optional(busyRuns_.last().text);
    const std::optional<double> fraction =
        busyRuns_.isEmpty() ? std::nullopt : busyRuns_.last().fraction;
    if (busy_ != text)
        assign(busy_, text, Field::busy);
    if (progress_ != fraction)
        assign(progress_, fraction, Field::progress);
}

void CWStore::appendSource(CWSource source)
{
    willChange();
    sources_.append(std::move(source));
    emit changed(Field::sources);
}

QCoro::Task<> CWStore::importFiles(QStringList paths)
{
    // The store lives for the whole run, but a task must never outlive it unnoticed.
    QPointer<CWStore> self(this);
    QList<Failure> failures;
    const int run = beginBusy();
    for (const QString& path : paths) {
        if (hasFile(path))
            continue;
        const QString name = QFileInfo(path).fileName();
        setBusy(run, QStringLiteral("Loading ") + name + QStringLiteral("…"), std::nullopt);

        // Callbacks are named locals, never temporaries inside a co_await:
        // GCC 12 destroys such temporaries twice.
        const MWStatus status = [self, run](const QString& text, std::optional<double> fraction) {
            if (self)
                self->setBusy(run, text, fraction);
        };
        MWOpenedMedia media;
        try {
            CWLaunchTrace::mark("opening the file");
            // Nothing on screen: the player opens the file meanwhile, so the
            // picture does not wait for both openings one after the other.
            if (!currentSourceID_)
                player_->preload(path);
            media = co_await MWMediaOpener::open(path, true, status);
            CWLaunchTrace::mark("file opened");
        } catch (const MWError& error) {
            QString message = error.message;
            if (message == QLatin1String("no video"))
                message = QStringLiteral(
                    "This file has no picture (it is audio only). Cutwright needs a video.");
            failures.append({name, message});
        }
        if (!self)
            co_return;
        if (!media.asset)
            continue;

        CWSource source;
        source.id = QUuid::createUuid();
        source.bookmark = services_->makeBookmark(path);
        source.trimBorders = true;
        source.media = media;
        // The file of a saved video still waiting (the restore did not find it,
        // or has not reached it yet) comes back as that video, with its clips.
        const std::optional<CWSession::Source> returning = pendingSourceWithFile(path);
        if (returning) {
            const QUuid savedId = QUuid::fromString(returning->id);
            const bool free = std::none_of(sources_.begin(), sources_.end(),
                                           [&](const CWSource& s) { return s.id == savedId; });
            if (!savedId.isNull() && returning->id.size() == 36 && free)
                source.id = savedId;
            source.trimBorders = returning->trimBorders.value_or(true);
        }
        // A subtitle file beside the video comes with it; a returning video
        // brings what it had.
        source.captions = returning ? returning->captions.value_or(Captions::Attachment{})
                                    : Captions::Attachment{Captions::sidecarFor(path), -1};
        // The video is in the bin and on screen at once; its filmstrip and any
        // black bars follow, so the user sees the picture without waiting for
        // two passes over a long file.
        const QUuid id = source.id;
        {
            const Step step(this,
                            {QStringLiteral("Import Video"), QString(), CWHistory::Joining::never});
            appendSource(source);
            if (returning)
                adopt(returning->id, id);
            select(id);
            save();
        }
        // The captions are read while the filmstrip is made.
        QCoro::Task<QString> captionsRead = readCaptions(id);

        // The player's first picture comes first: the filmstrip's decoding
        // would take the processor from it. A second at the most, for a
        // player that never settles.
        for (int waited = 0; self && !player_->settled() && waited < 1000; waited += 20)
            co_await QCoro::sleepFor(std::chrono::milliseconds(20));
        if (!self)
            co_return;
        setBusy(run, QStringLiteral("Making the filmstrip…"), std::nullopt);
        QCoro::Task<std::optional<QRectF>> making = streamFilmstripAndBars(id, media);
        const std::optional<QRectF> picture = co_await std::move(making);
        if (!self)
            co_return;
        // Removed meanwhile: the run goes on with the next file.
        if (std::none_of(sources_.begin(), sources_.end(),
                         [&](const CWSource& s) { return s.id == id; }))
            continue;

        if (picture)
            setNote(QStringLiteral("Loaded ") + name +
                    QStringLiteral(". Black bars found in the picture — the frame stays inside "
                                   "the real picture (switch “Remove black bars” off to keep "
                                   "them)."));
        else if (media.note)
            setNote(*media.note);
        else
            // One pass over every marker: a chained arg() would also fill markers
            // inside the name ("clip%2C final.mp4").
            setNote(QStringLiteral("Loaded %1 (%2, %3×%4).")
                        .arg(name, MWTime::clock(media.duration, false),
                             QString::number(qint64(media.naturalSize.width())),
                             QString::number(qint64(media.naturalSize.height()))));
        const QString captionsProblem = co_await std::move(captionsRead);
        if (!self)
            co_return;
        if (!captionsProblem.isEmpty())
            setNote(note_.value_or(QString()) + QStringLiteral(" ") + captionsProblem);
    }
    endBusy(run);
    cwReleaseFreedMemory();
    if (const auto summary = importSummary(failures, int(paths.size()))) {
        setNote(summary->title);
        services_->alert(summary->title, summary->body);
    }
    emit importFinished();
}

std::optional<CWStore::Summary> CWStore::importSummary(const QList<Failure>& failures, int total)
{
    if (failures.isEmpty())
        return std::nullopt;
    if (failures.size() == 1 && total == 1)
        return Summary{QStringLiteral("Can't use “") + failures[0].name + QStringLiteral("”"),
                       failures[0].message};
    const int count = int(failures.size());
    QString title = QStringLiteral("%1 of %2 file%3 couldn't be opened")
                        .arg(count)
                        .arg(total)
                        .arg(total == 1 ? QString() : QStringLiteral("s"));
    if (total - count >= 1)
        title += QStringLiteral(" (%1 loaded fine)").arg(total - count);
    QStringList lines;
    for (const Failure& f : failures)
        lines << QStringLiteral("• ") + f.name + QStringLiteral(": ") + f.message;
    return Summary{title, lines.join(QStringLiteral("\n\n"))};
}

void CWStore::removeSource(QUuid id)
{
    // The removed video is kept whole in the history, opened and with its
    // filmstrip, and comes back with its clips.
    const Step step(this, {QStringLiteral("Remove Video"), QString(), CWHistory::Joining::never});
    willChange();
    QList<CWSource> kept = sources_;
    kept.removeIf([&](const CWSource& s) { return s.id == id; });
    assign(sources_, kept, Field::sources);
    QList<Clip> clips = clips_;
    clips.removeIf([&](const Clip& c) { return c.sourceID == id; });
    setClips(std::move(clips));
    if (currentSourceID_ == id) {
        assign(currentSourceID_, std::optional<QUuid>(), Field::currentSourceID);
        player_->replaceItem(nullptr);
        if (!sources_.isEmpty())
            select(sources_.first().id);
    }
    save();
}

void CWStore::setTrimBorders(bool on)
{
    qsizetype index = -1;
    for (qsizetype i = 0; i < sources_.size(); ++i) {
        if (sources_[i].id == currentSourceID_)
            index = i;
    }
    if (index < 0)
        return;
    const Step step(this,
                    {on ? QStringLiteral("Remove Black Bars") : QStringLiteral("Keep Black Bars"),
                     QString(), CWHistory::Joining::never});
    willChange();
    sources_[index].trimBorders = on;
    emit changed(Field::sources);

    const CWSource& s = sources_[index];
    const QSizeF size = s.media.naturalSize;
    const std::optional<QRectF> area = on && s.picture ? s.picture : std::nullopt;
    // The same rule that places the frame for export pulls it inside the picture.
    const QRectF frame = CropMath::cropFrame(aspect_, zoom_, centerX_, centerY_, size, area);
    if (frame.width() > 0 && frame.height() > 0) {
        setCenterX(frame.center().x() / size.width());
        setCenterY(frame.center().y() / size.height());
    }
    save();
}

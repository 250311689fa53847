// Bringing the last session back at launch.
#include "export/partfile.h"
#include "media/opener.h"
#include "model/jsontext.h"
#include "platform/launchtrace.h"
#include "platform/player.h"
#include "platform/services.h"
#include "store/store.h"

#include <QCoroTimer>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QSet>
#include <algorithm>

namespace {
// Moves an unusable session to "session.json.unreadable-<UTC time>", never over
// another file; the new name, or nothing when it could not be moved (then no
// save can replace it either: both need the same folder).
std::optional<QString> keepAside(const QString& path)
{
    const QString stem =
        path + QStringLiteral(".unreadable-") +
        QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    for (int n = 1; n < 100; ++n) {
        const QString target = n == 1 ? stem : stem + QLatin1Char('-') + QString::number(n);
        if (!QFileInfo::exists(target) && QFile::rename(path, target))
            return target;
    }
    return std::nullopt;
}
}  // namespace

void CWStore::adopt(const QString& savedId, const QUuid& into)
{
    willChange();
    QList<Clip> toAdd;
    QSet<QUuid> have;
    for (const Clip& c : clips_)
        have.insert(c.id);
    for (const Clip& c : pendingClips_) {
        if (uuidText(c.sourceID) == savedId && !have.contains(c.id)) {
            // A clip under an id no source in the bin has would show nowhere
            // and be skipped by every export.
            Clip adopted = c;
            adopted.sourceID = into;
            toAdd.append(adopted);
        }
    }
    pendingClips_.removeIf([&](const Clip& c) { return uuidText(c.sourceID) == savedId; });
    pendingSources_.removeIf([&](const CWSession::Source& s) { return s.id == savedId; });
    setClips(clips_ + toAdd);
    save();
}

QCoro::Task<> CWStore::restore()
{
    if (restoreStarted_)
        co_return;
    restoreStarted_ = true;
    // Exports a crash cut short left their hidden temporaries; this is the
    // one run of the user's, so none of them can still be written.
    CWPartFile::sweepLeftovers();
    // Nothing beside the session is removed: a leftover of a save killed
    // half-way looks exactly like a user's own "session.json.backup".

    CWLaunchTrace::mark("restore");
    QFile file(sessionURL());
    std::optional<CWSession> session;
    if (file.open(QIODevice::ReadOnly)) {
        const QByteArray bytes = file.readAll();
        file.close();
        if (bytes.isEmpty())
            co_return;  // holds nothing: the next save may replace it
        session = CWSession::decode(bytes);
    } else if (!QFileInfo(file.fileName()).isFile()) {
        co_return;  // no session yet, or something no save can replace
    }
    if (!session) {
        // The next save would overwrite a file that may hold every clip the
        // user made: it goes aside first, under a name that says why.
        const std::optional<QString> kept = keepAside(file.fileName());
        setNote(QStringLiteral("The last session couldn't be read, so nothing was restored.") +
                (kept ? QString::fromUtf8(" It is kept as “") + *kept + QString::fromUtf8("”.")
                      : QString()));
        co_return;
    }
    const QList<CWSession::Source> saved = session->allSources();
    if (saved.isEmpty())
        co_return;
    {
        const Unrecorded restoring(this);
        pendingSources_ = saved;
        pendingClips_ = session->clips;
    }

    QPointer<CWStore> self(this);
    QStringList missing;
    QStringList unreadCaptions;
    const int run = beginBusy();
    for (const CWSession::Source& entry : saved) {
        QString path = entry.path;
        bool resolvedBookmark = false;
        if (entry.bookmark) {
            if (const auto resolved = services_->resolveBookmark(*entry.bookmark)) {
                path = *resolved;
                resolvedBookmark = true;
            }
        }
        const QString name = QFileInfo(path).fileName();
        const auto known = std::find_if(sources_.begin(), sources_.end(), [&](const CWSource& s) {
            return uuidText(s.id) == entry.id;
        });
        const std::optional<QUuid> inBin =
            known != sources_.end() ? std::optional(known->id) : sourceWithFile(path);
        if (inBin) {
            const Unrecorded restoring(this);
            adopt(entry.id, *inBin);
            continue;
        }
        setBusy(run, QStringLiteral("Restoring ") + name + QStringLiteral("…"), std::nullopt);
        if (!QFileInfo::exists(path)) {
            missing << name;
            continue;
        }
        const MWStatus status = [self, name, run](const QString& text,
                                                  std::optional<double> fraction) {
            if (self)
                self->setBusy(run,
                              QStringLiteral("Restoring ") + name + QStringLiteral(" — ") + text,
                              fraction);
        };
        MWOpenedMedia media;
        try {
            // A named callback: GCC 12 mishandles temporaries inside co_await.
            CWLaunchTrace::mark("opening the first saved file");
            if (!currentSourceID_)
                player_->preload(path);
            media = co_await MWMediaOpener::open(path, true, status);
            CWLaunchTrace::mark("first saved file opened");
        } catch (const std::exception&) {
        }
        if (!self)
            co_return;
        if (!media.asset) {
            missing << name;
            continue;
        }
        CWSource source;
        const QUuid savedId = QUuid::fromString(entry.id);
        // A saved id that is no UUID gets a fresh one; its clips then stay pending.
        source.id = savedId.isNull() || entry.id.size() != 36 ? QUuid::createUuid() : savedId;
        source.bookmark =
            entry.bookmark && resolvedBookmark ? entry.bookmark : services_->makeBookmark(path);
        source.trimBorders = entry.trimBorders.value_or(true);
        source.captions = entry.captions.value_or(Captions::Attachment{});
        source.media = media;
        const QUuid id = source.id;
        {
            // Imported while it was opening here (the import then took its id):
            // one source for the file, holding the clips.
            const Unrecorded restoring(this);
            if (const std::optional<QUuid> arrived = sourceWithFile(path)) {
                adopt(entry.id, *arrived);
                continue;
            }
            appendSource(std::move(source));
            adopt(entry.id, id);
            if (!currentSourceID_)
                select(id);
        }
        // The video is back at once; its filmstrip streams in, after the
        // player's first picture when it is the one on screen (a second at
        // the most, for a player that never settles).
        for (int waited = 0; self && currentSourceID_ == id && !player_->settled() && waited < 1000;
             waited += 20)
            co_await QCoro::sleepFor(std::chrono::milliseconds(20));
        if (!self)
            co_return;
        setBusy(run, QStringLiteral("Restoring ") + name + QStringLiteral(" — filmstrip…"),
                std::nullopt);
        QCoro::Task<std::optional<QRectF>> making = streamFilmstripAndBars(id, media);
        co_await std::move(making);
        if (!self)
            co_return;
        // Captions that cannot be read are named in the note; the clips keep
        // their switch, and their export says what is missing.
        QCoro::Task<QString> captionsRead = readCaptions(id);
        const QString captionsProblem = co_await std::move(captionsRead);
        if (!self)
            co_return;
        if (!captionsProblem.isEmpty())
            unreadCaptions << captionsProblem;
    }

    endBusy(run);
    const auto plural = [](qsizetype n, const char* word) {
        return QStringLiteral("%1 %2%3")
            .arg(n)
            .arg(QLatin1String(word))
            .arg(n == 1 ? QString() : QStringLiteral("s"));
    };
    const QString counts =
        plural(sources_.size(), "video") + QStringLiteral(", ") + plural(clips_.size(), "clip");
    if (missing.isEmpty())
        setNote(QStringLiteral("Restored your last session: ") + counts + QStringLiteral("."));
    else
        setNote(QStringLiteral("Restored ") + counts + QStringLiteral(". Not found: ") +
                missing.join(QStringLiteral(", ")) +
                QStringLiteral(" — its clips are kept and come back when the file is available "
                               "again."));
    if (!unreadCaptions.isEmpty())
        setNote(note_.value_or(QString()) + QStringLiteral(" Captions: ") +
                unreadCaptions.join(QStringLiteral(" ")));
    save();
    // Once per run, not per source: trimming walks every heap and costs more
    // than it frees when repeated.
    cwReleaseFreedMemory();
    emit restoreFinished();
}

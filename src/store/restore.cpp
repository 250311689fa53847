// Bringing the last session back at launch.
#include "media/opener.h"
#include "model/jsontext.h"
#include "platform/services.h"
#include "store/store.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QSet>
#include <algorithm>

void CWStore::adopt(const QString& savedId, const QUuid& into)
{
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
    // A save killed half-way leaves its temporary beside the session. No save has
    // run yet in this process, so every such file is stale.
    const QFileInfo sessionFile(sessionURL());
    const QDir folder = sessionFile.dir();
    for (const QString& stale :
         folder.entryList({sessionFile.fileName() + QStringLiteral(".??????")}, QDir::Files))
        QFile::remove(folder.filePath(stale));

    QFile file(sessionURL());
    if (!file.open(QIODevice::ReadOnly))
        co_return;
    // An unreadable document leaves the store empty; the next real save replaces it.
    const auto session = CWSession::decode(file.readAll());
    file.close();
    if (!session)
        co_return;
    const QList<CWSession::Source> saved = session->allSources();
    if (saved.isEmpty())
        co_return;
    pendingSources_ = saved;
    pendingClips_ = session->clips;

    QPointer<CWStore> self(this);
    QStringList missing;
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
            adopt(entry.id, *inBin);
            continue;
        }
        setBusy(QStringLiteral("Restoring ") + name + QStringLiteral("…"), std::nullopt);
        if (!QFileInfo::exists(path)) {
            missing << name;
            continue;
        }
        const MWStatus status = [self, name](const QString& text, std::optional<double> fraction) {
            if (self)
                self->setBusy(QStringLiteral("Restoring ") + name + QStringLiteral(" — ") + text,
                              fraction);
        };
        MWOpenedMedia media;
        try {
            // A named callback: GCC 12 mishandles temporaries inside co_await.
            media = co_await MWMediaOpener::open(path, true, status);
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
        setBusy(QStringLiteral("Restoring ") + name + QStringLiteral(" — filmstrip…"),
                std::nullopt);
        source.media = media;
        source = co_await withFilmstripAndBars(std::move(source));
        if (!self)
            co_return;
        // Imported while it was opening here (the import then took its id):
        // one source for the file, holding the clips.
        if (const std::optional<QUuid> arrived = sourceWithFile(path)) {
            adopt(entry.id, *arrived);
            continue;
        }
        const QUuid id = source.id;
        appendSource(std::move(source));
        adopt(entry.id, id);
        if (!currentSourceID_)
            select(id);
    }

    setBusy(std::nullopt, std::nullopt);
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
    save();
    emit restoreFinished();
}

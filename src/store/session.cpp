// The session file: written after every change once the restore has started.
#include "model/jsontext.h"
#include "platform/player.h"
#include "store/store.h"

#include <QDir>
#include <QSaveFile>
#include <QSet>
#include <QStandardPaths>
#include <QTimer>
#include <QtConcurrent/QtConcurrentRun>

namespace {
// Written aside and renamed into place: a crash leaves the previous file whole.
void commitSession(const CWSession& session, const QString& path)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return;
    file.write(session.encode());
    file.commit();
}
}  // namespace

QString CWStore::sessionURL()
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                           QStringLiteral("/Marrowick/Cutwright");
    QDir().mkpath(folder);
    return folder + QStringLiteral("/session.json");
}

CWSession CWStore::sessionSnapshot() const
{
    QList<CWSession::Source> sources;
    QSet<QString> ids;
    for (const CWSource& s : sources_) {
        // Linux has no persistent bookmarks: a source keeps one only if it came with it.
        sources.append({uuidText(s.id), s.media.original, s.bookmark, s.trimBorders,
                        s.captions.isEmpty() ? std::nullopt : std::optional(s.captions)});
        ids.insert(uuidText(s.id));
    }
    for (const CWSession::Source& p : pendingSources_) {
        if (!ids.contains(p.id))
            sources.append(p);
    }
    QList<Clip> clips = clips_;
    QSet<QUuid> clipIds;
    for (const Clip& c : clips_)
        clipIds.insert(c.id);
    for (const Clip& c : pendingClips_) {
        if (!clipIds.contains(c.id))
            clips.append(c);
    }
    CWSession session;
    session.version = 2;
    session.sources = sources;
    session.clips = clips;
    return session;
}

void CWStore::save()
{
    if (!restoreStarted_)
        return;
    if (saveHolds_ > 0) {
        savePending_ = true;
        if (!saveThrottle_->isActive())
            saveThrottle_->start();
        return;
    }
    writeSession();
}

CWStore::SaveHold::SaveHold(CWStore* store) : store_(store)
{
    // A new gesture: its changes make one step of the history.
    if (store_->saveHolds_++ == 0)
        ++store_->gestures_;
}

CWStore::SaveHold::~SaveHold()
{
    if (store_)
        store_->releaseSaveHold();
}

void CWStore::releaseSaveHold()
{
    if (--saveHolds_ > 0)
        return;
    history_.endRun();
    // A dragged handle or playhead has stopped where it was let go.
    if (player_)
        player_->endSeeking();
    saveThrottle_->stop();
    if (std::exchange(savePending_, false))
        writeSession();
}

void CWStore::writeSession()
{
    sessionWrite_.waitForFinished();
    if (!restoreStarted_)
        return;
    commitSession(sessionSnapshot(), sessionURL());
}

void CWStore::writeSessionAside()
{
    if (!restoreStarted_)
        return;
    // Encoding and committing a session of many clips takes milliseconds that
    // the pointer's next steps need; the snapshot shares the store's lists.
    if (!sessionWrite_.isFinished()) {
        savePending_ = true;
        saveThrottle_->start();
        return;
    }
    sessionWrite_ =
        QtConcurrent::run(&sessionWriter_, [session = sessionSnapshot(), path = sessionURL()] {
            commitSession(session, path);
        });
}

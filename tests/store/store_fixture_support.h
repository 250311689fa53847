#pragma once

#include <gtest/gtest.h>

#include "common/storeaccess.h"
#include "common/testutil.h"
#include "store/scriptedplayer_support.h"
#include "store/scriptedservices_support.h"
#include "store/store.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <functional>
#include <memory>
#include <optional>

// The session file (or a file beside it) and the waits that the store tests share.
namespace storetest {
inline void writeSession(const QByteArray& bytes, const QString& file = CWStore::sessionURL())
{
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// The clips' names, in the store's order.
inline QStringList clipNames(const QList<Clip>& clips)
{
    QStringList list;
    for (const Clip& c : clips)
        list << c.name;
    return list;
}

inline QByteArray readSession(const QString& file = CWStore::sessionURL())
{
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline std::optional<CWSession> savedSession()
{
    return CWSession::decode(readSession());
}

// A store on a scripted player and desktop, from no saved session; its clock
// moves only when a test calls observeTime().
inline std::unique_ptr<CWStore> scriptedStore(ScriptedPlayer*& player, ScriptedServices*& services)
{
    QFile::remove(CWStore::sessionURL());
    auto store =
        std::make_unique<CWStore>(player = new ScriptedPlayer, services = new ScriptedServices);
    CWStoreTestAccess::stopObserver(*store);
    return store;
}

// A source of the given length and frame rate, named after file (no media opened).
inline CWSource addSource(CWStore& store, const QString& file, double duration, float fps = 25)
{
    CWSource s;
    s.id = QUuid::createUuid();
    s.media.original = s.media.playable = file;
    s.media.duration = duration;
    s.media.hasVideo = true;
    s.media.naturalSize = QSizeF(1920, 1080);
    s.media.nominalFrameRate = fps;
    CWStoreTestAccess::addSource(store, s);
    return s;
}

// A clip with the frame centred at zoom 1.
inline Clip clipOf(const QUuid& source, const QString& name, double in, double out,
                   Aspect aspect = Aspect::square)
{
    return Clip{QUuid::createUuid(), source, name, in, out, aspect, 1, 0.5, 0.5};
}

// The store of the next launch: a scripted player and desktop, restored (the
// wait is for the restore's loop, if it starts one).
inline std::unique_ptr<CWStore> launched()
{
    auto store = std::make_unique<CWStore>(new ScriptedPlayer, new ScriptedServices);
    auto task = store->restore();
    EXPECT_TRUE(testutil::waitUntil([&] { return task.isReady(); }, 120000));
    return store;
}

// Imports at once (no batching) and waits for the run to end.
inline void importNow(CWStore& store, const QStringList& paths)
{
    QSignalSpy finished(&store, &CWStore::importFinished);
    store.importFiles(paths);
    ASSERT_TRUE(testutil::waitUntil([&] { return finished.count() == 1; }, 120000));
}

// Exports every clip and waits for the batch to end; meanwhile runs as soon
// as the batch has started.
inline void exportAndWait(CWStore& store, const std::function<void()>& meanwhile = {})
{
    QSignalSpy finished(&store, &CWStore::exportFinished);
    store.exportAll();
    if (meanwhile)
        meanwhile();
    ASSERT_TRUE(testutil::waitUntil([&] { return finished.count() == 1; }, 300000));
}
}  // namespace storetest

// A store on a scripted player, with sources made by hand (no media opened).
class StoreTest : public ::testing::Test {
protected:
    void SetUp() override { store = storetest::scriptedStore(player, services); }

    CWSource addSource(const QString& file, double duration, float fps = 25)
    {
        return storetest::addSource(*store, file, duration, fps);
    }

    // Plays the scripted player to t and lets the observer see it.
    void tickAt(double t)
    {
        player->now = t;
        store->observeTime();
    }

    // A copy of a test media file in the test's own folder of videos.
    QString copy(const QString& fixture, const QString& name)
    {
        return testutil::copyFixture(fixture, media.path(), name);
    }

    QTemporaryDir media;  // the user's videos
    QTemporaryDir out;    // where exports go
    ScriptedPlayer* player = nullptr;
    ScriptedServices* services = nullptr;  // owned by the store
    std::unique_ptr<CWStore> store;
};

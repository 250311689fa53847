#include "store_fixture_support.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <unistd.h>
#include <utility>

using namespace storetest;

namespace {
// Only the files whose rows ended "Done" may be in the folder.
void expectOnlyFinishedFiles(const CWStore& store, const QString& folder)
{
    QStringList done;
    for (const ExportRow& row : store.exportRows()) {
        if (row.state == QLatin1String("Done"))
            done << row.name;
    }
    QStringList present = QDir(folder).entryList(QDir::Files);
    present.sort();
    done.sort();
    EXPECT_EQ(present, done);
}
}  // namespace

// A session file the store cannot use is never overwritten: it is moved aside
// under a name of its own that says so, before anything is saved, and the note
// names it. One hand-edited field is enough to make a file unusable.
TEST_F(StoreTest, UnusableSessionFilesAreKeptAsideAndNamed)
{
    const QDir folder = QFileInfo(CWStore::sessionURL()).dir();
    const auto aside = [&] { return folder.entryList({"session.json.unreadable-*"}, QDir::Files); };
    for (const QByteArray& bytes :
         {QByteArray("{not json"), QByteArray(R"({"sources":[],"clips":[{"id":1}]})")}) {
        QStringList added = aside();
        writeSession(bytes);
        const auto store = launched();
        EXPECT_TRUE(store->sources().isEmpty());
        for (const QString& old : std::exchange(added, aside()))
            added.removeOne(old);
        ASSERT_EQ(added.size(), 1) << bytes.toStdString();
        QFile kept(folder.filePath(added[0]));
        ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
        EXPECT_EQ(kept.readAll(), bytes);
        EXPECT_EQ(store->note().value_or(QString()),
                  QString::fromUtf8("The last session couldn't be read, so nothing was restored. "
                                    "It is kept as “") +
                      kept.fileName() + QString::fromUtf8("”."));
        // The next change writes a fresh session beside the kept file.
        addClipIn(*store);
        EXPECT_TRUE(CWSession::decode(readSession()));
    }

    // An empty file holds nothing to keep: it is left for the next save, silently.
    writeSession("");
    EXPECT_FALSE(launched()->note());
    EXPECT_EQ(readSession(), QByteArray());
    if (geteuid() != 0) {  // root reads anything: the permission case needs a user
        const QByteArray bytes = R"({"sources":[{"id":"A","path":"/a.mov"}],"clips":[]})";
        writeSession(bytes);
        QFile::setPermissions(CWStore::sessionURL(), QFileDevice::WriteOwner);
        EXPECT_TRUE(launched()->sources().isEmpty());
        EXPECT_FALSE(QFileInfo::exists(CWStore::sessionURL()));
        EXPECT_EQ(aside().size(), 3);
    } else {  // root reads any file, but not a folder where the file should be
        QFile::remove(CWStore::sessionURL());
        ASSERT_TRUE(QDir().mkpath(CWStore::sessionURL()));
        const auto store = launched();
        EXPECT_TRUE(store->sources().isEmpty());
        EXPECT_FALSE(store->note());
        EXPECT_TRUE(QFileInfo(CWStore::sessionURL()).isDir());  // nothing can write over it
        QDir(CWStore::sessionURL()).removeRecursively();
    }
}

// Restore removes nothing beside the session: no file there can be proved to
// be a save's leftover rather than the user's own ("session.json.backup" has
// the very shape of the temporaries Qt names). Saved videos whose files are
// missing stay in the file as they were saved, across launches and edits.
TEST_F(StoreTest, RestoreKeepsMissingVideosSavedAndTouchesNothingBesideTheSession)
{
    writeSession(
        R"({"version":2,"sources":[{"id":"5C0E2F51-8E4B-4C1B-9C5D-0F5A8E6B7D21","path":"/gone/talk.mp4","trimBorders":true},)"
        R"({"id":"6C0E2F51-8E4B-4C1B-9C5D-0F5A8E6B7D21","path":"/gone/b.mov"}],"clips":[)"
        R"({"id":"0A1B2C3D-4E5F-4071-8293-A4B5C6D7E8F9","sourceID":"5C0E2F51-8E4B-4C1B-9C5D-0F5A8E6B7D21","name":"Opening",)"
        R"("inTime":12.5,"outTime":41.25,"aspect":"9:16","zoom":1.2,"centerX":0.5,"centerY":0.45}]})");
    const QDir folder = QFileInfo(CWStore::sessionURL()).dir();
    const QStringList beside{"session.json.backup", "session.json.AbCdEf", "session.json.123456",
                             "session.json.old"};
    for (const QString& name : beside) {
        QFile f(folder.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(name.toUtf8());
    }
    for (int launch = 0; launch < 2; ++launch) {
        const auto store = launched();
        EXPECT_TRUE(store->sources().isEmpty());
        if (launch == 1)
            addClipIn(*store);
        const auto session = savedSession().value();
        EXPECT_EQ(session.allSources().size(), 2 + launch);
        EXPECT_EQ(session.clips.size(), 1 + launch);
        for (const CWSession::Source& source : session.allSources())
            EXPECT_TRUE(source.path != "/gone/b.mov" || !source.trimBorders);  // as saved
    }
    for (const QString& name : beside) {
        QFile f(folder.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << name.toStdString();
        EXPECT_EQ(f.readAll(), name.toUtf8());
    }
}

TEST_F(StoreTest, AFullDiskOrAVanishedSourceFailsOnlyItsOwnClips)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "mounting a small tmpfs as the full disk needs root";
    if (mount("tmpfs", QFile::encodeName(out.path()).constData(), "tmpfs", 0, "size=400k") != 0)
        GTEST_SKIP() << "this machine cannot mount a tmpfs";
    services->folder = out.path();
    services->cores = 2;  // one clip at a time

    importNow(*store, {copy("export_long.mp4", "long.mp4")});
    const QUuid source = store->sources()[0].id;
    // Ten seconds at 1080 × 1080 cannot fit in 400 kB; half a second at 720 can.
    CWStoreTestAccess::setClips(*store,
                                {clipOf(source, "big", 0, 10), clipOf(source, "small", 0, 0.5)});
    store->setShortSide(1080);
    exportAndWait(*store);
    EXPECT_TRUE(store->exportRows()[0].state.startsWith("Failed: "))
        << store->exportRows()[0].state.toStdString();
    EXPECT_EQ(store->exportRows()[1].state, "Done") << store->exportRows()[1].state.toStdString();
    expectOnlyFinishedFiles(*store, out.path());
    umount(QFile::encodeName(out.path()).constData());
}

TEST_F(StoreTest, ASourceDeletedDuringTheBatchFailsTheClipsNotYetStarted)
{
    services->folder = out.path();
    services->cores = 2;
    const QString file = copy("export_long.mp4", "long.mp4");
    const QString other = copy("h264_aac.mp4", "other.mp4");
    importNow(*store, {file, other});
    const QUuid gone = store->sources()[0].id;
    const QUuid kept = store->sources()[1].id;
    QList<Clip> clips;
    for (int i = 0; i < 3; ++i)
        clips << clipOf(gone, "gone", i * 2.0, i * 2.0 + 2, Aspect::wide);
    clips << clipOf(kept, "kept", 0, 2, Aspect::wide);
    CWStoreTestAccess::setClips(*store, clips);

    // The first clip may still read it through its open handle.
    exportAndWait(*store, [&] { QFile::remove(file); });
    EXPECT_TRUE(store->exportRows()[2].state.startsWith("Failed: "));
    EXPECT_EQ(store->exportRows()[3].state, "Done");
    expectOnlyFinishedFiles(*store, out.path());
}

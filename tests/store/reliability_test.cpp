#include "model/jsontext.h"
#include "store_fixture_support.h"

#include <QDir>
#include <QFileInfo>
#include <sys/mount.h>
#include <unistd.h>

using namespace storetest;

namespace {
const QString kSavedId = QStringLiteral("5C0E2F51-8E4B-4C1B-9C5D-0F5A8E6B7D21");
const QString kOtherId = QStringLiteral("7D1F3062-9F5C-4D2C-AD6E-1F6B9F7C8E32");
const QString kClipId = QStringLiteral("0A1B2C3D-4E5F-4071-8293-A4B5C6D7E8F9");

QByteArray sessionWith(const QList<std::pair<QString, QString>>& sources)
{
    QStringList entries;
    for (const auto& [id, path] : sources)
        entries << QStringLiteral(R"({"id":"%1","path":"%2","trimBorders":false})").arg(id, path);
    return QStringLiteral(R"({"version":2,"sources":[%1],"clips":[{"id":"%2","sourceID":"%3",)"
                          R"("name":"Opening","inTime":0.5,"outTime":2,"aspect":"9:16","zoom":1,)"
                          R"("centerX":0.5,"centerY":0.5}]})")
        .arg(entries.join(','), kClipId, kSavedId)
        .toUtf8();
}

// The one clip is in the bin under the one source, and the file says so too.
void expectClipShownUnder(const CWStore& store, const QString& sourceId)
{
    ASSERT_EQ(store.sources().size(), 1);
    EXPECT_EQ(uuidText(store.sources()[0].id), sourceId);
    ASSERT_EQ(store.clips().size(), 1);
    EXPECT_EQ(uuidText(store.clips()[0].id), kClipId);
    EXPECT_EQ(uuidText(store.clips()[0].sourceID), sourceId);
    const auto saved = savedSession().value();
    EXPECT_EQ(saved.clips, store.clips());
    ASSERT_EQ(saved.allSources().size(), 1);
    EXPECT_EQ(saved.allSources()[0].id, sourceId);
}
}  // namespace

// A session file the store cannot use is moved aside under a name that says
// so, before anything is saved, and the note names it. Nothing beside the
// session is removed: no such file can be proved a save's leftover rather than
// the user's own. Saved videos whose files are missing stay saved as they were.
TEST_F(StoreTest, RestoreKeepsUnusableFilesAsideAndMissingVideosSavedAndRemovesNothing)
{
    const QDir folder = QFileInfo(CWStore::sessionURL()).dir();
    const auto aside = [&] { return folder.entryList({"session.json.unreadable-*"}, QDir::Files); };
    const QStringList beside{"session.json.backup", "session.json.AbCdEf", "session.json.old"};
    for (const QString& name : beside)
        writeSession(name.toUtf8(), folder.filePath(name));
    const QByteArray bytes = R"({"sources":[],"clips":[{"id":1}]})";
    writeSession(bytes);
    {
        const auto store = launched();
        ASSERT_EQ(aside().size(), 1);
        const QString kept = folder.filePath(aside()[0]);
        EXPECT_EQ(readSession(kept), bytes);
        EXPECT_TRUE(store->note().value_or(QString()).contains(kept));
        // The next change writes a fresh session beside the kept file.
        store->select(storetest::addSource(*store, "/v/a.mov", 60).id);
        store->addClip();
        EXPECT_TRUE(savedSession());
    }

    // An empty file holds nothing to keep: it is left for the next save, silently.
    writeSession("");
    EXPECT_FALSE(launched()->note());
    EXPECT_EQ(readSession(), QByteArray());
    if (geteuid() != 0) {  // root reads anything: the permission case needs a user
        writeSession(R"({"sources":[{"id":"A","path":"/a.mov"}],"clips":[]})");
        QFile::setPermissions(CWStore::sessionURL(), QFileDevice::WriteOwner);
        EXPECT_TRUE(launched()->sources().isEmpty());
        EXPECT_FALSE(QFileInfo::exists(CWStore::sessionURL()));
        EXPECT_EQ(aside().size(), 2);
    } else {  // root reads any file, but not a folder where the file should be
        QFile::remove(CWStore::sessionURL());
        ASSERT_TRUE(QDir().mkpath(CWStore::sessionURL()));
        EXPECT_FALSE(launched()->note());
        EXPECT_TRUE(QFileInfo(CWStore::sessionURL()).isDir());  // nothing can write over it
        QDir(CWStore::sessionURL()).removeRecursively();
    }

    writeSession(sessionWith({{kSavedId, "/gone/talk.mp4"}, {kOtherId, "/gone/b.mov"}}));
    for (int launch = 0; launch < 2; ++launch) {
        const auto store = launched();
        EXPECT_TRUE(store->sources().isEmpty());
        if (launch == 1) {  // an edit: a new video and its clip
            store->select(storetest::addSource(*store, "/v/a.mov", 60).id);
            store->addClip();
        }
        const auto session = savedSession().value();
        EXPECT_EQ(session.allSources().size(), 2 + launch);
        EXPECT_EQ(session.clips.size(), 1 + launch);
        // Saved as they were (bars kept), not as a new video's default.
        for (const CWSession::Source& source : session.allSources())
            EXPECT_TRUE(!source.path.startsWith("/gone/") || source.trimBorders == false);
    }
    for (const QString& name : beside)
        EXPECT_EQ(readSession(folder.filePath(name)), name.toUtf8()) << name.toStdString();
}

TEST_F(StoreTest, AFullDiskFailsOnlyTheClipsThatDoNotFit)
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
    // Only the small clip's file, finished, is in the folder.
    EXPECT_EQ(QDir(out.path()).entryList(QDir::Files), QStringList{store->exportRows()[1].name});
    umount(QFile::encodeName(out.path()).constData());
}

// A saved video that comes back through a file already in the bin, or an
// import of the file the restore could not find, brings its clips with it.
TEST_F(StoreTest, ASavedVideoMatchedByItsFileOrImportedAgainBringsBackItsClips)
{
    // Two entries for one file: the clip of the second follows it to the first.
    const QString file = copy("h264_aac.mp4", "talk.mp4");
    writeSession(sessionWith({{kOtherId, file}, {kSavedId, file}}));
    for (int launch = 0; launch < 2; ++launch) {
        const auto restored = launched();
        EXPECT_EQ(*restored->note(), "Restored your last session: 1 video, 1 clip.");
        expectClipShownUnder(*restored, kOtherId);
    }

    // A file the restore did not find, imported: the saved video with its id,
    // clips and bar choice.
    writeSession(sessionWith({{kSavedId, media.filePath("found.mp4")}}));
    const auto restored = launched();
    importNow(*restored, {copy("h264_aac.mp4", "found.mp4")});
    expectClipShownUnder(*restored, kSavedId);
    EXPECT_FALSE(restored->sources()[0].trimBorders);
    EXPECT_EQ(restored->currentSourceID(), restored->sources()[0].id);
    expectClipShownUnder(*launched(), kSavedId);
}

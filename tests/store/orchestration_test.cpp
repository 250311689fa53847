#include "common/testutil.h"
#include "store_fixture_support.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSettings>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

using namespace storetest;

TEST(ImportSummary, TitlesAndBodies)
{
    EXPECT_FALSE(CWStore::importSummary({}, 3));
    const auto one = CWStore::importSummary({{"song.m4a", "No picture."}}, 1);
    ASSERT_TRUE(one);
    EXPECT_EQ(one->title, QString::fromUtf8("Can't use “song.m4a”"));
    EXPECT_EQ(one->body, "No picture.");
    const auto two = CWStore::importSummary({{"a.ts", "Bad."}, {"b.ts", "Worse."}}, 3);
    EXPECT_EQ(two->title, "2 of 3 files couldn't be opened (1 loaded fine)");
    EXPECT_EQ(two->body, QString::fromUtf8("• a.ts: Bad.\n\n• b.ts: Worse."));
    EXPECT_EQ(CWStore::importSummary({{"a.ts", "Bad."}}, 1)->title.left(9), "Can't use");
    EXPECT_EQ(CWStore::importSummary({{"a", "x"}, {"b", "y"}}, 2)->title,
              "2 of 2 files couldn't be opened");
}

TEST_F(StoreTest, DropsCloseTogetherMakeOneRunAndLinksAreDuplicates)
{
    QTemporaryDir dir;
    const QString a = testutil::copyFixture("h264_aac.mp4", dir.path(), "a.mp4");
    const QString bad = testutil::copyFixture("random.mp4", dir.path(), "bad.mp4");
    const QString link = dir.filePath("link.mp4");
    ASSERT_TRUE(QFile::link(a, link));

    QSignalSpy finished(store.get(), &CWStore::importFinished);
    store->enqueueImport({a});
    QTimer::singleShot(300, store.get(), [&] { store->enqueueImport({link, bad}); });
    ASSERT_TRUE(finished.wait(120000));
    ASSERT_TRUE(testutil::waitUntil([&] { return finished.count() >= 1; }));
    EXPECT_EQ(finished.count(), 1);         // one run for both drops
    EXPECT_EQ(store->sources().size(), 1);  // the link is the same file
    ASSERT_EQ(services->alerts.size(), 1);
    EXPECT_EQ(services->alerts[0].first, "1 of 3 files couldn't be opened (2 loaded fine)");

    // Importing the same file again adds nothing and says nothing.
    store->enqueueImport({a});
    ASSERT_TRUE(finished.wait(120000));
    EXPECT_EQ(store->sources().size(), 1);
    EXPECT_EQ(services->alerts.size(), 1);
}

TEST_F(StoreTest, ImportNotesAndAudioOnly)
{
    QTemporaryDir dir;
    const struct {
        const char* fixture;
        const char* name;
        const char* note;
    } imports[] = {
        {"audio.m4a", "song.m4a", "Can't use “song.m4a”"},
        {"h264_aac.mp4", "beach.mov", "Loaded beach.mov (0:04, 320×240)."},
        {"bars_letterbox.mp4", "film.mp4",
         "Loaded film.mp4. Black bars found in the picture — the frame stays inside the real "
         "picture (switch “Remove black bars” off to keep them)."},
    };
    QSignalSpy finished(store.get(), &CWStore::importFinished);
    for (const auto& i : imports) {
        store->importFiles({testutil::copyFixture(i.fixture, dir.path(), i.name)});
        ASSERT_TRUE(testutil::waitUntil([&] { return finished.count() == 1; }, 120000));
        finished.clear();
        EXPECT_EQ(*store->note(), QString::fromUtf8(i.note));
    }
    ASSERT_EQ(store->sources().size(), 2);  // no source for the audio file
    ASSERT_EQ(services->alerts.size(), 1);
    EXPECT_EQ(services->alerts[0].first, QString::fromUtf8(imports[0].note));
    EXPECT_DOUBLE_EQ(store->outMark(), store->sources()[1].media.duration);
}

TEST_F(StoreTest, RemovingSourcesMovesTheCurrentOne)
{
    const CWSource a = addSource("/v/a.mov", 60);
    const CWSource b = addSource("/v/b.mov", 60);
    const CWSource c = addSource("/v/c.mov", 60);
    store->select(b.id);
    store->addClip();
    store->removeSource(b.id);
    EXPECT_EQ(store->currentSourceID(), a.id);
    EXPECT_TRUE(store->clips().isEmpty());
    store->removeSource(a.id);
    store->removeSource(c.id);
    EXPECT_FALSE(store->currentSourceID());
    EXPECT_EQ(player->item, nullptr);
    EXPECT_EQ(player->calls.last(), "item");
}

TEST_F(StoreTest, TrimmingBordersPullsTheFrameInside)
{
    CWSource s = addSource("/v/a.mov", 60);
    CWStoreTestAccess::setPicture(*store, s.id, QRectF(240, 0, 1440, 1080));
    store->select(s.id);
    store->setCenterX(0.1);
    store->setTrimBorders(true);
    EXPECT_DOUBLE_EQ(store->centerX(), (240 + 303.75) / 1920);  // pushed right into the picture
    store->setTrimBorders(false);
    EXPECT_DOUBLE_EQ(store->centerX(), (240 + 303.75) / 1920);  // never moved back
    EXPECT_FALSE(store->current()->trimBorders);
    store->setTrimBorders(true);
    EXPECT_TRUE(store->current()->trimBorders);
}

TEST_F(StoreTest, ExportFolderFallsBackToVideos)
{
    QSettings().remove("mwso.cw.lastExportFolder");
    const QString fallback = QDir(QStandardPaths::writableLocation(QStandardPaths::MoviesLocation))
                                 .filePath("MWSO Cutwright");
    EXPECT_EQ(CWStore::exportFolder(), fallback);
    EXPECT_TRUE(QFileInfo(fallback).isDir());
    QTemporaryDir chosen;
    QSettings().setValue("mwso.cw.lastExportFolder", chosen.path());
    EXPECT_EQ(CWStore::exportFolder(), chosen.path());
    QSettings().setValue("mwso.cw.lastExportFolder", chosen.path() + "/gone");
    EXPECT_EQ(CWStore::exportFolder(), fallback);
}

TEST_F(StoreTest, ExportNamesRowsAndTheRefusals)
{
    QTemporaryDir media;
    QTemporaryDir out;
    store->exportAll();
    ASSERT_EQ(services->alerts.size(), 1);
    EXPECT_EQ(services->alerts[0],
              qMakePair(QString("No clips to export"),
                        QString("Set In and Out points and click Add Clip first.")));

    importNow(*store, {testutil::copyFixture("h264_aac.mp4", media.path(), "talk.mp4")});
    const QUuid source = store->sources()[0].id;
    QList<Clip> clips{clipOf(source, "Intro", 0.5, 1.5, Aspect::vertical),
                      clipOf(source, "Intro", 1, 1.05, Aspect::vertical)};
    CWStoreTestAccess::setClips(*store, clips);
    QFile::copy(testutil::fixture("h264_aac.mp4"), out.filePath("01 Intro (9x16).mp4"));

    services->folder = std::nullopt;  // cancelled panel: nothing happens
    store->exportAll(QList<QUuid>{clips[0].id});
    EXPECT_EQ(services->panels.last(), "Export Here | Choose a folder for the 1 clip");
    EXPECT_FALSE(store->exporting());
    EXPECT_TRUE(store->exportRows().isEmpty());

    services->folder = out.path();
    QSignalSpy finished(store.get(), &CWStore::exportFinished);
    store->exportAll();
    EXPECT_EQ(services->panels.last(), "Export Here | Choose a folder for the 2 clips");
    ASSERT_EQ(store->exportRows().size(), 2);
    EXPECT_EQ(store->exportRows()[0].name, "01 Intro (9x16) 2.mp4");  // never overwritten
    EXPECT_EQ(store->exportRows()[1].name, "02 Intro (9x16).mp4");
    // A second batch while one runs starts nothing and asks for nothing.
    const int beeps = services->beeps;
    const qsizetype panels = services->panels.size();
    store->exportAll();
    EXPECT_EQ(services->beeps, beeps + 1);
    EXPECT_EQ(services->panels.size(), panels);
    ASSERT_TRUE(finished.wait(120000));
    EXPECT_EQ(store->exportRows()[0].state, "Done");
    EXPECT_EQ(store->exportRows()[1].state,
              QString::fromUtf8("Failed: “Intro” is shorter than 0.1 seconds. Set its In and Out "
                                "points further apart."));
    EXPECT_TRUE(store->note()->contains(", 1 failed to "));
    EXPECT_EQ(QSettings().value("mwso.cw.lastExportFolder").toString(), out.path());
    ASSERT_EQ(services->revealed.size(), 1);
    EXPECT_EQ(services->revealed[0], QStringList{out.filePath("01 Intro (9x16) 2.mp4")});

    services->folder = std::nullopt;
    store->exportAll();
    EXPECT_EQ(services->initialFolders.last(), out.path());  // the last folder chosen
}

TEST_F(StoreTest, NothingDoneRevealsNothingAndCancelEndsEveryRow)
{
    QTemporaryDir media;
    QTemporaryDir out;
    services->folder = out.path();
    importNow(*store, {testutil::copyFixture("export_long.mp4", media.path(), "long.mp4")});
    ASSERT_EQ(store->sources().size(), 1);
    const QUuid source = store->sources()[0].id;

    const auto clipsOf = [&](int count, double length) {
        QList<Clip> clips;
        for (int i = 0; i < count; ++i)
            clips << clipOf(source, QString("c%1").arg(i), 0, length);
        return clips;
    };
    CWStoreTestAccess::setClips(*store, clipsOf(3, 0.05));
    QSignalSpy finished(store.get(), &CWStore::exportFinished);
    store->exportAll();  // every clip fails before anything is launched
    ASSERT_TRUE(testutil::waitUntil([&] { return finished.count() == 1; }));
    for (const ExportRow& r : store->exportRows())
        EXPECT_TRUE(r.state.startsWith("Failed: ")) << r.state.toStdString();
    EXPECT_TRUE(services->revealed.isEmpty());
    EXPECT_TRUE(store->note()->startsWith("Exported 0 clips, 3 failed to "));

    // Eight cores run two clips at a time; a cancel ends the running and the waiting.
    CWStoreTestAccess::setClips(*store, clipsOf(5, 8));
    services->cores = 8;
    store->exportAll();
    QStringList states;
    for (const ExportRow& r : store->exportRows())
        states << r.state;
    EXPECT_EQ(states, QStringList({QString::fromUtf8("Exporting…"), QString::fromUtf8("Exporting…"),
                                   "Waiting", "Waiting", "Waiting"}));
    ASSERT_TRUE(testutil::waitUntil([&] { return store->exportRows()[0].progress > 0; }, 60000));
    store->cancelExport();
    ASSERT_TRUE(finished.wait(60000));
    for (const ExportRow& r : store->exportRows())
        EXPECT_EQ(r.state, "Cancelled");
    EXPECT_TRUE(QDir(out.path()).entryList(QDir::Files).isEmpty());  // no partial file
    EXPECT_TRUE(store->note()->startsWith("Exported 0 clips to "));
    EXPECT_TRUE(services->revealed.isEmpty());
}

TEST_F(StoreTest, ParallelismFollowsTheCores)
{
    EXPECT_EQ((services->cores = 2, CWStoreTestAccess::parallelism(*store)), 1);
    EXPECT_EQ((services->cores = 4, CWStoreTestAccess::parallelism(*store)), 1);
    EXPECT_EQ((services->cores = 8, CWStoreTestAccess::parallelism(*store)), 2);
    EXPECT_EQ((services->cores = 12, CWStoreTestAccess::parallelism(*store)), 3);
    EXPECT_EQ((services->cores = 64, CWStoreTestAccess::parallelism(*store)), 3);
    qputenv("CUTWRIGHT_CONVERTER", "/nonexistent/ffmpeg");
    EXPECT_EQ((services->cores = 64, CWStoreTestAccess::parallelism(*store)), 1);
    qunsetenv("CUTWRIGHT_CONVERTER");
}

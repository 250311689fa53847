#include "common/export_probe.h"
#include "common/testutil.h"
#include "model/cropmath.h"
#include "store_fixture_support.h"

#include <QDir>
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
    EXPECT_EQ(CWStore::importSummary({{"a", "x"}, {"b", "y"}}, 2)->title,
              "2 of 2 files couldn't be opened");
}

TEST_F(StoreTest, DropsCloseTogetherMakeOneRunAndLinksAreDuplicates)
{
    const QString a = copy("h264_aac.mp4", "a.mp4");
    const QString bad = copy("random.mp4", "bad.mp4");
    const QString link = media.filePath("link.mp4");
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

// Names from the user's disk go into the notes as they are: markers such as
// "%2" inside a name (URL-encoded downloads) are part of the name.
TEST_F(StoreTest, ImportNotesAndAudioOnly)
{
    const std::tuple<const char*, const char*, const char*> imports[] = {
        {"audio.m4a", "song.m4a", "Can't use “song.m4a”"},
        {"h264_aac.mp4", "beach.mov", "Loaded beach.mov (0:04, 320×240)."},
        {"bars_letterbox.mp4", "film.mp4",
         "Loaded film.mp4. Black bars found in the picture — the frame stays inside the real "
         "picture (switch “Remove black bars” off to keep them)."},
        {"h264_aac.mp4", "clip%2C final.mp4", "Loaded clip%2C final.mp4 (0:04, 320×240)."},
        {"h264_aac.mp4", "100%1 %3%4.mov", "Loaded 100%1 %3%4.mov (0:04, 320×240)."},
        {"h264_aac.mp4", "%1%2%3%4%5.mp4", "Loaded %1%2%3%4%5.mp4 (0:04, 320×240)."},
    };
    for (const auto& [fixture, name, note] : imports) {
        importNow(*store, {copy(fixture, name)});
        EXPECT_EQ(*store->note(), QString::fromUtf8(note));
    }
    ASSERT_EQ(store->sources().size(), 5);  // no source for the audio file
    ASSERT_EQ(services->alerts.size(), 1);
    EXPECT_EQ(services->alerts[0].first, QString::fromUtf8(std::get<2>(imports[0])));
    EXPECT_DOUBLE_EQ(store->outMark(), store->sources()[4].media.duration);
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
    store->exportAll();
    ASSERT_EQ(services->alerts.size(), 1);
    EXPECT_EQ(services->alerts[0],
              qMakePair(QString("No clips to export"),
                        QString("Set In and Out points and click Add Clip first.")));

    importNow(*store, {copy("h264_aac.mp4", "talk.mp4")});
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
    exportAndWait(*store, [&] {
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
    });
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
    services->folder = out.path();
    importNow(*store, {copy("export_long.mp4", "long.mp4")});
    ASSERT_EQ(store->sources().size(), 1);
    const QUuid source = store->sources()[0].id;

    const auto clipsOf = [&](int count, double length) {
        QList<Clip> clips;
        for (int i = 0; i < count; ++i)
            clips << clipOf(source, QString("c%1").arg(i), 0, length);
        return clips;
    };
    CWStoreTestAccess::setClips(*store, clipsOf(3, 0.05));
    exportAndWait(*store);  // every clip fails before anything is launched
    for (const ExportRow& r : store->exportRows())
        EXPECT_TRUE(r.state.startsWith("Failed: ")) << r.state.toStdString();
    EXPECT_TRUE(services->revealed.isEmpty());
    EXPECT_TRUE(store->note()->startsWith("Exported 0 clips, 3 failed to "));

    // Eight cores run two clips at a time; a cancel ends the running and the waiting.
    CWStoreTestAccess::setClips(*store, clipsOf(5, 8));
    services->cores = 8;
    exportAndWait(*store, [&] {
        QStringList states;
        for (const ExportRow& r : store->exportRows())
            states << r.state;
        EXPECT_EQ(states,
                  QStringList({QString::fromUtf8("Exporting…"), QString::fromUtf8("Exporting…"),
                               "Waiting", "Waiting", "Waiting"}));
        ASSERT_TRUE(
            testutil::waitUntil([&] { return store->exportRows()[0].progress > 0; }, 60000));
        store->cancelExport();
    });
    for (const ExportRow& r : store->exportRows())
        EXPECT_EQ(r.state, "Cancelled");
    EXPECT_TRUE(QDir(out.path()).entryList(QDir::Files).isEmpty());  // no partial file
    EXPECT_TRUE(store->note()->startsWith("Exported 0 clips to "));
    EXPECT_TRUE(services->revealed.isEmpty());
}

// Clip names the file system could not take as they are still give files:
// eighty emoji (320 bytes) made every export of the clip fail with "File name
// too long", a NUL cut the name short and lost ".mp4". The output size is the
// one chosen when "Export All" was pressed, for every clip of the batch, even
// when the choice changes while the batch runs.
TEST_F(StoreTest, EveryClipNameGivesAFileOfThatNameAtTheBatchsSize)
{
    services->folder = out.path();
    services->cores = 2;  // one clip at a time
    importNow(*store, {copy("h264_aac.mp4", "a.mp4")});
    const QUuid source = store->sources().value(0).id;
    const QString emoji = QString::fromUtf8("😀").repeated(80);
    QList<Clip> clips;
    for (const QString& name : {emoji, emoji, QString::fromUtf8("a\0b", 3)})
        clips << clipOf(source, name, 0, 0.3);
    CWStoreTestAccess::setClips(*store, clips);
    // The first name is taken already, so the export adds " 2" to it.
    const QString first = out.filePath(CropMath::fileName(emoji, Aspect::square, 1));
    ASSERT_TRUE(QFile::copy(testutil::fixture("h264_aac.mp4"), first));

    store->setShortSide(720);
    // While the first clip runs and the others wait.
    exportAndWait(*store, [&] { store->setShortSide(1080); });
    const QStringList files = QDir(out.path()).entryList(QDir::Files);
    ASSERT_EQ(store->exportRows().size(), 3);
    EXPECT_EQ(store->exportRows()[0].name, QFileInfo(first).completeBaseName() + " 2.mp4");
    EXPECT_EQ(store->exportRows()[2].name, "03 a-b (1x1).mp4");
    for (const ExportRow& row : store->exportRows()) {
        ASSERT_EQ(row.state, "Done") << row.state.toStdString();
        EXPECT_TRUE(files.contains(row.name)) << row.name.toStdString();
        EXPECT_EQ(exporttest::probe(*row.file).size(), QSize(720, 720)) << row.name.toStdString();
    }
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

#include "common/export_probe.h"
#include "model/cropmath.h"
#include "store_fixture_support.h"

#include <QDir>
#include <QSettings>
#include <QStandardPaths>

using namespace storetest;

TEST_F(StoreTest, ExportFolderFallsBackToVideosAndParallelismFollowsTheCores)
{
    QSettings().remove("mwso.cw.lastExportFolder");
    const QString fallback = QDir(QStandardPaths::writableLocation(QStandardPaths::MoviesLocation))
                                 .filePath("MWSO Cutwright");
    EXPECT_EQ(CWStore::exportFolder(), fallback);
    EXPECT_TRUE(QFileInfo(fallback).isDir());
    QSettings().setValue("mwso.cw.lastExportFolder", out.path());
    EXPECT_EQ(CWStore::exportFolder(), out.path());
    QSettings().setValue("mwso.cw.lastExportFolder", out.path() + "/gone");
    EXPECT_EQ(CWStore::exportFolder(), fallback);

    // Parallel clips follow the cores; without the converter one at a time.
    for (const auto& [cores, clips] : {std::pair{4, 1}, {8, 2}, {12, 3}, {64, 3}})
        EXPECT_EQ((services->cores = cores, CWStoreTestAccess::parallelism(*store)), clips);
    qputenv("CUTWRIGHT_CONVERTER", "/nonexistent/ffmpeg");
    EXPECT_EQ(CWStoreTestAccess::parallelism(*store), 1);
    qunsetenv("CUTWRIGHT_CONVERTER");
}

// Clip names the file system could not take as they are (eighty emoji: "File
// name too long"; a NUL) still give files. The batch keeps the output size of
// its start; a source deleted meanwhile fails only its clips not yet started.
// A cancel is the quit test's (one clip running, one waiting) and the queue's.
TEST_F(StoreTest, EveryClipNameGivesAFileAtTheBatchsSizeAndTheRefusals)
{
    store->exportAll();
    EXPECT_EQ(services->alerts.value(0),
              qMakePair(QString("No clips to export"),
                        QString("Set In and Out points and click Add Clip first.")));

    services->cores = 2;  // one clip at a time
    const QString gone = copy("h264_aac.mp4", "gone.mp4");
    importNow(*store, {copy("h264_aac.mp4", "a.mp4"), gone});
    const QUuid source = store->sources().value(0).id;
    const QString emoji = QString::fromUtf8("😀").repeated(80);
    QList<Clip> clips;
    for (const QString& name : {emoji, emoji, QString::fromUtf8("a\0b", 3)})
        clips << clipOf(source, name, 0, 0.3);
    for (const double in : {0, 2})
        clips << clipOf(store->sources().value(1).id, "gone", in, in + 2);
    clips << clipOf(source, "Intro", 1, 1.05, Aspect::vertical);
    CWStoreTestAccess::setClips(*store, clips);
    // The first name is taken already: the export adds " 2", never overwrites.
    const QString first = out.filePath(CropMath::fileName(emoji, Aspect::square, 1));
    ASSERT_TRUE(QFile::copy(testutil::fixture("h264_aac.mp4"), first));

    services->folder = std::nullopt;  // cancelled panel: nothing happens
    store->exportAll(QList<QUuid>{clips[0].id});
    EXPECT_EQ(services->panels.last(), "Export Here | Choose a folder for the 1 clip");
    EXPECT_FALSE(store->exporting());

    services->folder = out.path();
    store->setShortSide(720);
    exportAndWait(*store, [&] {
        EXPECT_EQ(services->panels.last(), "Export Here | Choose a folder for the 6 clips");
        QFile::remove(gone);
        // A second batch while one runs starts nothing and asks for nothing.
        store->exportAll();
        EXPECT_EQ(services->beeps, 1);
        EXPECT_EQ(services->panels.size(), 2);
        store->setShortSide(1080);  // while the first clip runs and the others wait
    });
    const QList<ExportRow> rows = store->exportRows();
    ASSERT_EQ(rows.size(), 6);
    EXPECT_EQ(rows[0].name, QFileInfo(first).completeBaseName() + " 2.mp4");
    EXPECT_EQ(rows[2].name, "03 a-b (1x1).mp4");
    QStringList done;
    for (const ExportRow& row : rows.mid(0, 3)) {
        ASSERT_EQ(row.state, "Done") << row.state.toStdString();
        EXPECT_EQ(exporttest::probe(*row.file).size(), QSize(720, 720)) << row.name.toStdString();
        done << *row.file;
    }
    for (const ExportRow& row : rows.mid(3))
        EXPECT_TRUE(row.state.startsWith("Failed: ")) << row.state.toStdString();
    EXPECT_TRUE(rows[5].state.endsWith("further apart."));  // the exporter's reason, its own words
    EXPECT_TRUE(store->note()->contains(", 3 failed to "));
    EXPECT_EQ(QDir(out.path()).entryList(QDir::Files).size(), 4);  // no partial file
    EXPECT_EQ(services->revealed, QList<QStringList>{done});

    services->folder = std::nullopt;
    store->exportAll();
    EXPECT_EQ(services->initialFolders.last(), out.path());  // the last folder chosen, kept
}

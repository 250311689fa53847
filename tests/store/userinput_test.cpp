#include "common/testutil.h"
#include "store_fixture_support.h"

#include "model/cropmath.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace storetest;

namespace {
// Imports one short video and returns its source id.
QUuid importOne(CWStore& store, const QTemporaryDir& media)
{
    importNow(store, {testutil::copyFixture("h264_aac.mp4", media.path(), "a.mp4")});
    return store.sources().value(0).id;
}
}  // namespace

// Names from the user's disk go into the texts as they are: markers such as
// "%2" inside a name (URL-encoded downloads) are part of the name.
TEST_F(StoreTest, ImportNotesKeepPercentMarkersInFileNames)
{
    QTemporaryDir dir;
    QSignalSpy finished(store.get(), &CWStore::importFinished);
    const char* names[] = {"clip%2C final.mp4", "100%1 %3%4.mov", "%1%2%3%4%5.mp4"};
    for (const char* name : names) {
        store->importFiles({testutil::copyFixture("h264_aac.mp4", dir.path(), name)});
        ASSERT_TRUE(testutil::waitUntil([&] { return finished.count() == 1; }, 120000));
        finished.clear();
        EXPECT_EQ(*store->note(),
                  QStringLiteral("Loaded ") + name + QString::fromUtf8(" (0:04, 320×240)."));
    }
}

// Clip names the file system could not take as they are still give files:
// eighty emoji (320 bytes) made every export of the clip fail with "File name
// too long", a NUL cut the name short and lost ".mp4". The output size is the
// one chosen when "Export All" was pressed, for every clip of the batch, even
// when the choice changes while the batch runs.
TEST_F(StoreTest, EveryClipNameGivesAFileOfThatNameAtTheBatchsSize)
{
    QTemporaryDir media;
    QTemporaryDir out;
    services->folder = out.path();
    services->cores = 2;  // one clip at a time
    const QUuid source = importOne(*store, media);
    const QString emoji = QString::fromUtf8("😀").repeated(80);
    const QStringList names{emoji, emoji, QString::fromUtf8("a\0b", 3)};
    QList<Clip> clips;
    for (const QString& name : names)
        clips << clipOf(source, name, 0, 0.3);
    CWStoreTestAccess::setClips(*store, clips);
    // The first name is taken already, so the export adds " 2" to it.
    const QString first = out.filePath(CropMath::fileName(emoji, Aspect::square, 1));
    ASSERT_TRUE(QFile::copy(testutil::fixture("h264_aac.mp4"), first));

    store->setShortSide(720);
    QSignalSpy finished(store.get(), &CWStore::exportFinished);
    store->exportAll();
    store->setShortSide(1080);  // while the first clip runs and the others wait
    ASSERT_TRUE(testutil::waitUntil([&] { return finished.count() == 1; }, 300000));
    const QStringList files = QDir(out.path()).entryList(QDir::Files);
    ASSERT_EQ(store->exportRows().size(), 3);
    EXPECT_EQ(store->exportRows()[0].name, QFileInfo(first).completeBaseName() + " 2.mp4");
    EXPECT_EQ(store->exportRows()[2].name, "03 a-b (1x1).mp4");
    for (const ExportRow& row : store->exportRows()) {
        ASSERT_EQ(row.state, "Done") << row.state.toStdString();
        EXPECT_TRUE(files.contains(row.name)) << row.name.toStdString();
        const auto r = testutil::run("ffprobe", {"-v", "error", "-select_streams", "v:0",
                                                 "-show_streams", "-of", "json", *row.file});
        const QJsonObject video =
            QJsonDocument::fromJson(r.out).object()["streams"].toArray()[0].toObject();
        EXPECT_EQ(QSize(video["width"].toInt(), video["height"].toInt()), QSize(720, 720))
            << row.name.toStdString();
    }
}

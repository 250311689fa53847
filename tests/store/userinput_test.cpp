#include "common/testutil.h"
#include "store_fixture_support.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <gtest/gtest.h>

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

// The output size is the one chosen when "Export All" was pressed, for every
// clip of the batch, even when the choice changes while the batch runs.
TEST_F(StoreTest, OneOutputSizeForTheWholeBatch)
{
    QTemporaryDir media;
    QTemporaryDir out;
    services->folder = out.path();
    services->cores = 2;  // one clip at a time
    QSignalSpy imported(store.get(), &CWStore::importFinished);
    store->importFiles({testutil::copyFixture("h264_aac.mp4", media.path(), "a.mp4")});
    ASSERT_TRUE(testutil::waitUntil([&] { return imported.count() == 1; }, 120000));
    const QUuid source = store->sources()[0].id;
    CWStoreTestAccess::setClips(
        *store, {Clip{QUuid::createUuid(), source, "one", 0, 0.5, Aspect::square, 1, 0.5, 0.5},
                 Clip{QUuid::createUuid(), source, "two", 1, 1.5, Aspect::square, 1, 0.5, 0.5}});

    store->setShortSide(720);
    QSignalSpy finished(store.get(), &CWStore::exportFinished);
    store->exportAll();
    store->setShortSide(1080);  // while the first clip runs and the second waits
    ASSERT_TRUE(testutil::waitUntil([&] { return finished.count() == 1; }, 300000));
    for (const ExportRow& row : store->exportRows()) {
        ASSERT_EQ(row.state, "Done") << row.state.toStdString();
        const auto r = testutil::run("ffprobe", {"-v", "error", "-select_streams", "v:0",
                                                 "-show_streams", "-of", "json", *row.file});
        const QJsonObject video =
            QJsonDocument::fromJson(r.out).object()["streams"].toArray()[0].toObject();
        EXPECT_EQ(video["width"].toInt(), 720) << row.name.toStdString();
        EXPECT_EQ(video["height"].toInt(), 720) << row.name.toStdString();
    }
}

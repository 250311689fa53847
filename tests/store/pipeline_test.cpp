#include "common/export_probe.h"
#include "store_fixture_support.h"

#include <QSet>
#include <QTimer>

using namespace storetest;

// Names from the user's disk go into the notes as they are: markers such as
// "%2" inside a name (URL-encoded downloads) are part of the name.
TEST_F(StoreTest, ImportCutExportAndRestoreWithoutAWindow)
{
    const QString mp4 = copy("h264_aac.mp4", "%1%2%3%4%5.mp4");
    const QString letterbox = copy("bars_letterbox.mp4", "film.mp4");
    const QString gone = copy("h264_aac.mp4", "gone.mp4");
    CWStoreTestAccess::setRestoreStarted(*store, true);

    // Each video is current (and on screen) before its filmstrip is made; one
    // removed meanwhile stays removed.
    QList<qsizetype> thumbsWhenCurrent;
    QObject::connect(store.get(), &CWStore::changed, [&](CWStore::Field field) {
        const CWSource* current = store->current();
        if (field != CWStore::Field::currentSourceID || !current)
            return;
        thumbsWhenCurrent.append(current->thumbs.size());
        if (current->media.original == gone)
            store->removeSource(current->id);
    });
    // The filmstrip waits for the player's first picture, and a second at most
    // for a player that never settles.
    QSignalSpy imported(store.get(), &CWStore::importFinished);
    player->picture = false;
    store->importFiles({mp4});
    ASSERT_TRUE(testutil::waitUntil([&] { return store->current() != nullptr; }));
    EXPECT_EQ(store->busy(), QString::fromUtf8("Loading %1%2%3%4%5.mp4…"));
    // A second run that ends meanwhile leaves the card to the run still working.
    store->importFiles({media.filePath("nowhere.mp4")});
    ASSERT_TRUE(testutil::waitUntil([&] { return imported.count() == 1; }));
    EXPECT_EQ(store->busy(), QString::fromUtf8("Loading %1%2%3%4%5.mp4…"));
    services->alerts.clear();
    player->picture = true;
    ASSERT_TRUE(imported.wait(60000));
    EXPECT_EQ(*store->note(), QString::fromUtf8("Loaded %1%2%3%4%5.mp4 (0:04, 320×240)."));
    player->picture = false;
    importNow(*store, {letterbox});
    player->picture = true;
    EXPECT_TRUE(store->note()->contains("Black bars found")) << store->note()->toStdString();
    // Drops close together make one run, where a link is the same file; the
    // run's alert is its note. A file in the bin again adds nothing, silently.
    const QString ts = copy("mpeg.ts", "broadcast.ts");
    const QString link = media.filePath("link.ts");
    ASSERT_TRUE(QFile::link(ts, link));
    const QStringList later{link, copy("audio.m4a", "song.m4a")};
    store->enqueueImport({gone, ts});
    QTimer::singleShot(300, store.get(), [&] { store->enqueueImport(later); });
    ASSERT_TRUE(imported.wait(120000));
    EXPECT_EQ(services->alerts.value(0).first, "1 of 4 files couldn't be opened (3 loaded fine)");
    EXPECT_EQ(store->note(), services->alerts.value(0).first);
    store->enqueueImport({mp4});
    ASSERT_TRUE(imported.wait(120000));
    EXPECT_EQ(imported.count(), 5);         // the two close drops were one run
    EXPECT_EQ(services->alerts.size(), 1);  // one for the run, none for the repeat
    ASSERT_EQ(store->sources().size(), 3);
    EXPECT_FALSE(store->busy());
    EXPECT_FALSE(store->progress());

    const CWSource& talk = store->sources()[0];
    const CWSource& film = store->sources()[1];
    const CWSource& broadcast = store->sources()[2];
    EXPECT_EQ(thumbsWhenCurrent, QList<qsizetype>({0, 0, 0, 24, 0}));  // 24: film, as gone goes
    for (const CWSource& source : store->sources())
        EXPECT_EQ(source.thumbs.size(), 24);
    EXPECT_FALSE(talk.picture);
    EXPECT_TRUE(film.picture);  // its rectangle: the filmstrip test below
    EXPECT_TRUE(broadcast.media.converted);
    EXPECT_EQ(store->currentSourceID(), broadcast.id);  // the last one loaded is current

    // Clips of different shapes on three sources, at 720.
    CWStoreTestAccess::setClips(*store, {clipOf(talk.id, "talk", 0.5, 2.5, Aspect::vertical),
                                         clipOf(film.id, "film", 0, 2, Aspect::wide),
                                         clipOf(broadcast.id, "broadcast", 1, 2)});
    store->setShortSide(720);

    // Without the converter every clip takes the in-process path; the
    // converter's is in the export-name test and the whole-job test.
    services->folder = out.path();
    qputenv("CUTWRIGHT_CONVERTER", "/nonexistent/ffmpeg");
    exportAndWait(*store);
    qunsetenv("CUTWRIGHT_CONVERTER");
    const QSize expected[] = {{720, 1280}, {1280, 720}, {720, 720}};
    for (int i = 0; i < 3; ++i) {
        const ExportRow row = store->exportRows().value(i);
        ASSERT_EQ(row.state, "Done") << row.state.toStdString();
        const exporttest::Probe p = exporttest::probe(*row.file);
        EXPECT_EQ(p.size(), expected[i]) << row.name.toStdString();
        EXPECT_EQ(bool(p.audio), store->sources()[i].media.hasAudio) << row.name.toStdString();
        EXPECT_NEAR(p.duration(), store->clips()[i].outTime - store->clips()[i].inTime, 0.1);
    }

    // Later launches restore the same session; a file renamed away keeps its
    // source and clip pending, and in the file, until it is back.
    const QList<Clip> clips = store->clips();
    const auto second = launched();
    EXPECT_EQ(second->clips(), clips);
    EXPECT_EQ(second->currentSourceID(), talk.id);
    EXPECT_EQ(*second->note(), "Restored your last session: 3 videos, 3 clips.");
    QFile::rename(letterbox, letterbox + ".away");
    const auto third = launched();
    EXPECT_EQ(third->clips().size(), 2);
    EXPECT_TRUE(third->note()->contains("Not found: film.mp4")) << third->note()->toStdString();
    third->rename(third->clips()[0].id, "edited while one is missing");
    QFile::rename(letterbox + ".away", letterbox);
    const auto fourth = launched();
    EXPECT_EQ(fourth->clips().size(), 3);  // with the film back
    EXPECT_EQ(fourth->clips()[0].name, "edited while one is missing");
}

// The filmstrip streams in: every strip the timeline is given holds all the
// slots in time order, a frame once shown stays, and the last strip is whole.
// The picture inside the bars lands after it, on the video and on its undo copy.
TEST_F(StoreTest, FilmstripStreamsIntoItsSlotsAndTheBarsFollow)
{
    const QString film = copy("bars_letterbox.mp4", "film.mp4");
    QList<QList<Thumb>> shown;
    QObject::connect(store.get(), &CWStore::changed, [&](CWStore::Field field) {
        const CWSource* current = store->current();
        if (field == CWStore::Field::sources && current && !current->thumbs.isEmpty() &&
            (shown.isEmpty() || shown.last() != current->thumbs))
            shown.append(current->thumbs);
    });
    storetest::importNow(*store, {film});
    ASSERT_FALSE(shown.isEmpty());
    const double duration = store->current()->media.duration;
    QSet<qint64> before;
    for (const QList<Thumb>& strip : shown) {
        ASSERT_EQ(strip.size(), 24);
        QSet<qint64> pictures;
        for (int i = 0; i < 24; ++i) {
            EXPECT_DOUBLE_EQ(strip[i].first, (i + 0.5) * duration / 24);
            if (!strip[i].second.isNull())
                pictures.insert(strip[i].second.cacheKey());
        }
        EXPECT_TRUE(pictures.contains(before)) << "a frame shown went away";
        before = pictures;
    }
    EXPECT_EQ(before.size(), 24);
    EXPECT_EQ(store->current()->picture, QRectF(0, 32, 320, 176));
    store->undo();  // the import: the copy kept for Redo has both
    store->redo();
    EXPECT_EQ(store->current()->thumbs.size(), 24);
    EXPECT_EQ(store->current()->picture, QRectF(0, 32, 320, 176));
}

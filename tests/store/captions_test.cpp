#include "store_fixture_support.h"

#include <QDir>

using namespace storetest;

namespace {
const QByteArray subtitles = "1\r\n00:00:00,500 --> 00:00:01,500\r\nHello there\r\n\r\n"
                             "2\r\n00:00:02,000 --> 00:00:01,000\r\nBackwards\r\n\r\n"
                             "3\r\n00:00:02,000 --> 00:00:03,000\r\nSecond line\r\n";
}  // namespace

// A subtitle file named like the video comes with it at import; one that
// could not be read in part says so; the attachment is an undo step and is
// written to the session.
TEST_F(StoreTest, ASidecarIsAttachedAtImportAndTheAttachmentIsAStep)
{
    const QString video = copy("h264_aac.mp4", "talk.mp4");
    writeSession(subtitles, media.filePath("talk.en.srt"));
    CWStoreTestAccess::setRestoreStarted(*store, true);
    importNow(*store, {video});
    ASSERT_TRUE(testutil::waitUntil([&] { return store->current()->cues != nullptr; }));
    const CWSource* source = store->current();
    EXPECT_EQ(source->captions.file, media.filePath("talk.en.srt"));
    ASSERT_EQ(source->cues->size(), 2);
    EXPECT_EQ(source->cues->at(1).text, "Second line");
    EXPECT_TRUE(store->note()->endsWith("1 caption could not be read; the other 2 are attached."))
        << store->note()->toStdString();
    EXPECT_EQ(savedSession()->sources->at(0).captions, source->captions);

    store->endUndoRun();
    store->attachCaptions({});
    EXPECT_TRUE(store->current()->captions.isEmpty());
    EXPECT_FALSE(store->current()->cues);
    EXPECT_FALSE(savedSession()->sources->at(0).captions);
    EXPECT_EQ(store->undoLabel(), "Detach Captions");
    store->undo();
    // What was read comes back with the attachment, without reading again.
    EXPECT_EQ(store->current()->cues->size(), 2);

    // A file chosen in the panel replaces it and is read in turn.
    writeSession("WEBVTT\n\n00:01.000 --> 00:02.000\nOther\n", media.filePath("other.vtt"));
    services->subtitles = media.filePath("other.vtt");
    store->chooseCaptionsFile();
    ASSERT_TRUE(testutil::waitUntil(
        [&] { return store->current()->cues && store->current()->cues->size() == 1; }));
    EXPECT_EQ(store->current()->cues->at(0).text, "Other");
}

// The clip's switch, look and height are its own, and a clip whose captions
// are gone is not exported without them: its row says what is missing.
TEST_F(StoreTest, ClipCaptionsAreStepsAndMissingCaptionsFailTheExportNotSilently)
{
    const QString video = copy("h264_aac.mp4", "talk.mp4");
    writeSession(subtitles, media.filePath("talk.srt"));
    CWStoreTestAccess::setRestoreStarted(*store, true);
    importNow(*store, {video});
    store->addClip();
    store->selectClip(store->clips()[0]);
    store->setClipCaptions(true);
    store->setCaptionLook(Captions::Look::box);
    for (int i = 0; i < 20; ++i)
        store->raiseCaptions(0.02);
    const Clip clip = store->clips()[0];
    EXPECT_TRUE(clip.captions);
    EXPECT_EQ(clip.captionStyle, (Captions::Style{Captions::Look::box, Captions::kMostRaise}));
    store->undo();  // the raises were one step
    EXPECT_EQ(store->clips()[0].captionStyle.raise, 0);
    EXPECT_EQ(store->undoLabel(), "Caption Look");
    store->redo();
    services->folder = out.path();
    exportAndWait(*store);
    EXPECT_EQ(store->exportRows()[0].state, "Done");

    // The next launch finds no subtitle file: the note names it, the clip
    // keeps its switch, and its export fails saying why.
    ASSERT_TRUE(QFile::remove(media.filePath("talk.srt")));
    store.reset();
    services = new ScriptedServices;
    services->folder = out.path();
    store = std::make_unique<CWStore>(new ScriptedPlayer, services);
    auto restoring = store->restore();
    ASSERT_TRUE(testutil::waitUntil([&] { return restoring.isReady(); }));
    EXPECT_TRUE(store->note()->contains("Captions:")) << store->note()->toStdString();
    EXPECT_TRUE(store->note()->contains("talk.srt")) << store->note()->toStdString();
    ASSERT_EQ(store->clips().size(), 1);
    EXPECT_TRUE(store->clips()[0].captions);
    exportAndWait(*store);
    ASSERT_EQ(store->exportRows().size(), 1);
    EXPECT_TRUE(store->exportRows()[0].state.startsWith("Failed: Captions missing: "))
        << store->exportRows()[0].state.toStdString();
    EXPECT_EQ(QDir(out.path()).entryList(QDir::Files).size(), 1) << "only the first export";
}

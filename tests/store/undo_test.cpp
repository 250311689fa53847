#include "model/jsontext.h"
#include "store_fixture_support.h"

#include <QDir>

using namespace storetest;

namespace {

// A store whose history clock the test moves: changes are seconds apart
// unless a test says otherwise.
class UndoTest : public StoreTest {
protected:
    void SetUp() override
    {
        StoreTest::SetUp();
        CWStoreTestAccess::setRestoreStarted(*store, true);
        CWStoreTestAccess::setHistoryClock(*store, [this] { return now; });
    }

    // The next change comes later than any burst lasts.
    void later() { now += 5000; }

    // What the session file says, against what the store holds.
    void expectSavedAsShown() { EXPECT_EQ(readSession(), store->sessionSnapshot().encode()); }

    qint64 now = 0;
};

}  // namespace

// Every kind of change is one named step; Undo and Redo walk every state
// exactly, and the session file follows.
TEST_F(UndoTest, EveryKindOfChangeIsOneStepBackAndForth)
{
    const CWSource talk = addSource("/videos/talk.mp4", 60);
    const CWSource beach = addSource("/videos/beach.mov", 30);
    CWStoreTestAccess::setPicture(*store, beach.id, QRectF(240, 0, 1440, 1080));
    store->select(talk.id);
    EXPECT_FALSE(store->canUndo());
    EXPECT_EQ(store->undoLabel(), QString());

    QStringList labels;
    QList<QList<Clip>> clipsBefore;
    QList<QList<CWSource>> sourcesBefore;
    QSignalSpy historyChanged(store.get(), &CWStore::historyChanged);
    const auto step = [&](const QString& label, const std::function<void()>& change) {
        later();
        clipsBefore << store->clips();
        sourcesBefore << store->sources();
        change();
        labels << label;
        EXPECT_EQ(store->undoLabel(), label);
        EXPECT_FALSE(store->canRedo());
    };

    tickAt(2);
    store->markIn();
    EXPECT_FALSE(store->canUndo()) << "the marks of the next clip are no step";
    tickAt(8);
    store->markOut();
    step("Add Clip", [&] { store->addClip(); });
    const Clip first = store->clips()[0];
    store->selectClip(first);
    step("Set Out", [&] {
        tickAt(9);
        store->markOut();
    });
    step("Zoom", [&] { store->setZoom(2); });
    step("Move Frame", [&] { store->setCenterX(0.3); });
    step("Reset Frame", [&] { store->resetFrame(); });
    step("Set Aspect", [&] { store->setAspect(Aspect::portrait); });
    step("Rename Clip", [&] { store->rename(first.id, "Intro"); });
    step("Duplicate Clip", [&] { store->duplicateClip(first.id); });
    const QUuid copy = store->clips()[1].id;
    step("Apply Aspect to All Clips", [&] { store->setAspectForAll(Aspect::wide); });
    step("Delete Clip", [&] { store->deleteClip(copy); });
    store->select(beach.id);
    step("Keep Black Bars", [&] { store->setTrimBorders(false); });
    step("Remove Video", [&] { store->removeSource(talk.id); });
    EXPECT_GE(historyChanged.count(), labels.size());

    const QList<Clip> last = store->clips();
    EXPECT_TRUE(last.isEmpty());
    for (qsizetype i = labels.size() - 1; i >= 0; --i) {
        SCOPED_TRACE(labels[i].toStdString());
        ASSERT_EQ(store->undoLabel(), labels[i]);
        store->undo();
        EXPECT_EQ(store->redoLabel(), labels[i]);
        EXPECT_EQ(store->clips(), clipsBefore[i]);
        ASSERT_EQ(store->sources().size(), sourcesBefore[i].size());
        for (qsizetype s = 0; s < sourcesBefore[i].size(); ++s) {
            EXPECT_EQ(store->sources()[s].id, sourcesBefore[i][s].id);
            EXPECT_EQ(store->sources()[s].trimBorders, sourcesBefore[i][s].trimBorders);
        }
        expectSavedAsShown();
    }
    EXPECT_FALSE(store->canUndo());
    EXPECT_TRUE(store->clips().isEmpty());
    for (const QString& label : labels) {
        ASSERT_EQ(store->redoLabel(), label);
        store->redo();
        EXPECT_EQ(store->undoLabel(), label);
    }
    EXPECT_EQ(store->clips(), last);
    EXPECT_EQ(store->sources().size(), 1);
    EXPECT_FALSE(store->canRedo());
    expectSavedAsShown();

    // Back to the renamed clip: a new change drops what could be redone.
    for (int i = 0; i < 5; ++i)
        store->undo();
    ASSERT_EQ(store->undoLabel(), "Rename Clip");
    later();
    store->rename(first.id, "Opening");
    EXPECT_FALSE(store->canRedo());
    EXPECT_EQ(store->undoLabel(), "Rename Clip");
    store->undo();
    EXPECT_EQ(clipNames(store->clips()), QStringList{"Intro"});
    expectSavedAsShown();
}

// A drag, a run of typing and a knob turned are each one step. Undoing a
// change of the selected clip shows its frame and marks again, as no step.
TEST_F(UndoTest, GesturesTypingAndBurstsAreOneStepEach)
{
    const CWSource talk = addSource("/videos/talk.mp4", 60);
    store->select(talk.id);
    CWStoreTestAccess::setClips(*store, {clipOf(talk.id, "a", 1, 5), clipOf(talk.id, "b", 6, 9)});
    const Clip a = store->clips()[0];
    const Clip b = store->clips()[1];
    store->selectClip(a);
    const qsizetype base = CWStoreTestAccess::undoCount(*store);

    // The frame dragged in twenty steps, each within a burst of the last.
    {
        const CWStore::SaveHold hold(store.get());
        for (int i = 1; i <= 20; ++i) {
            now += 400;
            store->setCenterX(0.5 - i * 0.01);
            store->setCenterY(0.5 + i * 0.01);
            store->setZoom(1 + i * 0.05);  // a corner pulled as well
        }
    }
    EXPECT_EQ(CWStoreTestAccess::undoCount(*store), base + 1);
    EXPECT_EQ(store->undoLabel(), "Move Frame");
    // The next drag is a step of its own, even at once.
    {
        const CWStore::SaveHold hold(store.get());
        store->setCenterX(0.1);
    }
    EXPECT_EQ(CWStoreTestAccess::undoCount(*store), base + 2);
    store->undo();
    EXPECT_NEAR(store->centerX(), 0.3, 1e-9);
    store->undo();
    // The working frame shows the clip as it is again, and the viewer follows.
    EXPECT_DOUBLE_EQ(store->clips()[0].centerX, 0.5);
    EXPECT_DOUBLE_EQ(store->centerX(), 0.5);
    EXPECT_DOUBLE_EQ(store->centerY(), 0.5);
    EXPECT_DOUBLE_EQ(store->zoom(), 1);
    EXPECT_EQ(CWStoreTestAccess::undoCount(*store), base);
    EXPECT_EQ(store->redoLabel(), "Move Frame");
    store->redo();
    EXPECT_NEAR(store->zoom(), 2, 1e-9);
    EXPECT_NEAR(store->clips()[0].zoom, 2, 1e-9);
    store->undo();

    // A drag let go where it began changes nothing, and is no step.
    {
        const CWStore::SaveHold hold(store.get());
        store->setCenterX(0.7);
        store->setCenterX(0.5);
    }
    EXPECT_EQ(CWStoreTestAccess::undoCount(*store), base);

    // A trim handle dragged: its marks go back with it, and so do the working marks.
    {
        const CWStore::SaveHold hold(store.get());
        for (const double t : {1.5, 2.0, 2.5})
            store->setIn(t);
    }
    EXPECT_EQ(store->undoLabel(), "Set In");
    store->undo();
    EXPECT_DOUBLE_EQ(store->clips()[0].inTime, 1);
    EXPECT_DOUBLE_EQ(store->inMark(), 1);

    // The zoom knob turned with no button held: a burst of changes is one step,
    // a pause of more than a second begins the next.
    for (const double z : {1.1, 1.2, 1.3}) {
        now += 300;
        store->setZoom(z);
    }
    now += 1500;
    store->setZoom(1.4);
    EXPECT_EQ(CWStoreTestAccess::undoCount(*store), base + 2);
    store->undo();
    EXPECT_DOUBLE_EQ(store->zoom(), 1.3);
    store->undo();
    EXPECT_DOUBLE_EQ(store->zoom(), 1);

    // Typing a name is one step however slow; another clip's name or the
    // end of the run begins the next.
    for (const char* text : {"I", "In", "Int", "Intr", "Intro"}) {
        now += 3000;
        store->rename(a.id, text);
    }
    EXPECT_EQ(CWStoreTestAccess::undoCount(*store), base + 1);
    store->endUndoRun();
    store->rename(a.id, "Intro!");
    store->selectClip(b);
    store->rename(b.id, "O");
    store->rename(b.id, "Outro");
    EXPECT_EQ(CWStoreTestAccess::undoCount(*store), base + 3);
    store->undo();
    EXPECT_EQ(clipNames(store->clips()), (QStringList{"Intro!", "b"}));
    store->undo();
    store->undo();
    EXPECT_EQ(clipNames(store->clips()), (QStringList{"a", "b"}));
    // Typed back to what it was: nothing to undo.
    store->rename(b.id, "bx");
    store->rename(b.id, "b");
    EXPECT_EQ(CWStoreTestAccess::undoCount(*store), base);

    // The history keeps the latest two hundred steps.
    for (int i = 0; i < 250; ++i) {
        later();
        store->setAspect(i % 2 ? Aspect::square : Aspect::wide);
    }
    EXPECT_EQ(CWStoreTestAccess::undoCount(*store), CWHistory::limit);
}

// A removed video comes back as it was in memory, without opening its file
// (gone meanwhile); nothing on disk is touched. Undoing an import removes it.
TEST_F(UndoTest, RemovedVideoComesBackAsItWasInMemory)
{
    const QString talk = copy("h264_aac.mp4", "talk.mp4");
    const QString beach = copy("h264_aac.mp4", "beach.mp4");
    importNow(*store, {talk, beach});
    ASSERT_EQ(store->sources().size(), 2);
    EXPECT_EQ(store->undoLabel(), "Import Video");
    const CWSource kept = store->sources()[0];
    ASSERT_FALSE(kept.thumbs.isEmpty());
    store->select(kept.id);
    store->setIn(0.5);
    store->setOut(2.5);
    store->addClip();
    later();
    store->addClip();
    const QList<Clip> clips = store->clips();
    ASSERT_EQ(clips.size(), 2);

    store->removeSource(kept.id);
    EXPECT_EQ(store->current()->media.original, beach);
    ASSERT_TRUE(QFile::remove(talk));
    const QStringList onDisk = QDir(media.path()).entryList(QDir::Files);
    player->calls.clear();
    QSignalSpy imports(store.get(), &CWStore::importFinished);

    store->undo();
    ASSERT_EQ(store->sources().size(), 2);
    const CWSource back = store->sources()[0];
    EXPECT_EQ(back.id, kept.id);
    EXPECT_EQ(back.media.asset, kept.media.asset) << "the same opened media";
    EXPECT_EQ(back.thumbs.size(), kept.thumbs.size());
    EXPECT_EQ(back.thumbs[0].second.cacheKey(), kept.thumbs[0].second.cacheKey());
    EXPECT_EQ(store->clips(), clips);
    EXPECT_EQ(store->current()->id, kept.id) << "the video shown before is shown again";
    EXPECT_EQ(player->calls.count("item"), 1);
    EXPECT_EQ(imports.count(), 0);
    EXPECT_EQ(store->busy(), std::nullopt);
    EXPECT_EQ(QDir(media.path()).entryList(QDir::Files), onDisk);
    std::optional<CWSession> saved = savedSession();
    ASSERT_TRUE(saved);
    EXPECT_EQ(saved->clips, clips);
    ASSERT_EQ(saved->sources->size(), 2);
    EXPECT_EQ(saved->sources->at(0).path, talk);

    // Back to before both imports: the bin is empty and the player too.
    store->undo();
    store->undo();
    ASSERT_EQ(store->undoLabel(), "Import Video");
    store->undo();
    EXPECT_EQ(store->sources().size(), 1);
    store->undo();
    EXPECT_TRUE(store->sources().isEmpty());
    EXPECT_EQ(store->current(), nullptr);
    expectSavedAsShown();
    while (store->canRedo())
        store->redo();
    EXPECT_EQ(store->sources().size(), 1);
    EXPECT_EQ(store->clips().size(), 0);
    expectSavedAsShown();

    // An import undone before its filmstrip is made: the filmstrip still
    // reaches the video kept for Redo.
    const QString film = copy("h264_aac.mp4", "film.mp4");
    QSignalSpy finished(store.get(), &CWStore::importFinished);
    player->picture = false;  // the filmstrip waits for the player's picture
    store->importFiles({film});
    ASSERT_TRUE(testutil::waitUntil([&] { return store->sources().size() == 2; }));
    EXPECT_TRUE(store->sources()[1].thumbs.isEmpty());
    store->undo();
    EXPECT_EQ(store->sources().size(), 1);
    ASSERT_TRUE(finished.wait(120000));
    EXPECT_EQ(store->sources().size(), 1) << "undone stays undone";
    store->redo();
    ASSERT_EQ(store->sources().size(), 2);
    EXPECT_EQ(store->sources()[1].media.original, film);
    EXPECT_FALSE(store->sources()[1].thumbs.isEmpty());
}

// The restore brings back what no step made: what was recorded before no
// longer fits and is forgotten.
TEST_F(UndoTest, TheRestoreStartsTheHistoryAfresh)
{
    const QString talk = copy("h264_aac.mp4", "talk.mp4");
    const QUuid id = QUuid::createUuid();
    const Clip saved = clipOf(id, "kept", 1, 3);
    CWSession session;
    session.sources = QList<CWSession::Source>{{uuidText(id), talk, std::nullopt, true}};
    session.clips = {saved};
    writeSession(session.encode());
    auto next = std::make_unique<CWStore>(new ScriptedPlayer, new ScriptedServices);
    const CWSource other = storetest::addSource(*next, "/videos/other.mp4", 10);
    next->select(other.id);
    next->addClip();
    ASSERT_TRUE(next->canUndo());
    QSignalSpy history(next.get(), &CWStore::historyChanged);
    auto task = next->restore();
    ASSERT_TRUE(testutil::waitUntil([&] { return task.isReady(); }, 120000));
    EXPECT_FALSE(next->canUndo());
    EXPECT_GE(history.count(), 1);
    ASSERT_EQ(next->clips().size(), 2);
    next->deleteClip(saved.id);
    next->undo();
    EXPECT_EQ(next->clips().size(), 2);
    EXPECT_FALSE(next->canUndo());
    EXPECT_EQ(savedSession()->clips.size(), 2);
}

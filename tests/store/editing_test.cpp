#include "store_fixture_support.h"

#include <QFileInfo>

using namespace storetest;

// Marks keep half a second apart within the source; "mark" at the playhead
// moves the other mark five seconds away when it would cross. The half-second
// gap is the nudge test's and the timeline's; the Out clamp's own cases are TrimMath's.
TEST_F(StoreTest, MarksKeepHalfASecondApartInsideTheSource)
{
    enum Op { markIn, markOut, setIn, setOut };
    const struct {
        double duration, in, out;
        Op op;
        double value, expectIn, expectOut;
    } cases[] = {
        {14, 0, 10, markIn, 12, 12, 14},  // 12 + 5 capped at the duration
        {14, 8, 14, markOut, 3, 0, 3},    // 3 − 5 floored at 0
        {600, 0, 10, setIn, -2, 0, 10},    {600, 4, 600, setOut, 1e6, 4, 600},
        {0.3, 0, 0.3, setIn, 0.2, 0, 0.3},  // too short for half a second: stays whole
    };
    for (const auto& c : cases) {
        store->select(addSource("/v/a.mov", c.duration).id);
        CWStoreTestAccess::setMarks(*store, c.in, c.out);
        if (c.op == markIn || c.op == markOut)
            CWStoreTestAccess::setTime(*store, c.value);
        c.op == markIn    ? store->markIn()
        : c.op == markOut ? store->markOut()
        : c.op == setIn   ? store->setIn(c.value)
                          : store->setOut(c.value);
        EXPECT_DOUBLE_EQ(store->inMark(), c.expectIn) << "op " << c.op << " " << c.value;
        EXPECT_DOUBLE_EQ(store->outMark(), c.expectOut) << "op " << c.op << " " << c.value;
    }
}

TEST_F(StoreTest, AddClipNeedsASourceAndATenthOfASecondAndNamesByCount)
{
    QSignalSpy beeps(store.get(), &CWStore::alerted);
    store->addClip();
    EXPECT_EQ(services->panels.size(), 1);  // the import panel, for a first video

    store->select(addSource("/v/Beach Day.mov", 60).id);
    CWStoreTestAccess::setMarks(*store, 4.0, 4.05);
    store->addClip();
    EXPECT_EQ(beeps.count(), 1);
    EXPECT_EQ(services->beeps, 1);
    EXPECT_FALSE(store->note());

    CWStoreTestAccess::setMarks(*store, 4.0, 4.1);
    store->setAspect(Aspect::wide);
    store->addClip();
    ASSERT_EQ(store->clips().size(), 1);  // none without a source or a tenth of a second
    EXPECT_EQ(store->clips()[0].name, QString::fromUtf8("Beach Day – clip 1"));
    EXPECT_EQ(store->clips()[0].aspect, Aspect::wide);  // the shape (and frame) chosen
    EXPECT_TRUE(store->note()->contains(store->clips()[0].name));

    // Names count the source's clips (per video: the whole-job test), not the highest in use.
    store->addClip();
    store->deleteClip(store->clips()[0].id);
    store->addClip();
    EXPECT_EQ(store->clips().last().name, QString::fromUtf8("Beach Day – clip 2"));  // taken twice
}

// Edits reach the selected clip only, and only clip changes rewrite the
// session (never before the restore has started); a held gesture saves later.
TEST_F(StoreTest, EditsFollowTheSelectedClipAndRewriteTheSessionAtMostTwiceASecondWhenHeld)
{
    const CWSource a = addSource("/v/a.mov", 60);
    store->select(a.id);
    store->addClip();
    EXPECT_FALSE(store->selectedClipID()) << "still making new clips";
    store->selectClip(store->clips()[0]);
    const QUuid id = store->clips()[0].id;
    EXPECT_FALSE(QFileInfo::exists(CWStore::sessionURL()));
    CWStoreTestAccess::setRestoreStarted(*store, true);
    // Each drag step changes the clip, and so writes the session, once.
    int writes = 0;
    QObject::connect(store.get(), &CWStore::changed,
                     [&](CWStore::Field f) { writes += f == CWStore::Field::clips; });
    store->setOut(12);
    store->setZoom(2);
    store->setCenterX(0.25);
    EXPECT_EQ(writes, 3);
    EXPECT_EQ(savedSession().value().clips, store->clips());
    EXPECT_EQ(savedSession().value().allSources().value(0).trimBorders, true);  // a new source's

    store->setSelectedClipID(std::nullopt);  // "Done Editing"
    QFile::remove(CWStore::sessionURL());
    store->setZoom(3);
    store->setOut(20);
    // The selected clip took the edits above; these leave it.
    EXPECT_DOUBLE_EQ(store->clips()[0].zoom, 2);
    EXPECT_DOUBLE_EQ(store->clips()[0].outTime, 12);
    EXPECT_FALSE(QFileInfo::exists(CWStore::sessionURL()));

    store->rename(id, "");
    EXPECT_EQ(savedSession()->clips[0].name, "");
    store->rename(QUuid::createUuid(), "nobody");
    store->resetFrame();
    EXPECT_DOUBLE_EQ(store->zoom(), 1);
    EXPECT_DOUBLE_EQ(store->clips()[0].zoom, 2);

    // Duplicate, delete and one shape for all.
    store->rename(id, "Opening");
    store->addClip();
    const QUuid second = store->clips()[1].id;
    store->duplicateClip(id);
    ASSERT_EQ(store->clips().size(), 3);
    EXPECT_EQ(store->clips()[2].name, "Opening copy");  // and selected: the deletes below
    EXPECT_NE(store->clips()[2].id, id);
    store->deleteClip(second);  // not selected: the selection stays
    EXPECT_EQ(store->selectedClipID(), store->clips()[1].id);
    store->deleteClip(store->clips()[1].id);
    EXPECT_FALSE(store->selectedClipID());
    store->setAspectForAll(Aspect::portrait);  // the shapes: the inspector's apply-to-all test
    EXPECT_DOUBLE_EQ(store->clips()[0].centerX, 0.25);  // centre untouched

    // Selecting a clip of another video brings its video, marks and frame
    // back without rewriting the clip.
    store->selectClip(store->clips()[0]);
    store->setIn(5);
    const Clip clip = store->clips()[0];
    store->select(addSource("/v/b.mov", 30).id);
    EXPECT_FALSE(store->selectedClipID());  // the clip belongs to the other source
    store->setAspect(Aspect::wide);
    store->setZoom(3);
    QList<CWStore::Field> seen;
    QObject::connect(store.get(), &CWStore::changed, [&](CWStore::Field f) { seen.append(f); });
    store->selectClip(clip);
    EXPECT_EQ(store->currentSourceID(), a.id);
    EXPECT_EQ(store->selectedClipID(), clip.id);
    EXPECT_EQ(store->clips()[0], clip);  // not rewritten on the way
    EXPECT_DOUBLE_EQ(store->inMark(), 5);
    EXPECT_DOUBLE_EQ(store->outMark(), 12);
    EXPECT_EQ(store->aspect(), Aspect::portrait);
    EXPECT_DOUBLE_EQ(store->zoom(), 2);
    EXPECT_EQ(player->calls.last(), "seek 5");
    EXPECT_FALSE(seen.contains(CWStore::Field::clips));
    EXPECT_FALSE(CWStoreTestAccess::loading(*store));

    // A drag's steps are written at most twice a second and once more when it
    // lets go; the quit's save and a store going away never leave a step unsaved.
    const auto savedOut = [] { return savedSession()->clips.first().outTime; };
    {
        CWStore::SaveHold hold(store.get());
        store->setOut(20);
        store->setOut(21);
        EXPECT_DOUBLE_EQ(savedOut(), 12);  // not at every step (12 from before the hold)
        ASSERT_TRUE(testutil::waitUntil([&] { return savedOut() == 21; }, 5000));
        store->setOut(22);
        store->saveOnQuit();
        EXPECT_DOUBLE_EQ(savedOut(), 22);
        store->setOut(23);
    }
    EXPECT_DOUBLE_EQ(savedOut(), 23);  // let go: written at once

    auto* hold = new CWStore::SaveHold(store.get());
    store->setOut(24);
    store.reset();  // the window closing mid-gesture
    EXPECT_DOUBLE_EQ(savedOut(), 24);
    delete hold;  // outliving the store does no harm
}

TEST_F(StoreTest, AGesturesLastStepIsOnDiskAfterItsEarlierWriteFinishesOnTheWorker)
{
    // The worker is still writing a session of 1,000 clips when the gesture
    // lets go with one left, which is written in a moment: the let-go's write
    // must land last, and whole.
    const CWSource a = addSource("/v/a.mov", 3600);
    store->select(a.id);
    QList<Clip> clips;
    for (int i = 0; i < 1000; ++i)
        clips.append(
            Clip{QUuid::createUuid(), a.id, QString("clip %1").arg(i), i * 3.0, i * 3.0 + 2});
    CWStoreTestAccess::setRestoreStarted(*store, true);
    for (int round = 0; round < 5; ++round) {
        CWStoreTestAccess::setClips(*store, clips);
        {
            const CWStore::SaveHold hold(store.get());
            CWStoreTestAccess::setClips(*store, clips.mid(0, 999));
            CWStoreTestAccess::writeAside(*store);
            CWStoreTestAccess::setClips(*store, clips.mid(round, 1));
        }
        const std::optional<CWSession> saved = savedSession();
        ASSERT_TRUE(saved);
        EXPECT_EQ(saved->clips, clips.mid(round, 1)) << "round " << round;
    }
}

#include "store_fixture_support.h"

// Without a source nothing plays or moves; selecting one resets the range (15
// seconds at most) and clears the trim focus; seeks clamp to the source; play
// starts over at the end, and a clip plays from its In point and stops at Out.
TEST_F(StoreTest, SeeksClampPlayStopsAtOutStepsMoveWholeFramesAndRemovalMovesOn)
{
    store->seek(5);
    EXPECT_DOUBLE_EQ(store->time(), 0);
    store->togglePlay();
    EXPECT_EQ(player->calls, QStringList{"seek 0"});
    tickAt(std::numeric_limits<double>::quiet_NaN());  // non-finite times read as zero
    EXPECT_DOUBLE_EQ(store->time(), 0);
    tickAt(std::numeric_limits<double>::infinity());
    EXPECT_DOUBLE_EQ(store->time(), 0);
    const CWSource shortOne = addSource("/v/short.mov", 7);
    const CWSource longOne = addSource("/v/long.mov", 60);
    store->setTrimFocus(0);
    store->select(shortOne.id);
    EXPECT_DOUBLE_EQ(store->outMark(), 7);
    EXPECT_FALSE(store->trimFocus());
    store->seek(-3);
    EXPECT_DOUBLE_EQ(store->time(), 0);
    store->seek(1e9);
    EXPECT_EQ(player->calls.last(), "seek 7");
    store->select(longOne.id);
    EXPECT_DOUBLE_EQ(store->outMark(), 15);
    store->select(QUuid::createUuid());  // unknown: nothing happens
    EXPECT_EQ(store->currentSourceID(), longOne.id);
    EXPECT_EQ(player->calls.count("item"), 2);

    tickAt(60);
    store->togglePlay();
    EXPECT_DOUBLE_EQ(player->now, 0);
    EXPECT_TRUE(store->playing());
    store->togglePlay();
    CWStoreTestAccess::setMarks(*store, 10, 20);
    store->addClip();
    store->selectClip(store->clips().last());
    tickAt(25);
    store->togglePlay();  // outside the clip: from the In point
    EXPECT_DOUBLE_EQ(player->now, 10);
    tickAt(19.9);
    EXPECT_TRUE(store->playing());
    tickAt(20.02);  // one tick past Out
    EXPECT_EQ(player->rate(), 0);
    EXPECT_DOUBLE_EQ(player->now, 20);
    tickAt(9.96);  // within 0.05 s before In: plays from here
    store->togglePlay();
    EXPECT_DOUBLE_EQ(player->now, 9.96);
    store->togglePlay();
    tickAt(19.96);  // within 0.05 s of Out: back to In first
    store->togglePlay();
    EXPECT_DOUBLE_EQ(player->now, 10);

    // A nudge needs a focused mark and stops half a second from the other; a
    // step pauses (frame counts: the arrow keys' test).
    store->select(addSource("/v/a.mov", 60, 25).id);
    store->nudgeTrim(1);  // no focus: nothing
    EXPECT_DOUBLE_EQ(store->inMark(), 0);
    player->play();
    store->step(-10);
    EXPECT_EQ(player->rate(), 0);

    // The In side of the gap: the timeline's drag of In past Out.
    store->setOut(1.0);
    store->setTrimFocus(1);
    store->nudgeTrim(-20);
    EXPECT_DOUBLE_EQ(store->outMark(), 0.5);

    store->select(addSource("/v/zero.mov", 60, 0).id);
    store->seek(1.0);
    store->step(1);
    EXPECT_DOUBLE_EQ(store->time(), 2.0);

    // Removing the current video moves to the one before and takes its clips;
    // with none left the player holds nothing.
    store->select(longOne.id);
    store->removeSource(longOne.id);
    EXPECT_EQ(store->currentSourceID(), shortOne.id);
    EXPECT_TRUE(store->clips().isEmpty());
    for (const CWSource& left : QList<CWSource>(store->sources()))
        store->removeSource(left.id);
    EXPECT_FALSE(store->currentSourceID());
    EXPECT_EQ(player->calls.last(), "item");

    // Trimming black bars pulls the frame into the picture, and leaves it there.
    const CWSource s = addSource("/v/a.mov", 60);
    CWStoreTestAccess::setPicture(*store, s.id, QRectF(240, 0, 1440, 1080));
    store->select(s.id);
    store->setCenterX(0.1);
    store->setTrimBorders(true);
    EXPECT_DOUBLE_EQ(store->centerX(), (240 + 303.75) / 1920);  // pushed right into the picture
    store->setTrimBorders(false);
    EXPECT_DOUBLE_EQ(store->centerX(), (240 + 303.75) / 1920);  // never moved back
}

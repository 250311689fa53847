#include "common/storeaccess.h"
#include "common/testutil.h"
#include "platform/asset.h"
#include "platform/mpvplayer.h"
#include "store/scriptedservices_support.h"
#include "store/store.h"

#include <QFile>
#include <cmath>
#include <gtest/gtest.h>

// The transport on libmpv itself (no window, no sound), with its own clock.
class RealPlayerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        QFile::remove(CWStore::sessionURL());
        player = new MWMpvPlayer({.video = false, .audio = false});
        store = std::make_unique<CWStore>(player, new ScriptedServices);
    }

    // The player shows the frame at shown (seconds) and the observer has seen it.
    bool shows(double shown)
    {
        return testutil::waitUntil(
            [&] { return std::abs(player->shownTime() - shown) < 1e-6 && !store->playing(); });
    }

    MWMpvPlayer* player = nullptr;  // owned by the store
    std::unique_ptr<CWStore> store;
};

// What only a real clock and real frames show; the rules themselves (In point
// first, start over at the end, nudges, switching items) are in the
// scripted-player transport tests.
TEST_F(RealPlayerTest, ASelectedClipPlaysToItsOutPointAndStopsThereExactly)
{
    const CWSource s = CWStoreTestAccess::addFixtureSource(*store, "frames_counter.mp4");
    store->select(s.id);
    const Clip clip{QUuid::createUuid(), s.id, "One", 1.0, 2.0};
    CWStoreTestAccess::setClips(*store, {clip});
    store->selectClip(clip);
    ASSERT_TRUE(shows(1.0));

    store->togglePlay();
    EXPECT_TRUE(store->playing());
    ASSERT_TRUE(testutil::waitUntil([&] { return store->time() > 1.2; }));
    ASSERT_TRUE(shows(2.0));
    EXPECT_EQ(store->time(), 2.0);
    EXPECT_EQ(player->rate(), 0.0);

    // Space again at Out goes back to the In point and plays.
    store->togglePlay();
    ASSERT_TRUE(testutil::waitUntil([&] { return store->time() > 1.0 && store->time() < 1.9; }));
    store->togglePlay();
    EXPECT_FALSE(store->playing());
}

TEST_F(RealPlayerTest, SeekStepAndNudgeLandOnFrames)
{
    const CWSource s = CWStoreTestAccess::addFixtureSource(*store, "frames_counter.mp4");
    const CWSource other = CWStoreTestAccess::addFixtureSource(*store, "h264_aac.mp4");
    store->select(s.id);
    // No frame at 3.5 s at 25 fps: the one shown is the next, at 3.52 s.
    store->seek(3.5);
    ASSERT_TRUE(shows(3.52));
    EXPECT_EQ(store->time(), 3.5);

    // Seek to a time, or step by frames when step is set; the frame then shown.
    const struct {
        double seek;
        int step;
        double shown;
    } moves[] = {{1.0, 0, 1.0}, {-1, 1, 1.04}, {-1, -1, 1.0}, {-1, 10, 1.4}, {-3, 0, 0.0}};
    for (const auto& m : moves) {
        if (m.step)
            store->step(m.step);
        else
            store->seek(m.seek);
        ASSERT_TRUE(shows(m.shown)) << m.seek << " " << m.step;
        EXPECT_NEAR(store->time(), m.shown, 1e-9);
    }

    // The last frame stays up at the end, and a step there stays at the end.
    store->seek(1e9);
    EXPECT_EQ(store->time(), 4.0);
    ASSERT_TRUE(shows(3.96));
    store->step(1);
    EXPECT_EQ(store->time(), 4.0);

    store->setTrimFocus(0);
    store->nudgeTrim(10);
    ASSERT_TRUE(shows(0.4));

    // A new item starts at its first frame and seeks within itself.
    store->select(other.id);
    ASSERT_TRUE(shows(0.0));
    store->seek(2.0);
    ASSERT_TRUE(shows(2.0));
}

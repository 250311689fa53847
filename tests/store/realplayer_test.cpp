#include "platform/mpvplayer.h"
#include "store_fixture_support.h"

#include <cmath>

// What only libmpv's own clock and frames show through the store; the rules
// themselves are the scripted-player transport tests'.
TEST(RealPlayer, AClipStopsExactlyAtItsOutPointAndTheStoreKeepsTheAskedTime)
{
    QFile::remove(CWStore::sessionURL());
    auto* player = new MWMpvPlayer({.video = false, .audio = false});
    CWStore store(player, new ScriptedServices);
    // The player shows the frame at shown (seconds) and the observer has seen it.
    const auto shows = [&](double shown) {
        return testutil::waitUntil(
            [&] { return std::abs(player->shownTime() - shown) < 1e-6 && !store.playing(); });
    };
    const CWSource s = CWStoreTestAccess::addFixtureSource(store, "frames_counter.mp4");
    const Clip clip{QUuid::createUuid(), s.id, "One", 1.0, 2.0};
    CWStoreTestAccess::setClips(store, {clip});
    store.selectClip(clip);
    ASSERT_TRUE(shows(1.0));
    store.togglePlay();
    ASSERT_TRUE(testutil::waitUntil([&] { return store.time() > 1.2; }));
    ASSERT_TRUE(shows(2.0));
    EXPECT_EQ(store.time(), 2.0);  // paused there: shows() waits for the pause

    // No frame at 3.5 s at 25 fps: the next one shows, the store keeps 3.5.
    store.seek(3.5);
    ASSERT_TRUE(shows(3.52));
    EXPECT_EQ(store.time(), 3.5);
    // The last frame stays up at the end, and a step there stays at the end.
    store.seek(1e9);
    EXPECT_EQ(store.time(), 4.0);
    ASSERT_TRUE(shows(3.96));
    store.step(1);
    EXPECT_EQ(store.time(), 4.0);
}

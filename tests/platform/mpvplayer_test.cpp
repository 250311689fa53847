#include "common/testutil.h"
#include "platform/asset.h"
#include "platform/mpvplayer.h"

#include <QSignalSpy>
#include <cmath>
#include <gtest/gtest.h>

namespace {

std::shared_ptr<const MWAsset> counter()
{
    return MWAsset::open(testutil::fixture("frames_counter.mp4"));
}

}  // namespace

TEST(MpvPlayer, LoadsPausedSeeksFrameExactlyPlaysKeepsTheLastFrameAndReplacesItems)
{
    MWMpvPlayer player({.video = false, .audio = false});
    EXPECT_TRUE(std::isnan(player.currentTime()));
    EXPECT_EQ(player.rate(), 0.0);

    QSignalSpy restarted(&player, &MWMpvPlayer::restarted);
    player.replaceItem(counter());
    EXPECT_EQ(player.currentTime(), 0.0);
    ASSERT_TRUE(testutil::waitUntil([&] { return restarted.count() > 0; }));
    EXPECT_EQ(player.rate(), 0.0);

    // Paused, the time is the one asked for; the picture is the first frame at
    // or after it (25 fps). Just after a frame is after it: the next frame, as
    // the export starts with.
    for (const auto& [seek, shown] : {std::pair{1.0, 1.0}, {1.003, 1.04}, {3.0, 3.0}}) {
        const qsizetype before = restarted.count();
        player.seekExact(seek);
        EXPECT_EQ(player.currentTime(), seek);
        ASSERT_TRUE(testutil::waitUntil([&] { return restarted.count() > before; })) << seek;
        EXPECT_EQ(player.currentTime(), seek);
        EXPECT_NEAR(player.shownTime(), shown, 1e-6) << seek;
    }
    // Playing goes on from the frame shown, and pauses.
    player.play();
    ASSERT_TRUE(testutil::waitUntil([&] { return player.currentTime() > 3.2; }));
    player.pause();
    EXPECT_EQ(player.rate(), 0.0);

    // At the end: stopped, the item still loaded, the time at its end; from
    // there a seek back plays again.
    player.play();
    ASSERT_TRUE(testutil::waitUntil([&] { return player.rate() == 0.0; }));
    EXPECT_NEAR(player.currentTime(), 4.0, 1e-6);
    player.seekExact(0);
    player.play();
    EXPECT_EQ(player.rate(), 1.0);
    ASSERT_TRUE(testutil::waitUntil([&] { return player.currentTime() > 0.2; }));
    player.pause();

    // A new item, and a seek before the file has opened: it lands, with no
    // time going back on the way.
    player.replaceItem(counter());
    player.seekExact(2.0);
    const qsizetype loads = restarted.count();
    bool wentBack = false;
    ASSERT_TRUE(testutil::waitUntil([&] {
        wentBack = wentBack || player.currentTime() != 2.0;
        return restarted.count() > loads;
    }));
    EXPECT_FALSE(wentBack);
    EXPECT_NEAR(player.currentTime(), 2.0, 1e-6);

    // Replaced twice in a row, then a seek: only the last item counts.
    player.replaceItem(MWAsset::open(testutil::fixture("h264_aac.mp4")));
    player.replaceItem(counter());
    player.seekExact(1.5);
    ASSERT_TRUE(testutil::waitUntil([&] { return std::abs(player.shownTime() - 1.52) < 1e-6; }));

    // A drag's worth of targets at once: the first goes out, the rest wait and
    // only the newest follows it.
    const std::uint64_t before = player.seeksIssued();
    for (int i = 1; i <= 20; ++i)
        player.seekExact(i * 0.1);
    EXPECT_EQ(player.currentTime(), 2.0);
    EXPECT_EQ(player.seeksIssued(), before + 1);
    ASSERT_TRUE(testutil::waitUntil([&] { return std::isfinite(player.shownTime()); }));
    EXPECT_NEAR(player.shownTime(), 2.0, 1e-6);
    EXPECT_EQ(player.seeksIssued(), before + 2);
    EXPECT_EQ(player.currentTime(), 2.0);

    player.replaceItem(nullptr);
    EXPECT_TRUE(std::isnan(player.currentTime()));
    EXPECT_EQ(player.rate(), 0.0);
    player.play();
    EXPECT_EQ(player.rate(), 0.0);
}

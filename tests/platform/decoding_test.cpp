#include "common/testutil.h"
#include "model/mwerror.h"
#include "platform/asset.h"
#include "platform/framegenerator.h"
#include "platform/mpvplayer.h"

#include <QImage>
#include <QSignalSpy>
#include <QTest>
#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>

namespace {

std::shared_ptr<const MWAsset> openFixture(const QString& name)
{
    return MWAsset::open(testutil::fixture(name));
}

}  // namespace

// The rule every engine shares: an exact request for t gives the first frame
// at or after t, the one `ffmpeg -ss t` starts with. 25 fps has no frame at
// 3.5 s; the next one is at 3.52 s. With a window of tolerance, a key frame
// just after t inside it is taken; with one key frame only, decoding goes
// forward and stops at the window. Key frames only gives the one at or before t.
TEST(FrameGenerator, ExactOrWithinTheToleranceUprightGreyFailuresAndCancelling)
{
    const QString file = testutil::fixture("frames_counter.mp4");
    MWFrameGenerator generator(MWAsset::open(file), {});
    const QImage frame = generator.image(3.5);
    EXPECT_NEAR(generator.actualTime(), 3.52, 1e-6);
    // The frames either side differ by far more (the PlayerSurface test).
    EXPECT_LT(testutil::difference(frame, testutil::ffmpegFrame(file, 3.5)), 3.0);

    MWFrameGenerator::Options window, keys;
    window.toleranceBefore = window.toleranceAfter = 0.5;
    keys.keyFramesOnly = true;
    MWFrameGenerator single(openFixture("frames_counter.mp4"), window);
    MWFrameGenerator keyed(openFixture("h264_aac.mp4"), window);
    MWFrameGenerator floor(openFixture("h264_aac.mp4"), keys);
    // A time on a frame is that frame; earlier requests after later ones seek
    // back; past the end the last frame stands.
    const std::tuple<MWFrameGenerator*, double, double> requests[] = {
        {&generator, 1.0, 1.0}, {&generator, 0, 0}, {&generator, 60, 3.96}, {&single, 2.0, 1.52},
        {&keyed, 1.6, 2.0},     {&keyed, 2.3, 2.0}, {&floor, 1.7, 1.0}};
    for (const auto& [generator, t, shown] : requests) {
        generator->image(t);
        EXPECT_NEAR(generator->actualTime(), shown, 1e-6) << t;
    }

    // Upright, never scaled up; grey is full-range; failures and cancelling.
    // Fitting inside a box is the filmstrip's frames' sizes, and a sound-only
    // asset asked for frame after frame its empty strip.
    const QImage upright = MWFrameGenerator(openFixture("frames_portrait.mp4"), {}).image(1.0);
    EXPECT_GT(qGreen(upright.pixel(20, 20)), 200);  // green block top left
    EXPECT_GT(qRed(upright.pixel(150, 20)), 200);   // red across the top
    EXPECT_GT(qBlue(upright.pixel(90, 300)), 200);  // blue below

    MWFrameGenerator::Options options;
    options.maximumSize = QSize(1000, 1000);
    EXPECT_EQ(MWFrameGenerator(openFixture("h264_aac.mp4"), options).image(1.0).size(),
              QSize(320, 240));

    options.pixels = MWFrameGenerator::Pixels::grey;
    options.maximumSize = QSize(160, 160);
    const QImage grey = MWFrameGenerator(openFixture("bars_letterbox.mp4"), options).image(1.0);
    ASSERT_EQ(grey.format(), QImage::Format_Grayscale8);
    // Video black (16) becomes 0, not 16: the bar thresholds are full-range.
    EXPECT_LE(grey.constScanLine(2)[80], 3);
    const uchar* row = grey.constScanLine(60);
    EXPECT_GT(*std::max_element(row, row + grey.width()), 200);

    EXPECT_THROW(MWFrameGenerator(std::make_shared<MWAsset>(), {}).image(1.0), MWError);

    options.cancelled = [] { return true; };
    EXPECT_THROW(MWFrameGenerator(openFixture("h264_aac.mp4"), options).image(1.0), MWCancelled);
}

// A transport stream starts its clock at 1.4 s; the duration still is the
// length of the media. The other fields of an opened file are the opener's
// direct opens; a quarter turn its upright size and the frame generator's
// upright picture (the same tag); Vorbis's missing QuickTime entry the
// re-export's refusal of Matroska.
TEST(Asset, ALateClockAndBrokenFiles)
{
    const auto ts = MWAsset::open(testutil::fixture("mpeg.ts"));
    EXPECT_NEAR(ts->duration, 2.0, 0.1);
    EXPECT_GT(ts->startTime, 0.5);

    // Cut before its index, an MP4 has nothing to open.
    for (const char* name : {"empty.mp4", "random.mp4", "truncated.mp4"})
        EXPECT_THROW(MWAsset::open(testutil::fixture(name)), MWError) << name;
    EXPECT_THROW(MWAsset::open(QStringLiteral("/nonexistent/file.mp4")), MWError);
}

TEST(MpvPlayer, LoadsPausedSeeksFrameExactlyPlaysKeepsTheLastFrameAndReplacesItems)
{
    MWMpvPlayer player({.video = false, .audio = false});
    EXPECT_TRUE(std::isnan(player.currentTime()));

    QSignalSpy restarted(&player, &MWMpvPlayer::restarted);
    player.replaceItem(openFixture("frames_counter.mp4"));
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
    // Played from the frame shown to the end: stopped, the item still loaded,
    // the time at its end; from there a seek back plays again, and pauses.
    // Playing from a frame to a pause at the Out point is the store's
    // RealPlayer test.
    player.play();
    ASSERT_TRUE(testutil::waitUntil([&] { return player.rate() == 0.0; }));
    EXPECT_NEAR(player.currentTime(), 4.0, 1e-6);
    player.seekExact(0);
    player.play();
    EXPECT_EQ(player.rate(), 1.0);
    ASSERT_TRUE(testutil::waitUntil([&] { return player.currentTime() > 0.2; }));
    player.pause();
    EXPECT_EQ(player.rate(), 0.0);

    // A new item, and a seek before the file has opened: it lands, with no
    // time going back on the way.
    player.replaceItem(openFixture("frames_counter.mp4"));
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
    player.replaceItem(openFixture("h264_aac.mp4"));
    player.replaceItem(openFixture("frames_counter.mp4"));
    player.seekExact(1.5);
    ASSERT_TRUE(testutil::waitUntil([&] { return std::abs(player.shownTime() - 1.52) < 1e-6; }));

    // A drag's worth of targets at once: the first goes out, the rest wait and
    // only the newest follows it. Near the first, it is exact. Far from it,
    // the targets outpace exact seeks: a key frame (here the one at 0) may
    // come first, and the player is settled only once the exact frame is up.
    for (const auto& [step, most] : {std::pair{0.04, 2}, {0.1, 3}}) {
        player.seekExact(0);
        ASSERT_TRUE(testutil::waitUntil([&] { return player.settled(); }));
        const std::uint64_t before = player.seeksIssued();
        for (int i = 1; i <= 20; ++i)
            player.seekExact(i * step);
        EXPECT_EQ(player.currentTime(), 20 * step);
        EXPECT_EQ(player.seeksIssued(), before + 1);
        ASSERT_TRUE(testutil::waitUntil([&] { return player.settled(); }));
        EXPECT_NEAR(player.shownTime(), 20 * step, 1e-6) << step;
        EXPECT_GE(player.seeksIssued(), before + 2);
        EXPECT_LE(player.seeksIssued(), before + most);
    }
    // A seek sent while the core decodes toward another: the core finishes
    // that one first, and its restart does not settle the newer seek.
    for (const auto& [far, target] : {std::pair{3.96, 0.52}, {3.8, 0.2}, {3.92, 1.0}, {3.88, 0.4}}) {
        player.seekExact(far);
        QTest::qWait(4);  // the core starts on it
        player.seekExact(target);
        player.endSeeking();
        ASSERT_TRUE(testutil::waitUntil([&] { return player.settled(); }));
        EXPECT_NEAR(player.shownTime(), target, 1e-6) << target;
    }
    // Once the drag lets go, the newest target goes out at once.
    for (int i = 1; i <= 5; ++i)
        player.seekExact(i * 0.3);
    const std::uint64_t sent = player.seeksIssued();
    player.endSeeking();
    EXPECT_EQ(player.seeksIssued(), sent + 1);
    ASSERT_TRUE(testutil::waitUntil([&] { return std::abs(player.shownTime() - 1.52) < 1e-6; }));

    player.replaceItem(nullptr);
    EXPECT_TRUE(std::isnan(player.currentTime()));
    player.play();
    EXPECT_EQ(player.rate(), 0.0);
}

// Where reaching a time means decoding far from the key frame before it, the
// nearest key frame within reach stands in; where the key frame is close, or
// none is within reach, the frame at the time is decoded as usual. The test
// video has a key frame every second at 25 fps.
TEST(FrameGenerator, NearestKeyFrameStandsInForFarDecodes)
{
    MWFrameGenerator::Options far;
    far.keyFrameReach = 0.4;
    far.longestDecode = 0.2;
    MWFrameGenerator::Options cheap = far;
    cheap.longestDecode = 2.0;
    MWFrameGenerator nearest(openFixture("h264_aac.mp4"), far);
    MWFrameGenerator exact(openFixture("h264_aac.mp4"), cheap);
    MWFrameGenerator single(openFixture("frames_counter.mp4"), far);
    const std::tuple<MWFrameGenerator*, double, double> requests[] = {
        {&nearest, 2.3, 2.0},  {&nearest, 2.7, 3.0}, {&nearest, 2.05, 2.08},
        {&nearest, 3.5, 3.52}, {&exact, 2.7, 2.72},  {&single, 3.5, 3.52}};
    for (const auto& [generator, t, shown] : requests) {
        generator->image(t);
        EXPECT_NEAR(generator->actualTime(), shown, 1e-6) << t;
    }
}

// The first file opens in the player while the opener reads it: taken over
// before it has opened and after its picture is in place, the item behaves as
// one loaded the usual way. A preload of another file, or of a broken one,
// gives way to the item asked for; cleared, nothing is left playing.
TEST(MpvPlayer, APreloadedFileIsTakenOverAtAnyPointAndOtherwiseGivesWay)
{
    for (const int settleMs : {0, 1500}) {
        SCOPED_TRACE(settleMs);
        MWMpvPlayer player({.video = false, .audio = false});
        QSignalSpy restarted(&player, &MWMpvPlayer::restarted);
        player.preload(testutil::fixture("frames_counter.mp4"));
        QTest::qWait(settleMs);
        player.replaceItem(openFixture("frames_counter.mp4"));
        EXPECT_EQ(player.currentTime(), 0.0);
        ASSERT_TRUE(testutil::waitUntil([&] { return std::isfinite(player.shownTime()); }));
        EXPECT_NEAR(player.shownTime(), 0.0, 1e-6);
        EXPECT_GT(restarted.count(), 0);
        player.seekExact(1.5);
        ASSERT_TRUE(testutil::waitUntil([&] { return std::abs(player.shownTime() - 1.52) < 1e-6; }));
    }
    for (const char* preloaded : {"export_still.mp4", "random.mp4"}) {
        SCOPED_TRACE(preloaded);
        MWMpvPlayer player({.video = false, .audio = false});
        player.preload(testutil::fixture(preloaded));
        QTest::qWait(300);
        player.replaceItem(openFixture("frames_counter.mp4"));
        player.seekExact(3.5);
        ASSERT_TRUE(testutil::waitUntil([&] { return std::abs(player.shownTime() - 3.52) < 1e-6; }));
        player.play();
        ASSERT_TRUE(testutil::waitUntil([&] { return player.rate() == 0.0; }));
        EXPECT_NEAR(player.currentTime(), 4.0, 1e-6) << "the item's own end";
    }
    MWMpvPlayer player({.video = false, .audio = false});
    player.preload(testutil::fixture("frames_counter.mp4"));
    player.replaceItem(nullptr);
    QTest::qWait(500);
    EXPECT_TRUE(std::isnan(player.currentTime()));
    EXPECT_TRUE(std::isnan(player.shownTime()));
}

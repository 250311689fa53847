#include "common/testutil.h"
#include "model/mwerror.h"
#include "platform/asset.h"
#include "platform/framegenerator.h"

#include <QImage>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

std::shared_ptr<const MWAsset> openFixture(const QString& name)
{
    return MWAsset::open(testutil::fixture(name));
}

}  // namespace

// The rule every engine shares: an exact request for t gives the first frame
// at or after t, the one `ffmpeg -ss t` starts with. 25 fps has no frame at
// 3.5 s; the next one is at 3.52 s.
TEST(FrameGenerator, ExactRequestMatchesFfmpegInputSeeking)
{
    const QString file = testutil::fixture("frames_counter.mp4");
    MWFrameGenerator generator(MWAsset::open(file), {});
    const QImage frame = generator.image(3.5);
    EXPECT_NEAR(generator.actualTime(), 3.52, 1e-6);
    ASSERT_EQ(frame.size(), QSize(320, 240));
    const double same = testutil::difference(frame, testutil::ffmpegFrame(file, 3.5));
    EXPECT_LT(same, 3.0);
    // The neighbours differ by a moved block: the comparison can tell them apart.
    EXPECT_GT(testutil::difference(frame, testutil::ffmpegFrame(file, 3.48)), same + 1.0);
    EXPECT_GT(testutil::difference(frame, testutil::ffmpegFrame(file, 3.56)), same + 1.0);

    // A time on a frame is that frame; earlier requests after later ones seek back.
    generator.image(1.0);
    EXPECT_NEAR(generator.actualTime(), 1.0, 1e-6);
    generator.image(0);
    EXPECT_NEAR(generator.actualTime(), 0.0, 1e-6);
    // Past the end the last frame stands.
    generator.image(60);
    EXPECT_NEAR(generator.actualTime(), 3.96, 1e-6);
}

// With a window of tolerance, a key frame just after t inside it is taken;
// with one key frame only, decoding goes forward and stops at the window.
// Key frames only gives the one at or before t.
TEST(FrameGenerator, ToleranceStopsEarlyOrTakesTheNearbyKeyFrame)
{
    MWFrameGenerator::Options window;
    window.toleranceBefore = window.toleranceAfter = 0.5;
    MWFrameGenerator::Options keys;
    keys.keyFramesOnly = true;
    MWFrameGenerator single(openFixture("frames_counter.mp4"), window);
    MWFrameGenerator keyed(openFixture("h264_aac.mp4"), window);
    MWFrameGenerator floor(openFixture("h264_aac.mp4"), keys);
    const std::tuple<MWFrameGenerator*, double, double> requests[] = {
        {&single, 2.0, 1.52}, {&keyed, 1.6, 2.0}, {&keyed, 2.3, 2.0}, {&floor, 1.7, 1.0}};
    for (const auto& [generator, t, shown] : requests) {
        generator->image(t);
        EXPECT_NEAR(generator->actualTime(), shown, 1e-6) << t;
    }
}

TEST(FrameGenerator, UprightAndInsideTheBox)
{
    MWFrameGenerator::Options options;
    MWFrameGenerator full(openFixture("frames_portrait.mp4"), options);
    const QImage upright = full.image(1.0);
    ASSERT_EQ(upright.size(), QSize(180, 320));
    EXPECT_GT(qGreen(upright.pixel(20, 20)), 200);  // green block top left
    EXPECT_LT(qRed(upright.pixel(20, 20)), 60);
    EXPECT_GT(qRed(upright.pixel(150, 20)), 200);   // red across the top
    EXPECT_GT(qBlue(upright.pixel(90, 300)), 200);  // blue below

    options.maximumSize = QSize(90, 90);
    MWFrameGenerator boxed(openFixture("frames_portrait.mp4"), options);
    EXPECT_EQ(boxed.image(1.0).size(), QSize(51, 90));
    // Never scaled up.
    options.maximumSize = QSize(1000, 1000);
    MWFrameGenerator large(openFixture("h264_aac.mp4"), options);
    EXPECT_EQ(large.image(1.0).size(), QSize(320, 240));
}

TEST(FrameGenerator, GreyIsFullRangeLuma)
{
    MWFrameGenerator::Options options;
    options.pixels = MWFrameGenerator::Pixels::grey;
    options.maximumSize = QSize(160, 160);
    MWFrameGenerator generator(openFixture("bars_letterbox.mp4"), options);
    const QImage grey = generator.image(1.0);
    ASSERT_EQ(grey.format(), QImage::Format_Grayscale8);
    ASSERT_EQ(grey.size(), QSize(160, 120));
    // Video black (16) becomes 0, not 16: the bar thresholds are full-range.
    EXPECT_LE(grey.constScanLine(2)[80], 3);
    int brightest = 0;
    for (int x = 0; x < grey.width(); ++x)
        brightest = std::max<int>(brightest, grey.constScanLine(60)[x]);
    EXPECT_GT(brightest, 200);
}

TEST(FrameGenerator, FailuresAndCancellation)
{
    MWFrameGenerator missing(std::make_shared<MWAsset>(), {});
    EXPECT_THROW(missing.image(1.0), MWError);
    MWFrameGenerator sound(openFixture("frames_audio.m4a"), {});
    EXPECT_THROW(sound.image(1.0), MWError);
    EXPECT_THROW(sound.image(1.0), MWError);

    MWFrameGenerator::Options options;
    options.cancelled = [] { return true; };
    MWFrameGenerator cancelled(openFixture("h264_aac.mp4"), options);
    EXPECT_THROW(cancelled.image(1.0), MWCancelled);
}

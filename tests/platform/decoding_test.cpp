#include "common/testutil.h"
#include "model/mwerror.h"
#include "platform/asset.h"
#include "platform/framegenerator.h"

#include <QImage>
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
TEST(FrameGenerator, ExactRequestMatchesFfmpegInputSeekingOrStopsWithinTheTolerance)
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
}

TEST(FrameGenerator, UprightInsideTheBoxGreyIsFullRangeFailuresAndCancellation)
{
    MWFrameGenerator::Options options;
    MWFrameGenerator full(openFixture("frames_portrait.mp4"), options);
    const QImage upright = full.image(1.0);
    ASSERT_EQ(upright.size(), QSize(180, 320));
    EXPECT_GT(qGreen(upright.pixel(20, 20)), 200);  // green block top left
    EXPECT_GT(qRed(upright.pixel(150, 20)), 200);   // red across the top
    EXPECT_GT(qBlue(upright.pixel(90, 300)), 200);  // blue below

    options.maximumSize = QSize(90, 90);
    MWFrameGenerator boxed(openFixture("frames_portrait.mp4"), options);
    EXPECT_EQ(boxed.image(1.0).size(), QSize(51, 90));
    // Never scaled up.
    options.maximumSize = QSize(1000, 1000);
    MWFrameGenerator large(openFixture("h264_aac.mp4"), options);
    EXPECT_EQ(large.image(1.0).size(), QSize(320, 240));

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

    MWFrameGenerator missing(std::make_shared<MWAsset>(), {});
    EXPECT_THROW(missing.image(1.0), MWError);
    MWFrameGenerator sound(openFixture("frames_audio.m4a"), {});
    EXPECT_THROW(sound.image(1.0), MWError);
    EXPECT_THROW(sound.image(1.0), MWError);

    options.cancelled = [] { return true; };
    MWFrameGenerator cancelled(openFixture("h264_aac.mp4"), options);
    EXPECT_THROW(cancelled.image(1.0), MWCancelled);
}

// Files with sound only are the opener's AudioFiles; their missing picture
// stream the frame generator's and the filmstrip's failures.
TEST(Asset, TracksSizeRateDurationTurnAndBrokenFiles)
{
    // A transport stream starts its clock at 1.4 s; the duration still is the
    // length of the media.
    for (const auto& [name, duration, tolerance, startsLate] :
         {std::tuple{"h264_aac.mp4", 4.0, 0.05, false}, std::tuple{"mpeg.ts", 2.0, 0.1, true}}) {
        SCOPED_TRACE(name);
        const auto a = MWAsset::open(testutil::fixture(name));
        EXPECT_TRUE(a->readable && a->playable && a->exportable);
        EXPECT_NEAR(a->duration, duration, tolerance);
        EXPECT_EQ(a->startTime > 0.5, startsLate);
        EXPECT_EQ(a->videoTracks, 1);
        EXPECT_EQ(a->audioTracks, 1);
        EXPECT_EQ(a->naturalSize, QSizeF(320, 240));
        EXPECT_TRUE(a->preferredTransform.isIdentity());
        EXPECT_FLOAT_EQ(a->nominalFrameRate, 25);
    }
    // Vorbis has no QuickTime sample entry.
    EXPECT_FALSE(MWAsset::open(testutil::fixture("matroska.mkv"))->exportable);

    // Turned a quarter clockwise: the coded top-left corner ends up top-right.
    const auto turned = MWAsset::open(testutil::fixture("rotated.mp4"));
    EXPECT_EQ(turned->naturalSize, QSizeF(320, 240));
    EXPECT_EQ(turned->preferredTransform.mapRect(QRectF(0, 0, 320, 240)), QRectF(0, 0, 240, 320));
    EXPECT_EQ(turned->preferredTransform.map(QPointF(0, 0)), QPointF(240, 0));

    // Cut before its index, an MP4 has nothing to open.
    for (const char* name : {"empty.mp4", "random.mp4", "truncated.mp4"})
        EXPECT_THROW(MWAsset::open(testutil::fixture(name)), MWError) << name;
    EXPECT_THROW(MWAsset::open(QStringLiteral("/nonexistent/file.mp4")), MWError);
}

#include "export/delivery.h"
#include "export/exporter.h"
#include "export/fastexport.h"
#include "export/framemotion.h"
#include "export_support.h"
#include "model/aspect.h"
#include "model/cropmath.h"
#include "model/framepath.h"

using namespace ClipExporter;

namespace {

// As in the output tests: the same region renders within this mean
// difference through either engine; a neighbouring rectangle of testsrc2 is
// far beyond it.
constexpr double kSamePicture = 6;
constexpr int kShortSide = 180;
constexpr FrameRate kRate{25, 1};

// From In 0.2 (frame 5 of the source): a hold, a glide across and in, and a
// cut at 1.6 s, which is output frame 35.
Clip movingClip()
{
    Clip clip = exporttest::clipOf(0.2, 2.2);
    clip.points = {
        {0.4, 0.2, 0.5, 1, false}, {1.2, 0.8, 0.6, 2, false}, {1.6, 0.3, 0.4, 1.5, true}};
    FramePath::mirrorFirstPoint(clip);
    return clip;
}

// A hair before the frame's time: `-ss` takes the first frame at or after it.
double justBefore(const Clip& clip, int n)
{
    return std::max(0.0, clip.inTime + n / kRate.value() - 0.01);
}

}  // namespace

TEST(CropChanges, StaticClipHasNoneAndAMovingOneListsOnlyItsChanges)
{
    const MWOpenedMedia media = exporttest::media("export_motion.mp4");
    EXPECT_TRUE(cropChanges(exporttest::clipOf(0.2, 2.2), media, {}, kRate, 0.2, 2.2).empty());

    const Clip clip = movingClip();
    const std::vector<CropChange> changes = cropChanges(clip, media, {}, kRate, 0.2, 2.2);
    ASSERT_FALSE(changes.empty());
    EXPECT_EQ(changes.front().time, 0);
    // The hold until 0.4 s and the one after the cut cost nothing: frames
    // 1–5 and 36–49 bring no change; the glide changes on most frames.
    for (const CropChange& c : changes) {
        const long long n = std::llround(c.time * 25);
        EXPECT_TRUE(n == 0 || (n > 5 && n <= 25) || n == 35) << "change at frame " << n;
    }
    EXPECT_GT(changes.size(), 10u);
    // The cut is one change, on its own frame.
    EXPECT_DOUBLE_EQ(changes.back().time, 35 / 25.0);

    // Each command takes effect half a frame before its frame.
    const QString commands = cropCommands({changes.front(), changes.back()}, kRate);
    const QStringList lines = commands.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2);
    EXPECT_TRUE(lines[0].startsWith(QStringLiteral("0.000000 crop w ")));
    EXPECT_TRUE(lines[1].startsWith(QStringLiteral("1.380000 crop w ")));
    const CropMath::PixelRect& last = changes.back().crop;
    EXPECT_TRUE(lines[1].endsWith(QStringLiteral("crop w %1, crop h %2, crop x %3, crop y %4;")
                                      .arg(last.w)
                                      .arg(last.h)
                                      .arg(last.x)
                                      .arg(last.y)));
}

// A moving clip drives the converter's crop by commands in the rate's time;
// captions are drawn on the scaled picture before its format. Both files'
// names are quoted for the filter line.
TEST(CropChanges, TheConvertersFilterLineTakesTheCommandsAndTheCaptions)
{
    const MWOpenedMedia media = exporttest::media("export_motion.mp4");
    const QStringList args =
        fastArgs(media, 0.2, 2.2, QRectF(0, 0, 134, 240), QSizeF(180, 320), "/o.mp4", {},
                 "/tmp/a dir/it's:crop.cmd", captionFilter("/tmp/a dir/it's:cc.ass"));
    const QString vf = args.at(args.indexOf("-vf") + 1);
    EXPECT_TRUE(
        vf.startsWith("fps=25,tpad=stop_mode=clone:stop_duration=2.000,"
                      "sendcmd=f=/tmp/a dir/it\\\\\\'s\\\\:crop.cmd,crop=134:240:0:0,null,"))
        << vf.toStdString();
    EXPECT_TRUE(vf.endsWith(",setsar=1,ass=filename=/tmp/a dir/it\\\\\\'s\\\\:cc.ass,format=nv12"))
        << vf.toStdString();
}

struct MotionTest : exporttest::EngineTest {};

TEST_P(MotionTest, EveryFrameIsCutWhereThePathIsAtItsTime)
{
    const MWOpenedMedia media = exporttest::media("export_motion.mp4");
    const Clip clip = movingClip();
    const QString out = exportOf("export_motion.mp4", clip, kShortSide);
    const QString source = testutil::fixture(QStringLiteral("export_motion.mp4"));
    EXPECT_EQ(exporttest::probe(out).field("nb_frames"), "50");

    auto frame = [&](int n) {
        return testutil::ffmpegFrame(out, std::max(0.0, n / kRate.value() - 0.01));
    };
    auto expected = [&](int n, int shape) {
        return testutil::ffmpegFrame(
            source, justBefore(clip, n),
            exporttest::pathCrop(clip, media, shape, kRate.value(), kShortSide));
    };
    // The first frame is the source's at In; then the hold, the glide on
    // its way, the last frame before the cut, the cut, and the end.
    for (const int n : {0, 4, 10, 15, 22, 30, 34, 35, 36, 49}) {
        const double d = testutil::difference(frame(n), expected(n, n));
        EXPECT_LT(d, kSamePicture) << "output frame " << n;
    }
    // The cut lands on its frame, not one early or late: frame 34 still has
    // the frame held since the glide (as at frame 30), 35 the one after the cut.
    EXPECT_GT(testutil::difference(frame(35), expected(35, 30)), 3 * kSamePicture);
    EXPECT_GT(testutil::difference(frame(34), expected(34, 40)), 3 * kSamePicture);
}

TEST_P(MotionTest, ACutOnAQuarterTurnedSourceMovesInTheUprightPicture)
{
    // Shown upright 240×320: blue top left, green bottom right. The frame
    // starts on the blue quarter and cuts to the green one at 0.6 s, output
    // frame 10.
    Clip clip = exporttest::clipOf(0.2, 1.2, Aspect::square);
    clip.points = {{0.2, 0.25, 0.25, 2, false}, {0.6, 0.75, 0.75, 2, true}};
    FramePath::mirrorFirstPoint(clip);
    const QString out = exportOf("export_quad_cw.mp4", clip, kShortSide);
    auto mean = [&](int n) {
        const QImage frame = testutil::ffmpegFrame(out, std::max(0.0, n / kRate.value() - 0.01));
        return frame.scaled(1, 1, Qt::IgnoreAspectRatio, Qt::SmoothTransformation).pixel(0, 0);
    };
    for (const int n : {0, 9}) {
        const QRgb c = mean(n);
        EXPECT_TRUE(qBlue(c) > 200 && qRed(c) < 50 && qGreen(c) < 50) << "frame " << n;
    }
    for (const int n : {10, 24}) {
        const QRgb c = mean(n);
        EXPECT_TRUE(qGreen(c) > 200 && qRed(c) < 50 && qBlue(c) < 50) << "frame " << n;
    }
}

CW_EACH_ENGINE(MotionTest);

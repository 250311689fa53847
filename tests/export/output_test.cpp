#include "export/exporter.h"
#include "export_support.h"
#include "media/opener.h"
#include "model/cropmath.h"

#include <QImage>

using namespace ClipExporter;
using exporttest::Engine;

namespace {

// Mean difference per channel (0…255) within which two renderings of one
// region count as the same picture. Measured: 1.0 to 3.8 for the right region
// through either engine; 12 to 44 for the stored-pixel crop of old.
constexpr double kSamePicture = 6;

struct OutputTest : exporttest::EngineTest {};

// The mean grey of a picture (the counters' frames are flat).
int meanGrey(const QImage& image)
{
    return qGray(image.scaled(1, 1, Qt::IgnoreAspectRatio, Qt::SmoothTransformation).pixel(0, 0));
}

}  // namespace

TEST_P(OutputTest, ClipWithSoundIsAPlayableUprightMp4OfTheRightSizeLengthAndSync)
{
    // In 0.48 is frame 12 exactly; Out 1.48 makes a one-second clip.
    const QString path = exportOf("export_counter.mp4", exporttest::clipOf(0.48, 1.48));
    const exporttest::Probe p = exporttest::probe(path);
    // The source's colour tags come through unchanged; every frame counts,
    // the last one too.
    const std::pair<const char*, const char*> fields[] = {
        {"codec_name", "h264"},   {"profile", "High"},          {"pix_fmt", "yuv420p"},
        {"width", "720"},         {"height", "1280"},           {"sample_aspect_ratio", "1:1"},
        {"color_space", "bt709"}, {"color_primaries", "bt709"}, {"color_transfer", "bt709"},
        {"color_range", "tv"},    {"nb_frames", "25"}};
    for (const auto& [key, value] : fields)
        EXPECT_EQ(p.field(key), value) << key;
    EXPECT_NEAR(p.duration(), 1.0, 0.04);
    EXPECT_NEAR(p.field("duration").toDouble(), 1.0, 0.02);
    EXPECT_NEAR(p.field("start_time").toDouble(), 0, 1e-3);
    ASSERT_TRUE(p.audio);
    EXPECT_EQ(p.audio->value("codec_name").toString(), "aac");
    EXPECT_EQ(p.audio->value("channels").toInt(), 2);
    EXPECT_NEAR(p.audio->value("start_time").toString().toDouble(), 0, 1e-3);
    // The tone starts at 1 s in the source, which is 0.52 s into the clip.
    EXPECT_NEAR(exporttest::soundOnset(path), 0.52, 0.01);
    EXPECT_TRUE(exporttest::indexFirst(path));
}

// Sound leaves as AAC-LC at 48 kHz in stereo, whatever the source's rate and
// layout: mono in both channels, six channels folded down.
TEST_P(OutputTest, SoundLeavesAsStereoAt48kHz)
{
    for (const char* fixture : {"export_96k_6ch.mp4", "export_44k_mono.mp4"}) {
        SCOPED_TRACE(fixture);
        const exporttest::Probe p = exporttest::probe(exportOf(fixture, exporttest::clipOf(0, 1)));
        ASSERT_TRUE(p.audio);
        EXPECT_EQ(p.audio->value("sample_rate").toString(), "48000");
        EXPECT_EQ(p.audio->value("channels").toInt(), 2);
        EXPECT_EQ(p.audio->value("profile").toString(), "LC");
    }
}

TEST_P(OutputTest, FirstFrameIsTheFirstFrameAtOrAfterTheInPoint)
{
    // Frame n of the counters has luma 16 + 3n (grey 3n × 255 ÷ 219), at 25
    // and at 120 frames a second; both engines write the 120 fps one at 60,
    // and the file starts with the frame that `ffmpeg -ss` (and the player)
    // shows at the In point.
    const std::tuple<const char*, double, int> cases[] = {
        {"export_counter.mp4", 0.48, 12},    {"export_counter.mp4", 0.5, 13},
        {"export_counter.mp4", 0.0, 0},      {"export_counter120.mp4", 0.1, 12},
        {"export_counter120.mp4", 0.45, 54}, {"export_counter120.mp4", 0.004, 1}};
    for (const auto& [fixture, in, frame] : cases) {
        SCOPED_TRACE(testing::Message() << fixture << " In " << in);
        const QString path = exportOf(fixture, exporttest::clipOf(in, in + 0.25, Aspect::square));
        const double reference = meanGrey(testutil::ffmpegFrame(testutil::fixture(fixture), in));
        EXPECT_NEAR(reference, 3 * frame * 255.0 / 219, 1.5);
        EXPECT_NEAR(meanGrey(testutil::ffmpegFrame(path, 0)), reference, 1.5);
    }
}

// The crop frame is placed on the picture as the player shows it, and each
// engine must write exactly what the frame covered there, undistorted: off
// the centre on both axes, zoomed, turned a quarter for display, and with
// pixels that are not square (square ones are the same code with an aspect of
// 1). The yardstick is the ffmpeg command line making the same region of the
// shown picture.
TEST_P(OutputTest, CropShowsExactlyWhatTheFrameCoveredOnTheShownPicture)
{
    struct Case {
        const char* fixture;
        QSize shown;  // upright, with square pixels
        Aspect aspect;
        double zoom, cx, cy;
    };
    for (const Case c : {
             Case{"anamorphic_pal.vob", {1024, 576}, Aspect::wide, 1.5, 0.6, 0.4},
             Case{"anamorphic_hdv.mp4", {640, 360}, Aspect::square, 2, 0.7, 0.3},
             Case{"anamorphic_hdv_cw.mp4", {360, 640}, Aspect::portrait, 1.5, 0.4, 0.3},
         }) {
        SCOPED_TRACE(testing::Message() << c.fixture << " " << fileTag(c.aspect).toStdString());
        // A copy of its own, so that the DVD's converted copy is made here.
        const MWOpenedMedia media = testutil::await(
            MWMediaOpener::open(testutil::copyFixture(c.fixture, dir.path(), c.fixture), true, {}));
        const QString out = exporttest::exportWith(
            GetParam(), exporttest::clipOf(0, 0.2, c.aspect, c.zoom, c.cx, c.cy), media,
            dir.filePath(fileTag(c.aspect) + ".mp4"));  // one a case
        const QSize render = renderSize(c.aspect, 720);
        const exporttest::Probe p = exporttest::probe(out);
        EXPECT_EQ(p.size(), render);
        EXPECT_EQ(p.field("sample_aspect_ratio"), "1:1");
        EXPECT_FALSE(p.audio);  // as the source

        // The region is worked out on the shown picture the table names, not
        // on the record's size, so that a wrong record cannot hide itself.
        EXPECT_EQ(media.naturalSize, QSizeF(c.shown));
        const QRectF frame =
            CropMath::cropFrame(c.aspect, c.zoom, c.cx, c.cy, QSizeF(c.shown), std::nullopt);
        const QImage reference = testutil::ffmpegFrame(
            media.original, 0,
            QString::asprintf("scale=%d:%d,setsar=1,crop=%d:%d:%d:%d,scale=%d:%d:flags=bicubic",
                              c.shown.width(), c.shown.height(), qRound(frame.width()),
                              qRound(frame.height()), qRound(frame.x()), qRound(frame.y()),
                              render.width(), render.height()));
        EXPECT_LT(testutil::difference(testutil::ffmpegFrame(out, 0), reference), kSamePicture);
    }
}

CW_EACH_ENGINE(OutputTest);

// What only the composition meets: rates and sound it must change, and a
// picture that changes size mid-stream.
TEST(CompositionOutput, SlowSourcesUnusableSoundAndAPictureThatChangesSize)
{
    QTemporaryDir dir;
    const auto exportOf = [&](const char* fixture, const Clip& clip) {
        return exporttest::probe(exporttest::exportWith(
            Engine::composition, clip, exporttest::media(fixture), dir.filePath("out.mp4")));
    };
    // Kept at eight frames a second, as the converter keeps it: no frame repeated.
    const exporttest::Probe slow =
        exportOf("export_slow.mp4", exporttest::clipOf(0, 2, Aspect::square));
    EXPECT_EQ(slow.field("nb_frames"), "16");  // in 2 s

    // 65 channels are more than the resampler takes: the clip goes out silent.
    const exporttest::Probe wide =
        exportOf("export_65ch.mkv", exporttest::clipOf(0, 1, Aspect::square));
    EXPECT_EQ(wide.field("nb_frames"), "25");
    EXPECT_FALSE(wide.audio);

    // From the start (a transport stream seeks only roughly) past the switch
    // from 4:3 to 16:9: the wide frame covers the same middle of both parts,
    // undistorted, so the white square of the second stays square.
    const exporttest::Probe p =
        exportOf("export_size_change.ts", exporttest::clipOf(0, 1.6, Aspect::wide));
    EXPECT_EQ(p.size(), QSize(1280, 720));
    EXPECT_EQ(p.field("nb_frames"), "40");
    const QImage before = testutil::ffmpegFrame(dir.filePath("out.mp4"), 0.5);
    const QImage after = testutil::ffmpegFrame(dir.filePath("out.mp4"), 1.3);
    EXPECT_GT(qRed(before.pixel(640, 360)), 200);
    EXPECT_LT(qBlue(before.pixel(640, 360)), 80);
    EXPECT_GT(qBlue(after.pixel(100, 100)), 200);
    int across = 0, down = 0;
    for (int i = 0; i < 1280; ++i) {
        across += qGray(after.pixel(i, 360)) > 200;
        down += i < 720 && qGray(after.pixel(640, i)) > 200;
    }
    // 180 of the 270 picture rows the frame covers, at 720 ÷ 270 per row.
    EXPECT_NEAR(across, 480, 6);
    EXPECT_NEAR(down, 480, 6);
}

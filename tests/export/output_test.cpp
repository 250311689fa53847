#include "common/testutil.h"
#include "export/exporter.h"
#include "export_support.h"

#include <QImage>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace ClipExporter;
using exporttest::Engine;

namespace {

struct OutputTest : ::testing::TestWithParam<Engine> {
    QTemporaryDir dir;

    QString exportOf(const char* fixture, const Clip& clip)
    {
        static int n = 0;
        return exporttest::exportWith(GetParam(), clip, exporttest::media(fixture),
                                      dir.filePath(QStringLiteral("%1.mp4").arg(++n)));
    }
};

double mean(const QByteArray& bytes)
{
    double sum = 0;
    for (const char b : bytes)
        sum += quint8(b);
    return bytes.isEmpty() ? -1 : sum / bytes.size();
}

// The dominant colour of the pixel at the centre of a packed RGB picture.
QString centreColour(const QByteArray& rgb, int w, int h)
{
    const qsizetype at = (qsizetype(h / 2) * w + w / 2) * 3;
    if (at + 2 >= rgb.size())
        return "none";
    const int r = quint8(rgb[at]), g = quint8(rgb[at + 1]), b = quint8(rgb[at + 2]);
    return r > 200 && g > 200 && b > 200 ? "white"
           : r > 200 && g < 80 && b < 80 ? "red"
           : g > 150 && r < 80 && b < 80 ? "green"
           : b > 200 && r < 80 && g < 80 ? "blue"
                                         : "other";
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

    const exporttest::Probe silent = exporttest::probe(
        exportOf("export_quad.mp4", exporttest::clipOf(0, 0.5, Aspect::portrait)));
    EXPECT_EQ(silent.size(), QSize(720, 900));
    EXPECT_FALSE(silent.audio);
}

TEST_P(OutputTest, FirstFrameIsTheFirstFrameAtOrAfterTheInPoint)
{
    // Frame n of the counters has luma 16 + 3n, at 25 and at 120 frames a
    // second; the composition writes the 120 fps one at 60, the converter
    // keeps its rate: either way the file starts with the frame that
    // `ffmpeg -ss` (and the player) shows at the In point.
    const std::tuple<const char*, double, int> cases[] = {
        {"export_counter.mp4", 0.48, 12},    {"export_counter.mp4", 0.5, 13},
        {"export_counter.mp4", 0.0, 0},      {"export_counter120.mp4", 0.1, 12},
        {"export_counter120.mp4", 0.25, 30}, {"export_counter120.mp4", 0.3, 36},
        {"export_counter120.mp4", 0.45, 54}, {"export_counter120.mp4", 0.004, 1}};
    for (const auto& [fixture, in, frame] : cases) {
        SCOPED_TRACE(testing::Message() << fixture << " In " << in);
        const QString path = exportOf(fixture, exporttest::clipOf(in, in + 0.25, Aspect::square));
        const double reference = mean(exporttest::luma(testutil::fixture(fixture), in));
        EXPECT_NEAR(reference, 16 + 3 * frame, 1.2);
        EXPECT_NEAR(mean(exporttest::luma(path)), reference, 1.2);
    }
}

// A square frame at zoom 2 covers one quadrant of the 4:3 picture; whichever
// quadrant the centre points at is the colour that fills the export. Turned a
// quarter clockwise, the upright picture has its quadrants moved round.
TEST_P(OutputTest, CropShowsTheQuadrantAskedForOfAStoredAndAnUprightTurnedPicture)
{
    const std::tuple<double, double, const char*, const char*> cases[] = {
        {0.25, 0.25, "red", "blue"},
        {0.75, 0.25, "green", "red"},
        {0.25, 0.75, "blue", "white"},
        {0.75, 0.75, "white", "green"}};
    for (const auto& [cx, cy, stored, turned] : cases) {
        for (const auto& [fixture, colour] :
             {std::pair{"export_quad.mp4", stored}, std::pair{"export_quad_cw.mp4", turned}}) {
            const QString path =
                exportOf(fixture, exporttest::clipOf(0, 0.2, Aspect::square, 2, cx, cy));
            EXPECT_EQ(centreColour(exporttest::firstRgb(path), 720, 720), colour)
                << fixture << " " << cx << "," << cy;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Engines, OutputTest,
                         ::testing::Values(Engine::converter, Engine::composition),
                         exporttest::engineName);

// What only the composition meets: rates and sound it must change, and a
// picture that changes size mid-stream.
TEST(CompositionOutput, SlowSourcesUnusableSoundAndAPictureThatChangesSize)
{
    QTemporaryDir dir;
    const auto exportOf = [&](const char* fixture, const Clip& clip) {
        return exporttest::probe(exporttest::exportWith(
            Engine::composition, clip, exporttest::media(fixture), dir.filePath("out.mp4")));
    };
    // Raised to ten frames a second.
    const exporttest::Probe slow =
        exportOf("export_slow.mp4", exporttest::clipOf(0, 2, Aspect::square));
    EXPECT_EQ(slow.field("r_frame_rate"), "10/1");
    EXPECT_EQ(slow.field("nb_frames"), "20");

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
    ASSERT_EQ(before.size(), QSize(1280, 720));
    ASSERT_EQ(after.size(), QSize(1280, 720));
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

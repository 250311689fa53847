#include "common/testutil.h"
#include "export/exporter.h"
#include "export_support.h"

#include <QFileInfo>
#include <QImage>
#include <QTemporaryDir>
#include <cmath>
#include <gtest/gtest.h>

using namespace ClipExporter;
using exporttest::Outcome;

// Every file either engine writes must be the same kind of file, so each test
// runs once through the converter and once through the composition.
namespace {

enum class Engine { converter, composition };

struct OutputTest : ::testing::TestWithParam<Engine> {
    QTemporaryDir dir;

    QString exportOf(const QString& fixture, double in, double out, Aspect aspect, double zoom = 1,
                     double cx = 0.5, double cy = 0.5, int shortSide = 720)
    {
        auto job = std::make_shared<Job>();
        job->forceAVFoundation = GetParam() == Engine::composition;
        Clip c;
        c.name = QStringLiteral("Clip");
        c.inTime = in;
        c.outTime = out;
        c.aspect = aspect;
        c.zoom = zoom;
        c.centerX = cx;
        c.centerY = cy;
        static int n = 0;
        const QString path = dir.filePath(QStringLiteral("%1.mp4").arg(++n));
        const Outcome o = exporttest::outcome(
            exportClip(c, exporttest::media(fixture), {}, shortSide, path, job, {}));
        EXPECT_EQ(o.kind, Outcome::done) << o.message.toStdString();
        EXPECT_EQ(exporttest::engineOf(path),
                  GetParam() == Engine::composition ? "composition" : "converter");
        return path;
    }
};

double mean(const QByteArray& bytes)
{
    double sum = 0;
    for (const char b : bytes)
        sum += quint8(b);
    return bytes.isEmpty() ? -1 : sum / bytes.size();
}

// The luma plane of the frame `ffmpeg -ss t` gives (the first at or after t).
QByteArray ffmpegLuma(const QString& file, double t)
{
    const QByteArray yuv =
        testutil::run("ffmpeg", {"-v", "error", "-ss", QString::number(t), "-i", file, "-frames:v",
                                 "1", "-f", "rawvideo", "-pix_fmt", "yuv420p", "-"})
            .out;
    return yuv.left(yuv.size() * 2 / 3);
}

// The dominant colour of the pixel at the centre of a packed RGB picture.
QString centreColour(const QByteArray& rgb, int w, int h)
{
    const qsizetype at = (qsizetype(h / 2) * w + w / 2) * 3;
    if (at + 2 >= rgb.size())
        return QStringLiteral("none");
    const int r = quint8(rgb[at]), g = quint8(rgb[at + 1]), b = quint8(rgb[at + 2]);
    if (r > 200 && g > 200 && b > 200)
        return QStringLiteral("white");
    if (r > 200 && g < 80 && b < 80)
        return QStringLiteral("red");
    if (g > 150 && r < 80 && b < 80)
        return QStringLiteral("green");
    if (b > 200 && r < 80 && g < 80)
        return QStringLiteral("blue");
    return QStringLiteral("other");
}

}  // namespace

TEST_P(OutputTest, ClipWithSoundIsAPlayableUprightMp4OfTheRightSizeLengthAndSync)
{
    // In 0.48 is frame 12 exactly; Out 1.48 makes a one-second clip.
    const QString path = exportOf("export_counter.mp4", 0.48, 1.48, Aspect::vertical);
    const exporttest::Probe p = exporttest::probe(path);
    ASSERT_TRUE(p.video);
    const QJsonObject& v = *p.video;
    EXPECT_EQ(v["codec_name"].toString(), "h264");
    EXPECT_EQ(v["profile"].toString(), "High");
    EXPECT_EQ(v["pix_fmt"].toString(), "yuv420p");
    EXPECT_EQ(v["width"].toInt(), 720);
    EXPECT_EQ(v["height"].toInt(), 1280);
    EXPECT_EQ(v["sample_aspect_ratio"].toString(), "1:1");
    // The source's colour tags come through unchanged.
    EXPECT_EQ(v["color_space"].toString(), "bt709");
    EXPECT_EQ(v["color_primaries"].toString(), "bt709");
    EXPECT_EQ(v["color_transfer"].toString(), "bt709");
    EXPECT_EQ(v["color_range"].toString(), "tv");
    EXPECT_NEAR(p.duration(), 1.0, 0.04);
    // Every frame counts, the last one too.
    EXPECT_NEAR(v["duration"].toString().toDouble(), 1.0, 0.02);
    EXPECT_EQ(v["nb_frames"].toString(), "25");
    EXPECT_NEAR(v["start_time"].toString().toDouble(), 0, 1e-3);
    ASSERT_TRUE(p.audio);
    EXPECT_EQ(p.audio->value("codec_name").toString(), "aac");
    EXPECT_EQ(p.audio->value("channels").toInt(), 2);
    EXPECT_NEAR(p.audio->value("start_time").toString().toDouble(), 0, 1e-3);
    // The tone starts at 1 s in the source, which is 0.52 s into the clip.
    EXPECT_NEAR(exporttest::soundOnset(path), 0.52, 0.01);
    EXPECT_TRUE(exporttest::indexFirst(path));
}

TEST_P(OutputTest, FirstFrameIsTheFirstFrameAtOrAfterTheInPoint)
{
    // Frame n of the counters has luma 16 + 3n, at 25 and at 120 frames a
    // second; the composition writes the 120 fps one at 60, the converter
    // keeps its rate: either way the file starts with the frame that
    // `ffmpeg -ss` (and the player) shows at the In point.
    struct Case {
        const char* fixture;
        double in;
        int frame;
    };
    for (const Case c :
         {Case{"export_counter.mp4", 0.48, 12}, Case{"export_counter.mp4", 0.5, 13},
          Case{"export_counter.mp4", 0.0, 0}, Case{"export_counter120.mp4", 0.1, 12},
          Case{"export_counter120.mp4", 0.25, 30}, Case{"export_counter120.mp4", 0.3, 36},
          Case{"export_counter120.mp4", 0.45, 54}, Case{"export_counter120.mp4", 0.004, 1}}) {
        const QString path = exportOf(c.fixture, c.in, c.in + 0.25, Aspect::square);
        const double reference = mean(ffmpegLuma(testutil::fixture(c.fixture), c.in));
        EXPECT_NEAR(reference, 16 + 3 * c.frame, 1.2) << c.fixture << " In " << c.in;
        EXPECT_NEAR(mean(exporttest::firstLuma(path)), reference, 1.2)
            << c.fixture << " In " << c.in;
    }
}

TEST_P(OutputTest, SilentSourceGivesASilentFile)
{
    const exporttest::Probe p =
        exporttest::probe(exportOf("export_quad.mp4", 0, 0.5, Aspect::portrait));
    ASSERT_TRUE(p.video);
    EXPECT_EQ(p.video->value("width").toInt(), 720);
    EXPECT_EQ(p.video->value("height").toInt(), 900);
    EXPECT_FALSE(p.audio);
}

// A square frame at zoom 2 covers one quadrant of the 4:3 picture; whichever
// quadrant the centre points at is the colour that fills the export. Turned a
// quarter clockwise, the upright picture has its quadrants moved round.
TEST_P(OutputTest, CropShowsTheQuadrantAskedForOfAStoredAndAnUprightTurnedPicture)
{
    struct Case {
        const char* fixture;
        double cx, cy;
        const char* colour;
    };
    for (const Case c :
         {Case{"export_quad.mp4", 0.25, 0.25, "red"}, Case{"export_quad.mp4", 0.75, 0.25, "green"},
          Case{"export_quad.mp4", 0.25, 0.75, "blue"}, Case{"export_quad.mp4", 0.75, 0.75, "white"},
          Case{"export_quad_cw.mp4", 0.25, 0.25, "blue"},
          Case{"export_quad_cw.mp4", 0.75, 0.25, "red"},
          Case{"export_quad_cw.mp4", 0.25, 0.75, "white"},
          Case{"export_quad_cw.mp4", 0.75, 0.75, "green"}}) {
        const QString path = exportOf(c.fixture, 0, 0.2, Aspect::square, 2, c.cx, c.cy);
        EXPECT_EQ(centreColour(exporttest::firstRgb(path), 720, 720), c.colour)
            << c.fixture << " " << c.cx << "," << c.cy;
    }
}

INSTANTIATE_TEST_SUITE_P(Engines, OutputTest,
                         ::testing::Values(Engine::converter, Engine::composition),
                         [](const ::testing::TestParamInfo<Engine>& info) {
                             return info.param == Engine::converter ? "Converter" : "Composition";
                         });

// A clip of a fixture from 0 to `out`, written by the composition; its probe.
struct CompositionOutput : ::testing::Test {
    QTemporaryDir dir;
    QString path = dir.filePath("out.mp4");

    exporttest::Probe exportOf(const QString& fixture, double out, Aspect aspect)
    {
        auto job = std::make_shared<Job>();
        job->forceAVFoundation = true;
        Clip c;
        c.outTime = out;
        c.aspect = aspect;
        const Outcome o =
            exporttest::outcome(exportClip(c, exporttest::media(fixture), {}, 720, path, job, {}));
        EXPECT_EQ(o.kind, Outcome::done) << o.message.toStdString();
        return exporttest::probe(path);
    }
};

TEST_F(CompositionOutput, SlowSourceIsRaisedToTenFramesASecondAndUnusableSoundLeftOut)
{
    const exporttest::Probe slow = exportOf("export_slow.mp4", 2, Aspect::square);
    ASSERT_TRUE(slow.video);
    EXPECT_EQ(slow.video->value("r_frame_rate").toString(), "10/1");
    EXPECT_EQ(slow.video->value("nb_frames").toString(), "20");

    // 65 channels are more than the resampler takes: the clip goes out silent.
    const exporttest::Probe wide = exportOf("export_65ch.mkv", 1, Aspect::square);
    ASSERT_TRUE(wide.video);
    EXPECT_EQ(wide.video->value("nb_frames").toString(), "25");
    EXPECT_FALSE(wide.audio);
}

TEST_F(CompositionOutput, APictureThatChangesSizeIsFollowedAtTheSameOutputSize)
{
    // From the start (a transport stream seeks only roughly) past the switch
    // from 4:3 to 16:9: the wide frame covers the same middle of both parts,
    // undistorted, so the white square of the second stays square.
    const exporttest::Probe p = exportOf("export_size_change.ts", 1.6, Aspect::wide);
    ASSERT_TRUE(p.video);
    EXPECT_EQ(p.video->value("width").toInt(), 1280);
    EXPECT_EQ(p.video->value("height").toInt(), 720);
    EXPECT_EQ(p.video->value("nb_frames").toString(), "40");

    const QImage before = testutil::ffmpegFrame(path, 0.5);
    const QImage after = testutil::ffmpegFrame(path, 1.3);
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

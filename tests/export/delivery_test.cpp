#include "export/delivery.h"
#include "export_support.h"
#include "media/thumbnails.h"
#include "platform/asset.h"

#include <QImage>
#include <cstring>

using namespace ClipExporter;

TEST(Delivery, RatesAboveSixtyAreHalvedAndNominalRatesKept)
{
    struct Case {
        int num, den;
        bool variable;
        FrameRate out;
    };
    const Case cases[] = {
        {120, 1, false, {60, 1}},
        {100, 1, false, {50, 1}},
        {240, 1, false, {60, 1}},
        {90, 1, false, {45, 1}},
        {120000, 1001, false, {60000, 1001}},
        // A container's clock gives 59.94 as 5994/100 or a long fraction.
        {5994, 100, false, {60000, 1001}},
        {2997, 100, false, {30000, 1001}},
        {24000, 1001, false, {24000, 1001}},
        {25, 1, false, {25, 1}},
        {8, 1, false, {8, 1}},
        {25, 2, false, {25, 2}},
        // A phone's varying rate is its average, made whole.
        {880, 23, true, {38, 1}},
        {2950, 100, true, {30, 1}},
        {0, 1, false, {30, 1}},
        {1, 0, false, {30, 1}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(deliveryFrameRate(c.num, c.den, c.variable), c.out)
            << c.num << "/" << c.den << " gave "
            << deliveryFrameRate(c.num, c.den, c.variable).text().toStdString();
}

// The levels platforms expect at 1080 × 1920 (8,160 macroblocks): 4.0 holds
// 30 frames a second, 60 need 4.2; and what the sizes either side need.
TEST(Delivery, LevelFollowsSizeRateAndBitRate)
{
    const auto level = [](QSize size, FrameRate rate) {
        const long long b = fastBitRate(QSizeF(size), float(rate.value()));
        return h264Level(size, rate, b * 3 / 2, b * 2);
    };
    EXPECT_EQ(level({1080, 1920}, {30, 1}), "4");
    EXPECT_EQ(level({1080, 1920}, {24000, 1001}), "4");
    EXPECT_EQ(level({1080, 1920}, {60000, 1001}), "4.2");
    EXPECT_EQ(level({1080, 1920}, {50, 1}), "4.2");
    EXPECT_EQ(level({720, 1280}, {30, 1}), "3.1");
    EXPECT_EQ(level({2160, 3840}, {30, 1}), "5.1");
    EXPECT_EQ(level({2160, 3840}, {60, 1}), "5.2");
    // A peak rate beyond 4.0's 25 Mbit/s needs 4.1 at the same size and rate.
    EXPECT_EQ(h264Level({1080, 1920}, {30, 1}, 30000000, 30000000), "4.1");
    EXPECT_EQ(keyFrameInterval({30, 1}), 60);
    EXPECT_EQ(keyFrameInterval({24000, 1001}), 47);  // 48 would be 2.002 s
}

namespace {

// Lumas of every frame of a file's picture, one number a frame.
std::vector<int> frameLumas(const QString& path)
{
    const testutil::Run r =
        testutil::run("ffmpeg", {"-v", "error", "-i", path, "-map", "0:v:0", "-vf",
                                 "scale=1:1:flags=area,format=gray", "-f", "rawvideo", "-"});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    std::vector<int> lumas;
    for (const char y : r.out)
        lumas.push_back(static_cast<unsigned char>(y));
    return lumas;
}

// The times of the key frames, and whether any track carries an edit list.
struct Timing {
    std::vector<double> keyFrames;
    bool editList = false;
};

Timing timingOf(const QString& path)
{
    Timing t;
    const testutil::Run packets =
        testutil::run("ffprobe", {"-v", "error", "-select_streams", "v:0", "-show_entries",
                                  "packet=pts_time,flags", "-of", "csv=p=0", path});
    for (const QByteArray& line : packets.out.split('\n')) {
        const QList<QByteArray> f = line.split(',');
        if (f.size() >= 2 && f[1].startsWith('K'))
            t.keyFrames.push_back(f[0].toDouble());
    }
    std::sort(t.keyFrames.begin(), t.keyFrames.end());
    const testutil::Run trace = testutil::run("ffprobe", {"-v", "trace", path});
    t.editList = trace.err.contains("type:'elst'");
    return t;
}

struct DeliveryTest : exporttest::EngineTest {};

// What every platform's upload rules ask of the timing, checked on one file.
void expectPlatformTiming(const QString& path, const QString& rate, double length)
{
    const exporttest::Probe p = exporttest::probe(path);
    EXPECT_EQ(p.field("r_frame_rate"), rate);
    EXPECT_EQ(p.field("avg_frame_rate"), rate);
    EXPECT_EQ(p.field("profile"), "High");
    EXPECT_EQ(p.field("pix_fmt"), "yuv420p");
    EXPECT_NEAR(p.field("start_time").toDouble(), 0, 1e-6);
    EXPECT_NEAR(p.field("duration").toDouble(), length, 0.02);
    const double frame = 1 / (rate.section('/', 0, 0).toDouble() /
                              std::max(1.0, rate.section('/', 1, 1).toDouble()));
    if (p.audio) {
        EXPECT_NEAR(p.audio->value("start_time").toString().toDouble(), 0, 1e-6);
        EXPECT_NEAR(p.audio->value("duration").toString().toDouble(),
                    p.field("duration").toDouble(), frame);
    }
    const Timing t = timingOf(path);
    EXPECT_FALSE(t.editList);
    ASSERT_FALSE(t.keyFrames.empty());
    EXPECT_EQ(t.keyFrames.front(), 0);
    double last = 0;
    for (const double k : t.keyFrames) {
        EXPECT_LE(k - last, 2.0 + 1e-6) << "key frame at " << k;
        last = k;
    }
    EXPECT_LE(length - last, 2.0 + frame);
    EXPECT_TRUE(exporttest::indexFirst(path));
}

// The flash's frame and the tone's start, in seconds from the start of a file.
void expectFlashWithTone(const QString& path, double at, double frame)
{
    const std::vector<int> lumas = frameLumas(path);
    const auto flash = std::find_if(lumas.begin(), lumas.end(), [](int y) { return y > 128; });
    ASSERT_NE(flash, lumas.end());
    const double picture = double(flash - lumas.begin()) * frame;
    EXPECT_NEAR(picture, at, frame + 1e-6);
    EXPECT_NEAR(exporttest::soundOnset(path), picture, frame);
}

}  // namespace

// 120 frames a second leave at 60, every other frame kept, and a varying rate
// at a constant one; sound and picture stay together, start at 0 without edit
// lists and end together.
TEST_P(DeliveryTest, FastAndVaryingRatesLeaveConstantAndInSync)
{
    const struct {
        const char* fixture;
        double in, out;
        int shortSide;
        const char* rate;
        double flash;  // where the flash and its tone are in the clip
        int fps;
        const char* level;  // 720 × 1280 at 60; 1080 × 1920 above 30
    } cases[] = {{"export_flash120.mp4", 0.3, 1.8, 720, "60/1", 0.7, 60, "32"},
                 {"export_flash_vfr.mp4", 0.2, 2.2, 1080, "38/1", 1.3, 38, "42"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fixture);
        const QString path = exportOf(c.fixture, exporttest::clipOf(c.in, c.out), c.shortSide);
        expectPlatformTiming(path, c.rate, c.out - c.in);
        expectFlashWithTone(path, c.flash, 1.0 / c.fps);
        EXPECT_EQ(exporttest::probe(path).field("level"), c.level);
    }
}

// HDR comes out as SDR BT.709 looking as the usual tone mapping of the
// ffmpeg command line renders the same frame; SDR sources keep their colours
// whatever matrix and range they came in.
TEST_P(DeliveryTest, ColoursLeaveAsBt709LookingAsTheSource)
{
    struct Case {
        const char* fixture;
        QString reference;  // the filter the command line shows the same picture with
    };
    const QString toneMap = QStringLiteral(
        "zscale=t=linear:npl=100,format=gbrpf32le,zscale=p=bt709,tonemap=tonemap=hable:desat=0,"
        "zscale=t=bt709:m=bt709:r=tv,format=yuv420p,");
    const QString square = QStringLiteral("crop=180:180:70:0,scale=720:720:flags=bicubic");
    const QString squareSd = QStringLiteral("crop=240:240:40:0,scale=720:720:flags=bicubic");
    for (const Case& c :
         {Case{"export_hlg.mp4", toneMap + square}, Case{"export_pq.mp4", toneMap + square},
          Case{"export_sd_untagged.mp4", squareSd}, Case{"export_full_range.mp4", squareSd}}) {
        SCOPED_TRACE(c.fixture);
        const QString path = exportOf(c.fixture, exporttest::clipOf(0, 0.5, Aspect::square));
        const exporttest::Probe p = exporttest::probe(path);
        for (const char* key : {"color_primaries", "color_transfer", "color_space"})
            EXPECT_EQ(p.field(key), "bt709") << key;
        EXPECT_EQ(p.field("color_range"), "tv");
        const QImage reference =
            testutil::ffmpegFrame(testutil::fixture(c.fixture), 0.2, c.reference);
        const double difference = testutil::difference(testutil::ffmpegFrame(path, 0.2), reference);
        RecordProperty(c.fixture, std::to_string(difference));
        EXPECT_LT(difference, 4);
    }
}

// The filmstrip shows HDR as the viewer does, through the exports' tone
// mapping; straight through the scaler the picture is far from it.
TEST(Delivery, HdrFilmstripFramesAreToneMappedAsTheViewerShowsThem)
{
    for (const char* fixture : {"export_hlg.mp4", "export_pq.mp4"}) {
        SCOPED_TRACE(fixture);
        MWOpenedMedia media;
        media.asset = MWAsset::open(testutil::fixture(fixture));
        const QString toneMap = toneMapAfterScale(sourceColour(media));
        ASSERT_FALSE(toneMap.isEmpty());
        double difference[2] = {};
        for (const bool mapped : {true, false}) {
            const QList<Thumb> thumbs = MWMediaOpener::makeThumbnails(
                media.asset, 1.0, 1, 180, {}, {}, mapped ? toneMap : QString());
            ASSERT_EQ(thumbs.size(), 1);
            const QImage shown = thumbs[0].second.convertToFormat(QImage::Format_RGB32);
            // Tall enough a strip that the frame keeps its own size; the key
            // frame at 0 stands in for the one slice's middle.
            const QImage reference = testutil::ffmpegFrame(testutil::fixture(fixture), 0, toneMap);
            difference[mapped ? 0 : 1] = testutil::difference(shown, reference);
        }
        RecordProperty(fixture, std::to_string(difference[0]));
        EXPECT_LT(difference[0], 6.0);
        EXPECT_GT(difference[1], difference[0] + 3.0) << "not tone-mapped";
    }
}

CW_EACH_ENGINE(DeliveryTest);

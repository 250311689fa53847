#include "common/testutil.h"
#include "export/avexport.h"
#include "export/fastexport.h"
#include "export_support.h"
#include "model/cropmath.h"
#include "platform/composition.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace ClipExporter;
using exporttest::Outcome;

namespace {

MWOpenedMedia hd(bool audio, float fps = 30)
{
    MWOpenedMedia m;
    m.playable = QStringLiteral("/media/in put.mp4");
    m.duration = 60;
    m.hasVideo = true;
    m.hasAudio = audio;
    m.naturalSize = QSizeF(1920, 1080);
    m.nominalFrameRate = fps;
    return m;
}

QRectF centredVertical()
{
    return CropMath::cropFrame(Aspect::vertical, 1, 0.5, 0.5, QSizeF(1920, 1080), std::nullopt);
}

}  // namespace

TEST(FastArgs, VerticalAt1080FromAnHdSourceWithSound)
{
    // clang-format off
    const QStringList expected{
        "-hide_banner", "-nostdin", "-y", "-ss", "12.500", "-t", "28.750", "-i",
        "/media/in put.mp4", "-map", "0:v:0", "-map", "0:a:0?", "-vf",
        "crop=608:1080:656:0,scale=1080:1920:flags=bicubic,setsar=1,format=nv12",
        "-c:v", "h264_videotoolbox", "-allow_sw", "1", "-profile:v", "high",
        "-b:v", "9953280", "-maxrate", "14929920", "-bufsize", "19906560",
        "-c:a", "aac", "-b:a", "192k", "-ac", "2", "-movflags", "+faststart",
        "-f", "mp4", "/out/01 A (9x16).mp4"};
    // clang-format on
    EXPECT_EQ(fastArgs(hd(true), 12.5, 41.25, centredVertical(), QSizeF(1080, 1920),
                       "/out/01 A (9x16).mp4"),
              expected);
}

TEST(FastArgs, SilentSourceKeepsTheOptionalMapButNoAudioEncoder)
{
    const QStringList args =
        fastArgs(hd(false), 0, 2, centredVertical(), QSizeF(720, 1280), "/out/x.mp4");
    EXPECT_TRUE(args.contains("0:a:0?"));
    EXPECT_FALSE(args.contains("-c:a"));
    EXPECT_FALSE(args.contains("aac"));
    EXPECT_EQ(args.mid(args.size() - 5),
              (QStringList{"-movflags", "+faststart", "-f", "mp4", "/out/x.mp4"}));
}

TEST(FastArgs, BitRateFollowsSizeAndFrameRateWithAFloor)
{
    EXPECT_EQ(fastBitRate(QSizeF(1080, 1920), 30), 9953280);
    EXPECT_EQ(fastBitRate(QSizeF(720, 1280), 25), 4000000);     // 3686400 is under the floor
    EXPECT_EQ(fastBitRate(QSizeF(1080, 1920), 120), 19906560);  // counts as 60
    EXPECT_EQ(fastBitRate(QSizeF(1080, 1920), 0), 9953280);     // counts as 30
    EXPECT_EQ(fastBitRate(QSizeF(1080, 1920), 1), 9953280);
    EXPECT_EQ(fastBitRate(QSizeF(1080, 1920), 59.94f), (long long)(1080.0 * 1920 * 59.94f * 0.16));
}

TEST(FastArgs, FailureMessageIsTheLastTwoNonEmptyLines)
{
    EXPECT_EQ(lastTwoLines("a\n\nb\nc\n"), "b c");
    EXPECT_EQ(lastTwoLines("only\n"), "only");
    EXPECT_EQ(lastTwoLines(""), "");
}

TEST(CompositionFrameRate, RoundsAndClamps)
{
    // Halves round away from zero; no rate, or none worth a picture, is 30.
    const std::pair<float, int> cases[] = {{8, 10},
                                           {29.97f, 30},
                                           {23.976f, 24},
                                           {120, 60},
                                           {0, 30},
                                           {1, 30},
                                           {12.5f, 13},
                                           {std::numeric_limits<float>::infinity(), 60},
                                           {std::numeric_limits<float>::quiet_NaN(), 30}};
    for (const auto& [fps, rate] : cases)
        EXPECT_EQ(compositionFrameRate(fps), rate) << fps;
}

// Qt's y axis points down, so a positive rotation turns the picture clockwise.
TEST(CompositionOrientation, QuarterTurnsAndMirrors)
{
    // Stored rows become columns without turning: a mirror along the diagonal.
    const std::pair<QTransform, const char*> cases[] = {
        {QTransform(), ""},
        {QTransform().rotate(90), "transpose=clock"},
        {QTransform().rotate(-90), "transpose=cclock"},
        {QTransform().rotate(180), "hflip,vflip"},
        {QTransform(-1, 0, 0, 1, 320, 0), "hflip"},
        {QTransform(0, 1, 1, 0, 0, 0), "transpose=cclock_flip"}};
    for (const auto& [transform, filters] : cases)
        EXPECT_EQ(MWCompositionExport::orientationFilters(transform), filters) << filters;
}

namespace {

struct FastExportTest : ::testing::Test {
    QTemporaryDir dir;
    std::shared_ptr<Job> job = std::make_shared<Job>();
    std::vector<double> progress;
    MWOpenedMedia media = exporttest::media("export_quad.mp4");
    QString out = dir.filePath("out.mp4");
    bool cancelOnProgress = false;

    Outcome run(const QString& exe, double start = 0, double end = 2)
    {
        const QRectF crop = CropMath::cropFrame(Aspect::square, 1, 0.5, 0.5, media.naturalSize, {});
        return exporttest::outcome(
            fastExport(exe, media, start, end, crop, QSizeF(720, 720), out, job, [this](double f) {
                progress.push_back(f);
                if (cancelOnProgress)
                    job->cancel();
            }));
    }
};

}  // namespace

TEST_F(FastExportTest, FailuresCarryTheConvertersLastTwoLinesOrTheLaunchError)
{
    struct Case {
        QString exe;
        std::optional<QString> message;  // any non-empty one when not given
    };
    for (const Case& c : std::vector<Case>{
             {exporttest::fakeConverter(dir, "printf 'a\\n\\nb\\nc\\n' >&2; exit 1"), "b c"},
             {dir.filePath("missing-converter"), std::nullopt},
             // The shell reports the signal; the exit status alone would read 0.
             {exporttest::fakeConverter(dir, "echo dying >&2; kill -KILL $$"), "dying"}}) {
        const Outcome o = run(c.exe);
        EXPECT_EQ(o.kind, Outcome::failed) << c.exe.toStdString();
        if (c.message)
            EXPECT_EQ(o.message, *c.message);
        else
            EXPECT_FALSE(o.message.isEmpty());
    }
}

// Each printf is its own chunk only if the reader sees it before the next; a
// pause between them (by the converter, not the test) makes sure of that. A
// time before the start (the converter prints it with a leading minus) and a
// clock of nonsense are no progress.
TEST_F(FastExportTest, ProgressComesFromTheLastTimeOfEachChunkAndStaysWithinZeroAndJustBelowOne)
{
    const auto at = [](const char* clock) {
        return QStringLiteral("printf 'frame= 1 time=%1 bitrate=\\n' >&2; ").arg(clock);
    };
    const std::tuple<QString, double, std::vector<double>> cases[] = {
        {"printf 'frame= 1 time=00:00:00.20 x time=00:00:01.00 bitrate=\\n' >&2; sleep 0.3;" +
             at("00:00:09.00") + "sleep 0.3;",
         10,
         {0.5, 0.99}},
        {at("-00:00:01.00"), 0, {0.0}},
        {at("-01:00:00.00"), 0, {0.0}},
        {at("1e308:5:8"), 0, {0.0}}};
    for (const auto& [body, start, expected] : cases) {
        progress.clear();
        EXPECT_EQ(run(exporttest::fakeConverter(dir, body + ": > \"$out\""), start, start + 2).kind,
                  Outcome::done);
        EXPECT_EQ(progress, expected) << body.toStdString();
    }
}

TEST_F(FastExportTest, CancelTerminatesTheConverterAndIsNotAFailure)
{
    cancelOnProgress = true;
    const Outcome o = run(exporttest::fakeConverter(
        dir, "echo partial > \"$out\"; echo 'time=00:00:00.10' >&2; exec sleep 60"));
    EXPECT_EQ(o.kind, Outcome::cancelled);
    EXPECT_TRUE(job->cancelled());
}

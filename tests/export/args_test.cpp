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

TEST(FastArgs, ArgumentsBitRateAndFailureLines)
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

    const QStringList silent =
        fastArgs(hd(false), 0, 2, centredVertical(), QSizeF(720, 1280), "/out/x.mp4");
    EXPECT_TRUE(silent.contains("0:a:0?"));  // the optional map stays
    EXPECT_FALSE(silent.contains("-c:a"));

    // It follows size and frame rate, with a floor; no rate counts as 30, more
    // than 60 as 60.
    EXPECT_EQ(fastBitRate(QSizeF(720, 1280), 25), 4000000);  // 3686400 is under the floor
    EXPECT_EQ(fastBitRate(QSizeF(1080, 1920), 120), 19906560);
    EXPECT_EQ(fastBitRate(QSizeF(1080, 1920), 0), 9953280);
    EXPECT_EQ(fastBitRate(QSizeF(1080, 1920), 59.94f), (long long)(1080.0 * 1920 * 59.94f * 0.16));

    // The message of a failure is the last two lines that are not empty: the
    // FastExportTest's failures.
    EXPECT_EQ(lastTwoLines("only\n"), "only");
    EXPECT_EQ(lastTwoLines(""), "");
}

TEST(Composition, FrameRateRoundsAndClampsOrientationTurnsAndMirrors)
{
    // Halves round away from zero; no rate, or none worth a picture, is 30.
    const float inf = std::numeric_limits<float>::infinity(), nan = std::nanf("");
    const std::pair<float, int> cases[] = {{8, 10}, {29.97f, 30}, {120, 60}, {0, 30},
                                           {1, 30}, {12.5f, 13},  {inf, 60}, {nan, 30}};
    for (const auto& [fps, rate] : cases)
        EXPECT_EQ(compositionFrameRate(fps), rate) << fps;

    // Qt's y axis points down, so a positive rotation turns the picture clockwise.
    // Stored rows become columns without turning: a mirror along the diagonal.
    const std::pair<QTransform, const char*> turns[] = {
        {QTransform(), ""},
        {QTransform().rotate(90), "transpose=clock"},
        {QTransform().rotate(-90), "transpose=cclock"},
        {QTransform().rotate(180), "hflip,vflip"},
        {QTransform(-1, 0, 0, 1, 320, 0), "hflip"},
        {QTransform(0, 1, 1, 0, 0, 0), "transpose=cclock_flip"}};
    for (const auto& [transform, filters] : turns)
        EXPECT_EQ(MWCompositionExport::orientationFilters(transform), filters) << filters;
}

// A failure carries the converter's last two lines or the launch error.
// Progress comes from the last time of each chunk and stays within 0 and just
// below 1: each printf is its own chunk only if the reader sees it before the
// next (the converter, not the test, pauses between them); a time before the
// start (printed with a leading minus) is no progress; what else is no clock is
// the converter's ConverterOutput table, the same parser.
TEST(FastExport, FailuresAndProgress)
{
    QTemporaryDir dir;
    const MWOpenedMedia media = exporttest::media("export_quad.mp4");
    const QRectF crop = CropMath::cropFrame(Aspect::square, 1, 0.5, 0.5, media.naturalSize, {});
    std::vector<double> progress;
    const auto run = [&](const QString& exe, double start = 0) {
        progress.clear();
        return exporttest::outcome(fastExport(exe, media, start, start + 2, crop, QSizeF(720, 720),
                                              dir.filePath("out.mp4"), std::make_shared<Job>(),
                                              [&](double f) { progress.push_back(f); }));
    };
    const auto fake = [&](const QString& body) { return exporttest::fakeConverter(dir, body); };
    EXPECT_EQ(run(fake("printf 'a\\n\\nb\\nc\\n' >&2; exit 1")).message, "b c");
    // The shell reports the signal; the exit status alone would read 0.
    EXPECT_EQ(run(fake("echo dying >&2; kill -KILL $$")).message, "dying");
    EXPECT_FALSE(
        run(dir.filePath("missing-converter")).message.isEmpty());  // only failures have one

    const auto at = [](const char* clock) {
        return QStringLiteral("printf 'frame= 1 time=%1 bitrate=\\n' >&2; ").arg(clock);
    };
    const std::tuple<QString, double, std::vector<double>> cases[] = {
        {"printf 'frame= 1 time=00:00:00.20 x time=00:00:01.00 bitrate=\\n' >&2; sleep 0.3;" +
             at("00:00:09.00") + "sleep 0.3;",
         10,
         {0.5, 0.99}},
        {at("-01:00:00.00"), 0, {0.0}}};
    for (const auto& [body, start, expected] : cases) {
        EXPECT_EQ(run(fake(body + ": > \"$out\""), start).kind, Outcome::done);
        EXPECT_EQ(progress, expected) << body.toStdString();
    }
}

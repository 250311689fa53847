#include "common/testutil.h"
#include "export/avexport.h"
#include "export/fastexport.h"
#include "model/cropmath.h"
#include "platform/composition.h"

#include <gtest/gtest.h>

using namespace ClipExporter;

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

#include "platform/asset.h"

#include "common/testutil.h"
#include "model/mwerror.h"

#include <gtest/gtest.h>

using testutil::fixture;

// A transport stream starts its clock at 1.4 s; the duration still is the
// length of the media.
TEST(Asset, VideoFilesAndTheirDurationFromTheStartTime)
{
    const struct {
        const char* name;
        double duration, tolerance;
        bool startsLate;
    } files[] = {{"h264_aac.mp4", 4.0, 0.05, false}, {"mpeg.ts", 2.0, 0.1, true}};
    for (const auto& f : files) {
        SCOPED_TRACE(f.name);
        const auto a = MWAsset::open(fixture(f.name));
        EXPECT_TRUE(a->readable);
        EXPECT_TRUE(a->playable);
        EXPECT_TRUE(a->exportable);
        EXPECT_NEAR(a->duration, f.duration, f.tolerance);
        EXPECT_EQ(a->startTime > 0.5, f.startsLate);
        EXPECT_EQ(a->videoTracks, 1);
        EXPECT_EQ(a->audioTracks, 1);
        EXPECT_GE(a->videoStream, 0);
        EXPECT_GE(a->audioStream, 0);
        EXPECT_EQ(a->naturalSize, QSizeF(320, 240));
        EXPECT_TRUE(a->preferredTransform.isIdentity());
        EXPECT_FLOAT_EQ(a->nominalFrameRate, 25);
    }
    // Vorbis has no QuickTime sample entry.
    EXPECT_FALSE(MWAsset::open(fixture("matroska.mkv"))->exportable);
}

TEST(Asset, RotationMapsTheCodedPictureUpright)
{
    const auto a = MWAsset::open(fixture("rotated.mp4"));
    EXPECT_EQ(a->naturalSize, QSizeF(320, 240));
    const QRectF shown = a->preferredTransform.mapRect(QRectF(QPointF(0, 0), a->naturalSize));
    EXPECT_EQ(shown, QRectF(0, 0, 240, 320));
    // Turned a quarter clockwise: the coded top-left corner ends up top-right.
    EXPECT_EQ(a->preferredTransform.map(QPointF(0, 0)), QPointF(240, 0));
}

TEST(Asset, AudioOnlyFilesHaveNoVideoTrack)
{
    for (const char* name : {"audio.mp3", "audio.m4a"}) {
        SCOPED_TRACE(name);
        const auto a = MWAsset::open(fixture(name));
        EXPECT_TRUE(a->readable);
        EXPECT_TRUE(a->playable);
        EXPECT_EQ(a->videoTracks, 0);
        EXPECT_EQ(a->videoStream, -1);
        EXPECT_EQ(a->audioTracks, 1);
        EXPECT_TRUE(a->naturalSize.isEmpty());
        EXPECT_NEAR(a->duration, 2.0, 0.1);
    }
}

TEST(Asset, BrokenFiles)
{
    EXPECT_THROW(MWAsset::open(fixture("empty.mp4")), MWError);
    EXPECT_THROW(MWAsset::open(fixture("random.mp4")), MWError);
    EXPECT_THROW(MWAsset::open(QStringLiteral("/nonexistent/file.mp4")), MWError);
    // Cut before its index, an MP4 has nothing to open.
    EXPECT_THROW(MWAsset::open(fixture("truncated.mp4")), MWError);
}

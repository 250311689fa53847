#include "common/testutil.h"
#include "media/thumbnails.h"
#include "platform/asset.h"

#include <QCoroTask>
#include <atomic>
#include <gtest/gtest.h>

namespace {

QList<Thumb> thumbs(const QString& fixture, double duration, int count, double height = 90,
                    std::function<bool()> cancelled = {})
{
    const auto asset = MWAsset::open(testutil::fixture(fixture));
    return QCoro::waitFor(
        MWMediaOpener::thumbnails(asset, duration, count, height, std::move(cancelled)));
}

}  // namespace

TEST(Thumbnails, EvenlySpreadInTimeOrderInsideTheBoxUntilCancelled)
{
    const QList<Thumb> strip = thumbs("h264_aac.mp4", 4.0, 24);
    ASSERT_EQ(strip.size(), 24);
    for (int i = 0; i < strip.size(); ++i) {
        EXPECT_DOUBLE_EQ(strip[i].first, (i + 0.5) * 4.0 / 24);
        EXPECT_EQ(strip[i].second.size(), QSize(240, 180));  // 320×240 into 270×180
    }
    const QList<Thumb> one = thumbs("h264_aac.mp4", 4.0, 1);
    ASSERT_EQ(one.size(), 1);
    EXPECT_DOUBLE_EQ(one[0].first, 2.0);

    // Asked before each frame: the eleventh question ends the strip, and the
    // frames made so far are kept.
    std::atomic<int> asked = 0;
    const QList<Thumb> cut = thumbs("h264_aac.mp4", 4.0, 24, 90, [&asked] { return ++asked > 10; });
    ASSERT_EQ(cut.size(), 10);
    for (int i = 0; i < cut.size(); ++i)
        EXPECT_DOUBLE_EQ(cut[i].first, strip[i].first);
}

TEST(Thumbnails, PortraitComesOutUprightNoTallerThanTwoStrips)
{
    const QList<Thumb> strip = thumbs("frames_portrait.mp4", 2.0, 4, 60);
    ASSERT_EQ(strip.size(), 4);
    for (const Thumb& t : strip) {
        const QImage& image = t.second;
        EXPECT_EQ(image.size(), QSize(68, 120));
        EXPECT_GT(qGreen(image.pixel(5, 5)), 200);  // the green corner is top left
        EXPECT_GT(qBlue(image.pixel(34, 110)), 200);
    }
}

// Every source keeps 24 of them for the whole run: a fourth byte a pixel, never
// drawn, costs a megabyte per 16:9 source.
TEST(Thumbnails, ThreeBytesAPixelWideAndTurned)
{
    for (const auto& [fixture, duration] :
         {std::pair{"h264_aac.mp4", 4.0}, std::pair{"frames_portrait.mp4", 2.0}}) {
        const QList<Thumb> strip = thumbs(fixture, duration, 2);
        ASSERT_EQ(strip.size(), 2) << fixture;
        for (const Thumb& t : strip) {
            const QImage& image = t.second;
            const qsizetype row = (image.width() * 3 + 3) / 4 * 4;
            EXPECT_EQ(image.sizeInBytes(), row * image.height()) << fixture;
            EXPECT_FALSE(image.hasAlphaChannel()) << fixture;
        }
    }
}

TEST(Thumbnails, NothingToMakeIsAnEmptyStrip)
{
    EXPECT_TRUE(thumbs("h264_aac.mp4", 4.0, 0).isEmpty());
    EXPECT_TRUE(thumbs("h264_aac.mp4", 0.0, 24).isEmpty());
    EXPECT_TRUE(thumbs("h264_aac.mp4", -3.0, 24).isEmpty());
    EXPECT_TRUE(thumbs("frames_audio.m4a", 2.0, 24).isEmpty());
    // Without touching the asset at all.
    EXPECT_TRUE(QCoro::waitFor(MWMediaOpener::thumbnails(nullptr, 4.0, 0, 90)).isEmpty());
}

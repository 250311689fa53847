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

// Each frame is the middle of its slice of time, upright (which way up is the
// frame generator's test) and in the shape the player shows (pixels that are
// not square too), inside 1.5 strips by two.
// Three bytes a pixel: every source keeps 24 of them for the whole run, and a
// fourth byte, never drawn, costs a megabyte per 16:9 source.
TEST(Thumbnails, EvenlySpreadUprightInTheShownShapeUntilCancelled)
{
    // Fixture, its length, how many, strip height, and the size of each.
    const std::tuple<const char*, double, int, double, QSize> cases[] = {
        {"h264_aac.mp4", 4.0, 24, 90, {240, 180}},  // 320×240 into 270×180
        {"frames_portrait.mp4", 2.0, 4, 60, {68, 120}},
        // Quarter-size HDV: 480 × 360 at 4:3 is 640 × 360; turned, it stands upright.
        {"anamorphic_hdv.mp4", 1.0, 2, 90, {270, 152}},
        {"anamorphic_hdv_cw.mp4", 1.0, 2, 90, {101, 180}}};
    for (const auto& [fixture, duration, count, height, size] : cases) {
        SCOPED_TRACE(fixture);
        const QList<Thumb> strip = thumbs(fixture, duration, count, height);
        ASSERT_EQ(strip.size(), count);
        for (int i = 0; i < strip.size(); ++i) {
            EXPECT_DOUBLE_EQ(strip[i].first, (i + 0.5) * duration / count);
            EXPECT_EQ(strip[i].second.size(), size);
            EXPECT_EQ(strip[i].second.format(), QImage::Format_RGB888);
        }
    }
    // Asked before each frame: the eleventh question ends the strip.
    std::atomic<int> asked = 0;
    const QList<Thumb> cut = thumbs("h264_aac.mp4", 4.0, 24, 90, [&asked] { return ++asked > 10; });
    ASSERT_EQ(cut.size(), 10);
    EXPECT_DOUBLE_EQ(cut[9].first, 9.5 * 4.0 / 24);

    EXPECT_TRUE(thumbs("h264_aac.mp4", 4.0, 0).isEmpty());
    EXPECT_TRUE(thumbs("h264_aac.mp4", 0.0, 24).isEmpty());
    EXPECT_TRUE(thumbs("frames_audio.m4a", 2.0, 24).isEmpty());
    // Without touching the asset at all.
    EXPECT_TRUE(QCoro::waitFor(MWMediaOpener::thumbnails(nullptr, 4.0, 0, 90)).isEmpty());
}

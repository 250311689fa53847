#include "model/safezones.h"

#include <gtest/gtest.h>

using SafeZones::Band;

namespace {
bool coveredBy(const SafeZones::Margins& m, QPointF p)
{
    return p.x() < m.left || p.x() > 1 - m.right || p.y() < m.top || p.y() > 1 - m.bottom;
}
}  // namespace

// 9:16: each edge reaches as far in as the furthest platform (Reels' top and
// bottom, Shorts' right column, Reels' left edge), laid out as four bands
// that shade every covered point exactly once and nothing else.
TEST(SafeZones, VerticalBandsAreTheUnionOfThePlatformsEachPointShadedOnce)
{
    const QList<Band> bands = SafeZones::bands(Aspect::vertical);
    ASSERT_EQ(bands.size(), 4);
    // On a 1080 × 1920 upload the captions start at row 1248, the action
    // column at x 918: the TikTok figures in pixels lie inside.
    const QRectF upload(0, 0, 1080, 1920);
    EXPECT_NEAR(SafeZones::place(bands[1].rect, upload).top(), 1248, 1e-9);
    EXPECT_NEAR(SafeZones::place(bands[2].rect, upload).left(), 918, 1e-9);

    const QList<SafeZones::Platform> platforms = SafeZones::platforms(Aspect::vertical);
    ASSERT_EQ(platforms.size(), 3);
    const QRectF clear = SafeZones::clearArea(Aspect::vertical);
    for (int i = 0; i <= 100; ++i)
        for (int j = 0; j <= 100; ++j) {
            const QPointF p(i / 100.0 + 0.001, j / 100.0 + 0.001);
            if (p.x() >= 1 || p.y() >= 1)
                continue;
            bool any = false;
            for (const auto& platform : platforms)
                any |= coveredBy(platform.covers, p);
            int shaded = 0;
            for (const Band& b : bands)
                shaded += b.rect.contains(p);
            EXPECT_EQ(shaded, any ? 1 : 0) << p.x() << ", " << p.y();
            EXPECT_EQ(clear.contains(p), !any) << p.x() << ", " << p.y();
        }
}

// Feed posts show their caption under the picture and 16:9 plays in a player
// of its own: nothing is shaded and the whole frame is clear.
TEST(SafeZones, OtherShapesHaveNoBands)
{
    for (Aspect a : {Aspect::square, Aspect::portrait, Aspect::wide}) {
        EXPECT_TRUE(SafeZones::platforms(a).isEmpty()) << rawValue(a).toStdString();
        EXPECT_TRUE(SafeZones::bands(a).isEmpty()) << rawValue(a).toStdString();
        EXPECT_EQ(SafeZones::clearArea(a), QRectF(0, 0, 1, 1));
    }
}

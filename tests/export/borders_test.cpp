#include "common/testutil.h"
#include "export/borders.h"
#include "platform/asset.h"

#include <QCoroTask>
#include <gtest/gtest.h>

namespace {

std::optional<QRectF> detect(const QString& fixture, std::optional<QSizeF> size = {})
{
    const auto asset = MWAsset::open(testutil::fixture(fixture));
    return QCoro::waitFor(
        CWBorders::detect(asset, asset->duration, size.value_or(asset->naturalSize)));
}

// A grey frame: picture (128) everywhere but the given dark margins (0).
QImage framed(int w, int h, int top, int bottom, int left, int right)
{
    QImage image(w, h, QImage::Format_Grayscale8);
    image.fill(0);
    for (int y = top; y < h - bottom; ++y)
        for (int x = left; x < w - right; ++x)
            image.scanLine(y)[x] = 128;
    return image;
}

}  // namespace

TEST(Borders, DarkLinesFromEachEdgeThePictureRectangleAndDetection)
{
    EXPECT_EQ(CWBorders::edges(framed(100, 80, 10, 5, 3, 0)),
              (CWBorders::Edges{100, 80, 10, 5, 3, 0}));
    // All dark: each scan stops at the middle.
    EXPECT_EQ(CWBorders::edges(framed(101, 81, 81, 0, 0, 0)),
              (CWBorders::Edges{101, 81, 40, 40, 50, 50}));
    EXPECT_FALSE(CWBorders::edges(framed(7, 80, 0, 0, 0, 0)));  // a null image is no wider

    // Dark means a mean of at most 21 and no pixel of 60.
    QImage image = framed(100, 80, 10, 0, 0, 0);
    // Row 2: mean 21, brightest 59: still dark.
    for (int x = 0; x < 100; ++x)
        image.scanLine(2)[x] = x < 35 ? 59 : 1;  // 35 × 59 + 65 = 2130 → 21
    // Row 4: one pixel of 60 makes it picture (a logo in the bar).
    image.scanLine(4)[50] = 60;
    EXPECT_EQ(CWBorders::edges(image)->top, 4);
    image.scanLine(4)[50] = 0;
    // Row 6: mean 22 with no bright pixel is picture too.
    for (int x = 0; x < 100; ++x)
        image.scanLine(6)[x] = 22;
    EXPECT_EQ(CWBorders::edges(image)->top, 6);
    // Colour frames are judged in grey.
    const QImage colour = framed(40, 40, 30, 0, 0, 0).convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(CWBorders::edges(colour), (CWBorders::Edges{40, 40, 20, 0, 0, 0}));

    // The picture rectangle from the edges: thresholds, and even.
    const QSizeF size(320, 200);
    // 1 % is ignored, 2 % is cut with one line more; the far edge stays put.
    EXPECT_EQ(CWBorders::pictureRect({320, 200, 2, 4, 0, 0}, 7, size), QRectF(0, 0, 320, 194));
    EXPECT_FALSE(CWBorders::pictureRect({320, 200, 3, 3, 6, 6}, 7, size));
    // Too few frames read.
    EXPECT_FALSE(CWBorders::pictureRect({320, 200, 20, 20, 0, 0}, 2, size));
    EXPECT_TRUE(CWBorders::pictureRect({320, 200, 20, 20, 0, 0}, 3, size));
    // Scaled from a 480-pixel scan to the source (× 3): x 11 × 3 = 33 rounds up to
    // 34 with the right edge kept at 1407; y 10 × 3 = 30.
    EXPECT_EQ(CWBorders::pictureRect({480, 270, 9, 9, 10, 10}, 7, QSizeF(1440, 810)),
              QRectF(34, 30, 1372, 750));
    // Less than half left: a dark scene, not bars.
    EXPECT_FALSE(CWBorders::pictureRect({320, 240, 60, 60, 0, 0}, 7, QSizeF(320, 240)));

    // Detection on decoded frames; a logo in a bar and bars too thin to cut
    // are the cases above.
    const std::tuple<const char*, std::optional<QSizeF>, std::optional<QRectF>> cases[] = {
        {"bars_letterbox.mp4", {}, QRectF(0, 32, 320, 176)},
        {"bars_pillarbox.mp4", {}, QRectF(42, 0, 236, 180)},
        {"bars_night.mp4", {}, {}},
        // A source narrower than 16 pixels is not looked at, though its frames have bars.
        {"bars_sliver.mp4", QSizeF(15, 240), {}},
        {"frames_audio.m4a", QSizeF(320, 240), {}},
        // 4:3 pillarboxed in a 16:9 frame of pixels that are not square: the
        // bars are 45 pixels stored, 64 shown, and the rectangle is in shown
        // pixels, where the crop frame is placed.
        {"anamorphic_pillarbox.mp4", {}, QRectF(64, 0, 380, 288)}};
    for (const auto& [fixture, size, picture] : cases)
        EXPECT_EQ(detect(fixture, size), picture) << fixture;
    EXPECT_TRUE(detect("bars_sliver.mp4", QSizeF(16, 240)));
    EXPECT_FALSE(QCoro::waitFor(CWBorders::detect(nullptr, 0, QSizeF(320, 240))));
}

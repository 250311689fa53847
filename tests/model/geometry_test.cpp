#include "model/cropmath.h"
#include "model/trimmath.h"

#include "common/testutil.h"
#include <cmath>

#include <gtest/gtest.h>
#include <limits>

using TrimMath::Track;

TEST(Track, MapsBetweenInsetsAndPinsOutside)
{
    const Track t{100, 10, 60};
    EXPECT_DOUBLE_EQ(t.x(0), 10);
    EXPECT_DOUBLE_EQ(t.x(60), 90);
    EXPECT_DOUBLE_EQ(t.x(90), 90);
    EXPECT_DOUBLE_EQ(t.x(-5), 10);
    EXPECT_DOUBLE_EQ(t.time(50), 30);
    EXPECT_DOUBLE_EQ(t.time(0), 0);
    EXPECT_DOUBLE_EQ(t.time(200), 60);
    for (double s : {0.0, 7.25, 33.3, 60.0})
        EXPECT_NEAR(t.time(t.x(s)), s, 1e-9);
}

TEST(Track, DegenerateTracksStillMap)
{
    const Track narrow{15, 10, 60};  // usable length taken as 1
    EXPECT_DOUBLE_EQ(narrow.x(60), 11);
    EXPECT_DOUBLE_EQ(narrow.time(10.5), 30);
    const Track empty{100, 10, 0};
    EXPECT_DOUBLE_EQ(empty.x(5), 10);
    EXPECT_DOUBLE_EQ(empty.time(70), 0);
}

TEST(TrimMath, ClampOut)
{
    EXPECT_DOUBLE_EQ(TrimMath::clampOut(3, 5, 60), 5.5);
    EXPECT_DOUBLE_EQ(TrimMath::clampOut(100, 5, 60), 60);
    EXPECT_DOUBLE_EQ(TrimMath::clampOut(60, 59.8, 60), 60);
    EXPECT_DOUBLE_EQ(TrimMath::clampOut(0.1, 0, 0.3), 0.3);
    EXPECT_DOUBLE_EQ(TrimMath::clampOut(10, -4, 60), 10);
    EXPECT_DOUBLE_EQ(TrimMath::clampOut(10, 3, -1), 0);
}

namespace {
const QSizeF hd(1920, 1080);
}

TEST(CropFrame, CentredVerticalOnHd)
{
    const QRectF f = CropMath::cropFrame(Aspect::vertical, 1, 0.5, 0.5, hd, std::nullopt);
    EXPECT_DOUBLE_EQ(f.width(), 607.5);
    EXPECT_DOUBLE_EQ(f.height(), 1080);
    EXPECT_DOUBLE_EQ(f.x(), 656.25);
    EXPECT_DOUBLE_EQ(f.y(), 0);
    EXPECT_EQ(CropMath::pixelCrop(f, hd), (CropMath::PixelRect{608, 1080, 656, 0}));
}

TEST(CropFrame, SlidesToTheNearestEdge)
{
    EXPECT_DOUBLE_EQ(CropMath::cropFrame(Aspect::vertical, 1, 0, 0.5, hd, std::nullopt).x(), 0);
    EXPECT_DOUBLE_EQ(CropMath::cropFrame(Aspect::vertical, 1, 1, 0.5, hd, std::nullopt).x(),
                     1920 - 607.5);
    const QRectF far = CropMath::cropFrame(Aspect::square, 2, -3, 7, hd, std::nullopt);
    EXPECT_DOUBLE_EQ(far.x(), 0);
    EXPECT_DOUBLE_EQ(far.bottom(), 1080);
}

TEST(CropFrame, StaysInsideThePictureRectangle)
{
    const QRectF picture(0, 140, 1920, 800);
    for (double cy : {0.0, 0.5, 1.0}) {
        const QRectF f = CropMath::cropFrame(Aspect::square, 1, 0.5, cy, hd, picture);
        EXPECT_DOUBLE_EQ(f.width(), 800);
        EXPECT_DOUBLE_EQ(f.height(), 800);
        EXPECT_DOUBLE_EQ(f.y(), 140);
    }
    // The centre is a fraction of the full frame, not of the picture.
    const QRectF pillar(240, 0, 1440, 1080);
    const QRectF wide = CropMath::cropFrame(Aspect::wide, 2, 0.25, 0.5, hd, pillar);
    EXPECT_DOUBLE_EQ(wide.width(), 720);
    EXPECT_DOUBLE_EQ(wide.x(), 240);
}

TEST(CropFrame, ZoomIsClampedAndEmptyPicturesGiveNothing)
{
    const QRectF one = CropMath::cropFrame(Aspect::wide, 1, 0.5, 0.5, hd, std::nullopt);
    EXPECT_EQ(CropMath::cropFrame(Aspect::wide, 0.5, 0.5, 0.5, hd, std::nullopt), one);
    EXPECT_EQ(CropMath::cropFrame(Aspect::wide, std::nan(""), 0.5, 0.5, hd, std::nullopt), one);
    const QRectF ten = CropMath::cropFrame(Aspect::wide, 10, 0.5, 0.5, hd, std::nullopt);
    EXPECT_DOUBLE_EQ(ten.width(), 480);
    EXPECT_TRUE(
        CropMath::cropFrame(Aspect::wide, 1, 0.5, 0.5, hd, QRectF(2000, 0, 10, 10)).isNull());
    EXPECT_TRUE(
        CropMath::cropFrame(Aspect::wide, 1, 0.5, 0.5, QSizeF(0, 0), std::nullopt).isNull());
    // A tie takes full width.
    const QRectF tie =
        CropMath::cropFrame(Aspect::square, 1, 0.5, 0.5, QSizeF(500, 500), std::nullopt);
    EXPECT_EQ(tie, QRectF(0, 0, 500, 500));
}

TEST(PixelCrop, EvenSizesInsideTheSource)
{
    // Odd sizes drop to the even value below, never below 2, never past the source.
    EXPECT_EQ(CropMath::pixelCrop(QRectF(10.5, 3.49, 101, 0.4), QSizeF(640, 360)),
              (CropMath::PixelRect{100, 2, 11, 3}));
    EXPECT_EQ(CropMath::pixelCrop(QRectF(0, 5, 1921, 1081), QSizeF(1919.5, 1080.5)),
              (CropMath::PixelRect{1920, 1080, 0, 1}));
    EXPECT_EQ(CropMath::pixelCrop(QRectF(700, -4, 100, 100), QSizeF(640, 360)),
              (CropMath::PixelRect{100, 100, 540, 0}));
}

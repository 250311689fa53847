#include "model/cropmath.h"
#include "model/trimmath.h"

#include <cmath>
#include <gtest/gtest.h>

using TrimMath::Track;

TEST(TrimMath, TrackMapsBetweenInsetsAndPinsOutsideAndOutIsClamped)
{
    const Track t{100, 10, 60}, narrow{15, 10, 60} /* usable length taken as 1 */,
        empty{100, 10, 0};
    const std::tuple<Track, double, double> toX[] = {{t, 0, 10},  {t, 60, 90},      {t, 90, 90},
                                                     {t, -5, 10}, {narrow, 60, 11}, {empty, 5, 10}};
    for (const auto& [track, time, x] : toX)
        EXPECT_DOUBLE_EQ(track.x(time), x) << track.width << " " << time;
    const std::tuple<Track, double, double> toTime[] = {
        {t, 50, 30}, {t, 0, 0}, {t, 200, 60}, {narrow, 10.5, 30}, {empty, 70, 0}};
    for (const auto& [track, x, time] : toTime)
        EXPECT_DOUBLE_EQ(track.time(x), time) << track.width << " " << x;

    const double cases[][4] = {// out, in, duration: kept out
                               {3, 5, 60, 5.5},    {100, 5, 60, 60}, {60, 59.8, 60, 60},
                               {0.1, 0, 0.3, 0.3}, {10, -4, 60, 10}, {10, 3, -1, 0}};
    for (const auto& c : cases)
        EXPECT_DOUBLE_EQ(TrimMath::clampOut(c[0], c[1], c[2]), c[3]) << c[0] << " " << c[1];
}

namespace {
const QSizeF hd(1920, 1080);

QRectF frame(Aspect aspect, double zoom, double cx, double cy, QSizeF size = hd,
             std::optional<QRectF> picture = std::nullopt)
{
    return CropMath::cropFrame(aspect, zoom, cx, cy, size, picture);
}
}  // namespace

TEST(CropFrame, LargestFrameOfTheShapeSlidInsideThePictureInEvenPixels)
{
    const QRectF centred = frame(Aspect::vertical, 1, 0.5, 0.5);
    EXPECT_EQ(centred, QRectF(656.25, 0, 607.5, 1080));
    EXPECT_EQ(CropMath::pixelCrop(centred, hd), (CropMath::PixelRect{608, 1080, 656, 0}));
    // A centre too near an edge slides the frame to that edge (left and bottom below).
    EXPECT_DOUBLE_EQ(frame(Aspect::vertical, 1, 1, 0.5).x(), 1920 - 607.5);
    const QRectF far = frame(Aspect::square, 2, -3, 7);
    EXPECT_DOUBLE_EQ(far.x(), 0);
    EXPECT_DOUBLE_EQ(far.bottom(), 1080);

    for (double cy : {0.0, 0.5, 1.0})
        EXPECT_EQ(frame(Aspect::square, 1, 0.5, cy, hd, QRectF(0, 140, 1920, 800)),
                  QRectF(560, 140, 800, 800))
            << cy;
    // The centre is a fraction of the full frame, not of the picture.
    const QRectF wide = frame(Aspect::wide, 2, 0.25, 0.5, hd, QRectF(240, 0, 1440, 1080));
    EXPECT_DOUBLE_EQ(wide.width(), 720);
    EXPECT_DOUBLE_EQ(wide.x(), 240);

    // Zoom is clamped; empty pictures give nothing; a tie takes full width.
    const QRectF one = frame(Aspect::wide, 1, 0.5, 0.5);
    EXPECT_EQ(frame(Aspect::wide, 0.5, 0.5, 0.5), one);
    EXPECT_EQ(frame(Aspect::wide, std::nan(""), 0.5, 0.5), one);
    EXPECT_DOUBLE_EQ(frame(Aspect::wide, 10, 0.5, 0.5).width(), 480);
    EXPECT_TRUE(frame(Aspect::wide, 1, 0.5, 0.5, hd, QRectF(2000, 0, 10, 10)).isNull());
    EXPECT_TRUE(frame(Aspect::wide, 1, 0.5, 0.5, QSizeF(0, 0)).isNull());
    EXPECT_EQ(frame(Aspect::square, 1, 0.5, 0.5, QSizeF(500, 500)), QRectF(0, 0, 500, 500));

    // Odd sizes drop to the even value below, never below 2, never past the source.
    EXPECT_EQ(CropMath::pixelCrop(QRectF(10.5, 3.49, 101, 0.4), QSizeF(640, 360)),
              (CropMath::PixelRect{100, 2, 11, 3}));
    EXPECT_EQ(CropMath::pixelCrop(QRectF(0, 5, 1921, 1081), QSizeF(1919.5, 1080.5)),
              (CropMath::PixelRect{1920, 1080, 0, 1}));
    EXPECT_EQ(CropMath::pixelCrop(QRectF(700, -4, 100, 100), QSizeF(640, 360)),
              (CropMath::PixelRect{100, 100, 540, 0}));
}

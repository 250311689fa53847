#include "views/cropframe.h"

#include <gtest/gtest.h>

using CropFrame::Input;

namespace {
Input hd(Aspect aspect = Aspect::vertical, double zoom = 1)
{
    Input in;
    in.natural = QSizeF(1920, 1080);
    in.aspect = aspect;
    in.zoom = zoom;
    return in;
}
}  // namespace

TEST(CropFrameTest, DisplayFitsThePictureTheFrameMapsThroughTheScaleAndZoomIsClamped)
{
    EXPECT_EQ(CropFrame::displayRect({1920, 1080}, {1000, 1000}), QRectF(0, 218.75, 1000, 562.5));
    EXPECT_EQ(CropFrame::displayRect({1080, 1920}, {1000, 500}),
              QRectF((1000 - 281.25) / 2, 0, 281.25, 500));
    for (auto [natural, view] : {std::pair{QSizeF(0, 1080), QSizeF(800, 600)},
                                 {QSizeF(1920, 1080), QSizeF(800, 0)},
                                 {QSizeF(-1, 5), QSizeF(800, 600)}})
        EXPECT_EQ(CropFrame::displayRect(natural, view), QRectF());

    // 960 × 700 shows the picture at half size, 80 points down.
    const auto g = CropFrame::geometry(hd(), {960, 700});
    EXPECT_EQ(g.display, QRectF(0, 80, 960, 540));
    EXPECT_EQ(g.crop, QRectF(656.25, 0, 607.5, 1080));
    EXPECT_EQ(g.frame, QRectF(328.125, 80, 303.75, 540));

    // Zoom is clamped to one through four.
    for (auto [zoom, width] : {std::pair{0.5, 607.5}, {10.0, 151.875}, {std::nan(""), 607.5}}) {
        const auto z = CropFrame::geometry(hd(Aspect::vertical, zoom), {960, 540});
        EXPECT_DOUBLE_EQ(z.crop.width(), width) << zoom;
        EXPECT_DOUBLE_EQ(z.frame.width(), width / 2) << zoom;
    }

    // An empty display or region gives no frame.
    Input in = hd();
    EXPECT_FALSE(CropFrame::dragCentre(in, {}, {0.5, 0.5}, {10, 0}));
    in.picture = QRectF(3000, 0, 100, 100);  // outside the picture
    const auto empty = CropFrame::geometry(in, {960, 540});
    EXPECT_TRUE(empty.region.isEmpty());
    EXPECT_EQ(empty.frame, QRectF(0, 0, 0, 0));
    EXPECT_EQ(*CropFrame::dragCentre(in, empty.display, {0.5, 0.5}, {10, 0}), QPointF(0, 0));
}

TEST(CropFrameTest, DragFollowsThePointerAndBarsHoldTheFrameOnlyWhileTrimmed)
{
    struct Case {
        Aspect aspect;
        QRectF picture;
        bool trim;
        QPointF translation, centre;  // centre in pixels
    };
    const Case cases[] = {
        // Pillarboxed: the vertical frame stops at the bar, or at the outer edge.
        {Aspect::vertical, {240, 0, 1440, 1080}, true, {-5000, 0}, {240 + 303.75, 540}},
        {Aspect::vertical, {240, 0, 1440, 1080}, false, {-5000, 0}, {303.75, 540}},
        {Aspect::vertical, {240, 0, 1440, 1080}, true, {5000, 0}, {1680 - 303.75, 540}},
        // Letterboxed: the square is 800 high inside the bars and cannot move vertically.
        {Aspect::square, {0, 140, 1920, 800}, true, {-5000, 5000}, {400, 540}},
    };
    for (const Case& c : cases) {
        Input in = hd(c.aspect);
        in.picture = c.picture;
        in.trimBorders = c.trim;
        const auto g = CropFrame::geometry(in, {960, 540});
        const auto centre = CropFrame::dragCentre(in, g.display, {0.5, 0.5}, c.translation);
        ASSERT_TRUE(centre);
        EXPECT_DOUBLE_EQ(centre->x() * 1920, c.centre.x()) << c.trim;
        EXPECT_DOUBLE_EQ(centre->y() * 1080, c.centre.y()) << c.trim;
        in.centerX = centre->x();
        in.centerY = centre->y();
        const auto moved = CropFrame::geometry(in, {960, 540});
        EXPECT_TRUE(moved.region.contains(moved.crop));
    }

    // The frame moves with the pointer, then stops flush.
    const Input in = hd(Aspect::square, 2);  // a 540-pixel crop
    const auto before = CropFrame::geometry(in, {960, 700});
    // Every step is measured from the drag's start, so a pointer that wanders
    // and returns leaves the frame where the pointer says.
    for (QPointF t : {QPointF(37, -11), QPointF(-120.5, 60)}) {
        const auto centre = CropFrame::dragCentre(in, before.display, {0.5, 0.5}, t);
        Input moved = in;
        moved.centerX = centre->x();
        moved.centerY = centre->y();
        const auto after = CropFrame::geometry(moved, {960, 700});
        EXPECT_NEAR(after.frame.left() - before.frame.left(), t.x(), 1e-9);
        EXPECT_NEAR(after.frame.top() - before.frame.top(), t.y(), 1e-9);
    }
    // A drag of the displayed width is one picture width: from 0.2 it is past the edge.
    const auto right =
        CropFrame::dragCentre(in, before.display, {0.2, 0.5}, {before.display.width(), 0});
    EXPECT_DOUBLE_EQ(right->x(), (1920 - 270.0) / 1920);
}

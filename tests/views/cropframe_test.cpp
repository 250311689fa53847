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

void expectRect(const QRectF& got, const QRectF& want)
{
    EXPECT_NEAR(got.x(), want.x(), 1e-9);
    EXPECT_NEAR(got.y(), want.y(), 1e-9);
    EXPECT_NEAR(got.width(), want.width(), 1e-9);
    EXPECT_NEAR(got.height(), want.height(), 1e-9);
}
}  // namespace

TEST(CropFrameTest, DisplayFitsAndCentresThePictureAndTheFrameMapsThroughTheScale)
{
    expectRect(CropFrame::displayRect({1920, 1080}, {1000, 1000}), {0, 218.75, 1000, 562.5});
    expectRect(CropFrame::displayRect({1080, 1920}, {1000, 500}),
               {(1000 - 281.25) / 2, 0, 281.25, 500});
    for (auto [natural, view] : {std::pair{QSizeF(0, 1080), QSizeF(800, 600)},
                                 {QSizeF(1920, 1080), QSizeF(800, 0)},
                                 {QSizeF(-1, 5), QSizeF(800, 600)}})
        expectRect(CropFrame::displayRect(natural, view), {});

    // 960 × 700 shows the picture at half size, 80 points down.
    const auto g = CropFrame::geometry(hd(), {960, 700});
    expectRect(g.display, {0, 80, 960, 540});
    expectRect(g.crop, {656.25, 0, 607.5, 1080});
    expectRect(g.frame, {328.125, 80, 303.75, 540});
}

TEST(CropFrameTest, BarsHoldTheFrameOnlyWhileTrimmed)
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
        // Letterboxed: the square is 800 high inside the bars and cannot move
        // vertically; untrimmed it is 1080 high and fills the height.
        {Aspect::square, {0, 140, 1920, 800}, true, {-5000, 5000}, {400, 540}},
        {Aspect::square, {0, 140, 1920, 800}, false, {-5000, 5000}, {540, 540}},
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
}

TEST(CropFrameTest, ZoomIsClampedToOneThroughFour)
{
    for (auto [zoom, width] :
         {std::pair{0.5, 607.5}, {2.0, 303.75}, {10.0, 151.875}, {std::nan(""), 607.5}}) {
        const auto g = CropFrame::geometry(hd(Aspect::vertical, zoom), {960, 540});
        EXPECT_DOUBLE_EQ(g.crop.width(), width) << zoom;
        EXPECT_DOUBLE_EQ(g.frame.width(), width / 2) << zoom;
        EXPECT_DOUBLE_EQ(g.frame.center().x(), 480) << zoom;
    }
}

TEST(CropFrameTest, DragMovesTheFrameWithThePointerThenStopsFlushAtEitherSide)
{
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
    // A drag of the displayed width is one picture width: from 0.2 or 0.8 it is past the edge.
    const double w = before.display.width();
    const auto right = CropFrame::dragCentre(in, before.display, {0.2, 0.5}, {w, 0});
    EXPECT_DOUBLE_EQ(right->x(), (1920 - 270.0) / 1920);
    const auto left = CropFrame::dragCentre(in, before.display, {0.8, 0.5}, {-w, 0});
    EXPECT_DOUBLE_EQ(left->x(), 270.0 / 1920);
}

TEST(CropFrameTest, EmptyDisplayOrRegionGivesNoFrame)
{
    Input in = hd();
    EXPECT_FALSE(CropFrame::dragCentre(in, {}, {0.5, 0.5}, {10, 0}));
    in.picture = QRectF(3000, 0, 100, 100);  // outside the picture
    const auto g = CropFrame::geometry(in, {960, 540});
    EXPECT_TRUE(g.region.isEmpty());
    expectRect(g.crop, {});
    expectRect(g.frame, {0, 0, 0, 0});
    const auto centre = CropFrame::dragCentre(in, g.display, {0.5, 0.5}, {10, 0});
    EXPECT_EQ(*centre, QPointF(0, 0));
}

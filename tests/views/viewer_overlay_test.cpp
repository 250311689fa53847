#include "store/store_fixture_support.h"
#include "theme/mwui.h"
#include "views/cropframewidget.h"

#include <QTest>

namespace {
// The crop overlay alone (it draws no picture, so the offscreen platform
// serves), 960 × 540 over a 1920 × 1080 source: one point is two pixels.
class OverlayTest : public StoreTest {
protected:
    void SetUp() override
    {
        StoreTest::SetUp();
        source = addSource("/videos/wide.mp4", 120);
        store->select(source.id);
        overlay = std::make_unique<CWCropOverlay>(store.get());
        overlay->resize(960, 540);
        overlay->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(overlay.get()));
    }

    // A press, moves in steps of at most 4 points, and a release.
    void drag(QPointF from, QPointF by)
    {
        QTest::mousePress(overlay.get(), Qt::LeftButton, {}, from.toPoint());
        const int steps =
            std::max(1, int(std::ceil(std::max(std::abs(by.x()), std::abs(by.y())) / 4)));
        for (int i = 1; i <= steps; ++i)
            QTest::mouseMove(overlay.get(), (from + by * i / steps).toPoint());
        QTest::mouseRelease(overlay.get(), Qt::LeftButton, {}, (from + by).toPoint());
    }

    CWSource source;
    std::unique_ptr<CWCropOverlay> overlay;
};
}  // namespace

TEST_F(OverlayTest, DragMovesTheCentreByTheTranslationAndStopsAtTheEdge)
{
    const QPointF mid = overlay->geometry().frame.center();
    drag(mid, {96, 0});  // a tenth of the displayed width
    EXPECT_DOUBLE_EQ(store->centerX(), 0.6);
    EXPECT_DOUBLE_EQ(store->centerY(), 0.5);

    // Fully left: the frame's left edge on the picture's, centre half a frame in.
    drag(overlay->geometry().frame.center(), {-900, 0});
    EXPECT_DOUBLE_EQ(store->centerX(), 607.5 / 2 / 1920);
    EXPECT_DOUBLE_EQ(overlay->geometry().frame.left(), 0);
}

TEST_F(OverlayTest, SmallMovesAndPressesOutsideTheFrameLeaveItAlone)
{
    const QRectF frame = overlay->geometry().frame;
    drag(frame.center(), {6, 6});  // under the 10-point threshold
    EXPECT_EQ(store->centerX(), 0.5);
    drag({20, 270}, {200, 0});  // on the dimmed picture, not the frame
    EXPECT_EQ(store->centerX(), 0.5);
}

TEST_F(OverlayTest, DragWritesThroughToTheSelectedClipInsideTheBars)
{
    CWStoreTestAccess::setPicture(*store, source.id, QRectF(240, 0, 1440, 1080));
    const Clip clip{QUuid::createUuid(), source.id, "One", 0, 5, Aspect::vertical};
    CWStoreTestAccess::setClips(*store, {clip});
    store->selectClip(clip);
    drag(overlay->geometry().frame.center(), {-900, 0});
    EXPECT_DOUBLE_EQ(store->centerX(), (240 + 303.75) / 1920);
    EXPECT_DOUBLE_EQ(store->clips()[0].centerX, store->centerX());
}

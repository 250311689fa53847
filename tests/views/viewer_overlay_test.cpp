#include "views/cropframewidget.h"
#include "views/views_support.h"

namespace {
// The crop overlay alone (it draws no picture, so the offscreen platform
// serves), 960 × 540 over a 1920 × 1080 source: one point is two pixels.
class OverlayTest : public ViewTest<CWCropOverlay, 960, 540> {
protected:
    void prepare() override
    {
        const CWSource source = addSource("/videos/wide.mp4", 120);
        store->select(source.id);
        CWStoreTestAccess::setPicture(*store, source.id, QRectF(240, 0, 1440, 1080));
        const Clip clip = storetest::clipOf(source.id, "One", 0, 5, Aspect::vertical);
        CWStoreTestAccess::setClips(*store, {clip});
        store->selectClip(clip);
    }
    // A press, moves in eight steps, and a release: the frame follows the
    // pointer from the drag's start, whatever the steps.
    void drag(QPointF from, QPointF by)
    {
        QTest::mousePress(view.get(), Qt::LeftButton, {}, from.toPoint());
        for (int i = 1; i <= 8; ++i)
            QTest::mouseMove(view.get(), (from + by * i / 8).toPoint());
        QTest::mouseRelease(view.get(), Qt::LeftButton, {}, (from + by).toPoint());
    }
};
}  // namespace

// Where the frame stops is the crop frame's own test; here, that the overlay
// drags through it, inside the bars, and writes the selected clip.
TEST_F(OverlayTest, ADragOnTheFrameMovesItByTheTranslationAndWritesTheClip)
{
    const QPointF mid = view->geometry().frame.center();
    drag(mid, {6, 6});          // under the 10-point threshold
    drag({20, 270}, {200, 0});  // on the dimmed picture, not the frame
    EXPECT_EQ(store->centerX(), 0.5);
    drag(mid, {96, 0});  // a tenth of the displayed width
    EXPECT_DOUBLE_EQ(store->centerX(), 0.6);
    EXPECT_DOUBLE_EQ(store->centerY(), 0.5);
    drag(view->geometry().frame.center(), {-900, 0});
    EXPECT_DOUBLE_EQ(store->centerX(), (240 + 303.75) / 1920);
    EXPECT_DOUBLE_EQ(store->clips()[0].centerX, store->centerX());
}

// A release that never came (an alert opened mid-drag, a window switch): the
// drag ends with its button, hovering afterwards moves nothing, and the
// position reached is saved.
TEST_F(OverlayTest, ADragEndsWithItsButtonEvenWithoutARelease)
{
    CWStoreTestAccess::setRestoreStarted(*store, true);
    const auto hover = [&](QPointF at) {
        QMouseEvent move(QEvent::MouseMove, at, view->mapToGlobal(at), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(view.get(), &move);
    };
    const auto lostRelease = [&](const std::function<void(QPointF)>& interruption) {
        const QPointF at = view->geometry().frame.center();
        QTest::mousePress(view.get(), Qt::LeftButton, {}, at.toPoint());
        QTest::mouseMove(view.get(), (at + QPointF(48, 0)).toPoint());
        const double moved = store->centerX();
        interruption(at + QPointF(48, 0));
        hover(at + QPointF(200, 0));
        EXPECT_DOUBLE_EQ(store->centerX(), moved);
        EXPECT_DOUBLE_EQ(storetest::savedSession()->clips[0].centerX, moved);
    };
    lostRelease([&](QPointF at) { hover(at); });  // the button came up elsewhere
    EXPECT_GT(store->centerX(), 0.5);
    lostRelease([&](QPointF) {
        QEvent away(QEvent::WindowDeactivate);
        QApplication::sendEvent(view.get(), &away);
    });
    QTest::mouseRelease(view.get(), Qt::LeftButton);
}

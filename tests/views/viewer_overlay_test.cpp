#include "views/cropframewidget.h"
#include "views/views_support.h"

#include <QScopeGuard>
#include <cmath>

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
        QMouseEvent move(QEvent::MouseMove, at, view->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
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

namespace {
// The overlay as drawn over a white picture.
QImage over(const QWidget& view)
{
    QImage image(view.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    const_cast<QWidget&>(view).render(&image);
    return image;
}

int grey(const QImage& image, QPoint at)
{
    return qGray(image.pixel(at));
}
}  // namespace

// With the safe zones on, the 9:16 frame's covered bands are shaded and its
// clear middle is untouched, wherever the frame is and however large, at
// every interface zoom; the border, the shape label and the thirds grid stay
// drawn over the shading. The other shapes draw exactly as without.
TEST_F(OverlayTest, SafeZonesShadeTheCoveredBandsOfTheFrameOnly)
{
    const auto off = qScopeGuard([] { MWUI::shared()->setSafeZones(false); });
    const auto both = [&] {
        MWUI::shared()->setSafeZones(false);
        const QImage without = over(*view);
        MWUI::shared()->setSafeZones(true);
        return std::pair{without, over(*view)};
    };
    for (const double interfaceZoom : {1.0, 2.0})
        for (const auto& [zoom, centre] : {std::pair{1.0, 0.5}, {2.0, 0.3}}) {
            SCOPED_TRACE(testing::Message() << interfaceZoom << " " << zoom << " " << centre);
            MWUI::shared()->setZoom(interfaceZoom);
            store->setZoom(zoom);
            store->setCenterX(centre);
            const QRectF f = view->geometry().frame;
            const auto at = [&](double x, double y) {
                return QPointF(f.left() + x * f.width(), f.top() + y * f.height()).toPoint();
            };
            const auto [without, with] = both();
            for (const QPoint covered : {at(0.5, 0.8), at(0.93, 0.5), at(0.25, 0.07)})
                EXPECT_LT(grey(with, covered), grey(without, covered) - 60);
            EXPECT_EQ(with.pixel(at(0.45, 0.45)), without.pixel(at(0.45, 0.45)));
            const QPoint border(int(std::floor(f.right())) - 1, at(0, 0.5).y());
            EXPECT_EQ(with.pixel(border), without.pixel(border));
            const QPoint capsule(qRound(f.center().x()), qRound(f.top() + 14 * interfaceZoom));
            for (int dx = -3; dx <= 3; ++dx)
                EXPECT_EQ(with.pixel(capsule + QPoint(dx, 0)),
                          without.pixel(capsule + QPoint(dx, 0)));

            // The grid's line across the captions band shows through.
            const auto brightestNearLine = [&](const QImage& image) {
                const QPoint line = at(1.0 / 3, 0.8);
                int most = 0;
                for (int dx = -1; dx <= 1; ++dx)
                    most = std::max(most, grey(image, line + QPoint(dx, 0)));
                return most;
            };
            view->setGrid(false);
            const QImage plain = over(*view);
            view->setGrid(true);
            EXPECT_GT(brightestNearLine(with), brightestNearLine(plain) + 10);
        }
    for (Aspect shape : {Aspect::square, Aspect::portrait, Aspect::wide}) {
        store->setAspect(shape);
        const auto [without, with] = both();
        EXPECT_EQ(with, without) << rawValue(shape).toStdString();
    }
}

// A frame that moves (dragged, or following its points while the playhead
// runs) repaints where it was and where it is, not the whole dimmed picture.
TEST_F(OverlayTest, AMovedFrameRepaintsOnlyWhereItWasAndIs)
{
    PaintCount count;
    view->installEventFilter(&count);
    QApplication::processEvents();
    count.region = {};
    const QRectF before = view->geometry().frame;
    store->setCenterX(0.55);
    const QRectF after = view->geometry().frame;
    QApplication::processEvents();
    ASSERT_FALSE(count.region.isEmpty());
    const QRect bounds = count.region.boundingRect();
    EXPECT_TRUE(bounds.contains(before.united(after).toAlignedRect()));
    EXPECT_LT(bounds.width(), view->width() / 2);
}

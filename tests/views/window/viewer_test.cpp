#include "common/testutil.h"
#include "platform/playersurface.h"
#include "store/store_fixture_support.h"
#include "theme/buttons.h"
#include "theme/mwui.h"
#include "theme/switch.h"
#include "views/cropframewidget.h"
#include "views/viewer.h"

#include <QLabel>
#include <QLayout>
#include <QProgressBar>
#include <QTest>

namespace {
// The whole viewer, with its OpenGL surface, on a scripted player.
class ViewerTest : public StoreTest {
protected:
    void SetUp() override
    {
        StoreTest::SetUp();
        MWUI::shared()->resetZoom();
        viewer = std::make_unique<CWViewer>(store.get());
        viewer->resize(900, 600);
        viewer->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(viewer.get(), 30000));
    }

    std::unique_ptr<CWViewer> viewer;
};
}  // namespace

TEST_F(ViewerTest, WithoutASourceOnlyTheInvitationShows)
{
    EXPECT_TRUE(viewer->emptyState()->isVisible());
    EXPECT_FALSE(viewer->overlay()->isVisible());
    EXPECT_FALSE(viewer->surface()->isVisible());
    EXPECT_FALSE(viewer->progressCard()->isVisible());
    QTest::mouseClick(viewer->importButton(), Qt::LeftButton);
    EXPECT_EQ(services->panels.size(), 1);

    const CWSource s = addSource("/videos/wide.mp4", 60);
    store->select(s.id);
    EXPECT_FALSE(viewer->emptyState()->isVisible());
    EXPECT_TRUE(viewer->overlay()->isVisible());
}

TEST_F(ViewerTest, ProgressCardClampsOrSpins)
{
    struct Case {
        std::optional<double> progress;
        int minimum, maximum, value;
    };
    for (const Case& c : {Case{-0.4, 0, 1000, 0}, Case{1.7, 0, 1000, 1000},
                          Case{0.25, 0, 1000, 250}, Case{std::nullopt, 0, 0, -1}}) {
        CWStoreTestAccess::setStatus(*store, "Converting “a.ts”…", c.progress);
        ASSERT_TRUE(viewer->progressCard()->isVisible());
        EXPECT_EQ(viewer->busyLabel()->text(), "Converting “a.ts”…");
        EXPECT_EQ(viewer->progressBar()->minimum(), c.minimum);
        EXPECT_EQ(viewer->progressBar()->maximum(), c.maximum);
        if (c.value >= 0) {
            EXPECT_EQ(viewer->progressBar()->value(), c.value);
        }
    }
    // The card only tells: a press on it reaches the frame beneath, so the
    // frame of a video already on screen can be placed while it shows.
    const CWSource s = addSource("/videos/wide.mp4", 60);
    store->select(s.id);
    QWidget* stage = viewer->overlay()->parentWidget();
    const QPoint middle = viewer->progressCard()->geometry().center();
    EXPECT_EQ(stage->childAt(middle), viewer->overlay());
    CWStoreTestAccess::setStatus(*store, std::nullopt, std::nullopt);
    EXPECT_FALSE(viewer->progressCard()->isVisible());
}

TEST_F(ViewerTest, FrameDragOverTheSurfaceMovesTheSelectedClip)
{
    const CWSource s = addSource("/videos/wide.mp4", 60);
    store->select(s.id);
    const Clip clip{QUuid::createUuid(), s.id, "Interview", 0, 5, Aspect::square, 2};
    CWStoreTestAccess::setClips(*store, {clip});
    store->selectClip(clip);
    EXPECT_EQ(viewer->editingLabel()->text(), "Editing: Interview");
    EXPECT_TRUE(viewer->editingLabel()->isVisible());
    // A very long name is cut, it never widens the viewer past its window.
    store->rename(clip.id, QString(400, 'M'));
    QCoreApplication::processEvents();
    const QRect grid(viewer->gridSwitch()->mapTo(viewer.get(), QPoint(0, 0)),
                     viewer->gridSwitch()->size());
    EXPECT_TRUE(viewer->rect().contains(grid));
    EXPECT_EQ(viewer->width(), 900);
    EXPECT_LT(viewer->layout()->minimumSize().width(), 600);

    CWCropOverlay* overlay = viewer->overlay();
    const auto g = overlay->geometry();
    const QPoint from = g.frame.center().toPoint();
    const QPoint by(qRound(g.display.width() / 10), 0);
    QTest::mousePress(overlay, Qt::LeftButton, {}, from);
    for (int i = 1; i <= 8; ++i)
        QTest::mouseMove(overlay, from + by * i / 8);
    QTest::mouseRelease(overlay, Qt::LeftButton, {}, from + by);
    EXPECT_NEAR(store->centerX(), 0.5 + by.x() / g.display.width(), 1e-12);
    EXPECT_EQ(store->clips()[0].centerX, store->centerX());

    // The grid switch hides the guides only: the frame stays where it is.
    const QRectF frame = overlay->geometry().frame;
    QTest::mouseClick(viewer->gridSwitch(), Qt::LeftButton);
    EXPECT_FALSE(overlay->grid());
    EXPECT_EQ(overlay->geometry().frame, frame);
}

#include "platform/playersurface.h"
#include "theme/buttons.h"
#include "theme/switch.h"
#include "views/cropframewidget.h"
#include "views/viewer.h"
#include "views/views_support.h"

#include <QLabel>
#include <QLayout>
#include <QProgressBar>

// The whole viewer, with its OpenGL surface, on a scripted player.
using ViewerTest = ViewTest<CWViewer, 900, 600>;

TEST_F(ViewerTest, InvitationThenPictureAndAProgressCardThatClampsOrSpins)
{
    EXPECT_TRUE(view->emptyState()->isVisible());
    EXPECT_FALSE(view->overlay()->isVisible());
    EXPECT_FALSE(view->surface()->isVisible());
    EXPECT_FALSE(view->progressCard()->isVisible());
    click(view->importButton());
    EXPECT_EQ(services->panels.size(), 1);

    struct Case {
        std::optional<double> progress;
        int maximum, value;
    };
    for (const Case& c : {Case{-0.4, 1000, 0}, Case{1.7, 1000, 1000}, Case{0.25, 1000, 250},
                          Case{std::nullopt, 0, 0}}) {
        CWStoreTestAccess::setStatus(*store, "Converting “a.ts”…", c.progress);
        ASSERT_TRUE(view->progressCard()->isVisible());
        EXPECT_EQ(view->busyLabel()->text(), "Converting “a.ts”…");
        EXPECT_EQ(view->progressBar()->minimum(), 0);
        EXPECT_EQ(view->progressBar()->maximum(), c.maximum);
        if (c.maximum > 0) {
            EXPECT_EQ(view->progressBar()->value(), c.value);
        }
    }
    const CWSource s = addSource("/videos/wide.mp4", 60);
    store->select(s.id);
    EXPECT_FALSE(view->emptyState()->isVisible());
    EXPECT_TRUE(view->overlay()->isVisible());
    // The card only tells: a press on it reaches the frame beneath, so the
    // frame of a video already on screen can be placed while it shows.
    QWidget* stage = view->overlay()->parentWidget();
    EXPECT_EQ(stage->childAt(view->progressCard()->geometry().center()), view->overlay());
    CWStoreTestAccess::setStatus(*store, std::nullopt, std::nullopt);
    EXPECT_FALSE(view->progressCard()->isVisible());
}

TEST_F(ViewerTest, FrameDragOverTheSurfaceMovesTheSelectedClip)
{
    const CWSource s = addSource("/videos/wide.mp4", 60);
    store->select(s.id);
    const Clip clip{QUuid::createUuid(), s.id, "Interview", 0, 5, Aspect::square, 2};
    CWStoreTestAccess::setClips(*store, {clip});
    store->selectClip(clip);
    EXPECT_EQ(view->editingLabel()->text(), "Editing: Interview");
    EXPECT_TRUE(view->editingLabel()->isVisible());
    // A very long name is cut, it never widens the viewer past its window.
    store->rename(clip.id, QString(400, 'M'));
    QCoreApplication::processEvents();
    const QRect grid(view->gridSwitch()->mapTo(view.get(), QPoint(0, 0)),
                     view->gridSwitch()->size());
    EXPECT_TRUE(view->rect().contains(grid));
    EXPECT_EQ(view->width(), 900);
    EXPECT_LT(view->layout()->minimumSize().width(), 600);

    CWCropOverlay* overlay = view->overlay();
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
    click(view->gridSwitch());
    EXPECT_FALSE(overlay->grid());
    EXPECT_EQ(overlay->geometry().frame, frame);
}

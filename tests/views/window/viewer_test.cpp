#include "common/testutil.h"
#include "platform/asset.h"
#include "platform/mpvplayer.h"
#include "platform/playersurface.h"
#include "store/store_fixture_support.h"
#include "theme/buttons.h"
#include "theme/mwui.h"
#include "theme/panel.h"
#include "theme/switch.h"
#include "views/cropframewidget.h"
#include "views/rack.h"
#include "views/viewer.h"

#include <QDir>
#include <QLabel>
#include <QProgressBar>
#include <QTest>
#include <QVBoxLayout>

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

// Pictures of the viewer and the rack with a real source, for a person to
// look at: written only when CW_VIEW_SHOTS names a folder.
TEST(ViewerShots, TwoFinishesAtTwoZooms)
{
    const QString folder = qEnvironmentVariable("CW_VIEW_SHOTS");
    if (folder.isEmpty())
        GTEST_SKIP() << "set CW_VIEW_SHOTS to a folder to take the pictures";
    QDir().mkpath(folder);
    auto* player = new MWMpvPlayer({.video = true, .audio = false});
    CWStore store(player, new ScriptedServices);
    const CWSource s = CWStoreTestAccess::addFixtureSource(store, "frames_counter.mp4");
    store.select(s.id);
    const Clip one{QUuid::createUuid(), s.id, "Opening line", 0, 1.5, Aspect::vertical, 1, 0.3};
    const Clip two{
        QUuid::createUuid(), s.id, "A much longer name that will not fit the chip", 1, 3.2,
        Aspect::square,      1.5};
    const Clip three{QUuid::createUuid(), s.id, "Close", 3, 4, Aspect::wide};
    CWStoreTestAccess::setClips(store, {one, two, three});
    store.selectClip(two);

    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* viewer = new CWViewer(&store, &window);
    // The rack as the timeline panel holds it.
    auto* panel = new MWPanel(&window);
    auto* panelLayout = new QVBoxLayout(panel);
    panelLayout->addWidget(new CWRack(&store, panel));
    layout->addWidget(viewer, 1);
    layout->addWidget(panel);
    window.resize(900, 640);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window, 30000));
    for (const QString& id : {MWTheme::all()[0].id, MWTheme::all()[3].id}) {
        for (double zoom : {1.0, 1.5}) {
            MWUI::shared()->setTheme(MWTheme::named(id));
            MWUI::shared()->setZoom(zoom);
            bool drawn = false;
            QObject::connect(viewer->surface(), &MWPlayerSurface::frameRendered,
                             [&] { drawn = true; });
            store.seek(1.0);
            testutil::waitUntil([&] { return drawn; }, 10000);
            QTest::qWait(0);
            const QString name = QString("%1/%2-%3").arg(folder, id).arg(qRound(zoom * 100));
            window.grab().save(name + "-window.png");
        }
        CWStoreTestAccess::setStatus(store, "Converting “talk.ts”…", 0.4);
        window.grab().save(QString("%1/%2-busy.png").arg(folder, id));
        CWStoreTestAccess::setStatus(store, std::nullopt, std::nullopt);
    }
    CWStore empty(new ScriptedPlayer, new ScriptedServices);
    CWViewer invitation(&empty);
    invitation.resize(900, 560);
    invitation.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&invitation, 30000));
    invitation.grab().save(folder + "/empty.png");
    MWUI::shared()->resetZoom();
    MWUI::shared()->setTheme(MWTheme::all()[0]);
}

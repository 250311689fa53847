#include "platform/mpvplayer.h"
#include "platform/playersurface.h"
#include "theme/buttons.h"
#include "theme/panel.h"
#include "theme/switch.h"
#include "views/cropframewidget.h"
#include "views/rack.h"
#include "views/viewer.h"
#include "views/views_support.h"

#include <QDir>
#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

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

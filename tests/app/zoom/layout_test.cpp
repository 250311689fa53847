// The window at every zoom people use for bigger type, on the two screens met
// most: the X server of this test has a 1920 × 1080 screen (the first) and a
// 1440 × 900 one.
#include "app/window_fixture_support.h"
#include "common/layoutcheck.h"
#include "theme/mwui.h"
#include "views/header.h"
#include "views/inspector.h"
#include "views/timeline.h"
#include "views/viewer.h"

#include <QLabel>
#include <QMenuBar>
#include <QScreen>

namespace {

const QList<double> steps{1.25, 1.5, 1.75, 2.0};

// Lets every posted layout pass run, as the event loop would before a paint.
void settle()
{
    for (int i = 0; i < 4; ++i) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }
}

class ZoomLayoutTest : public WindowTest {
protected:
    void SetUp() override
    {
        MWUI::shared()->setZoom(startZoom);
        WindowTest::SetUp();
    }
    void TearDown() override
    {
        WindowTest::TearDown();
        MWUI::shared()->resetZoom();
    }

    QScreen* screenOf(int width)
    {
        for (QScreen* s : QGuiApplication::screens())
            if (s->geometry().width() == width)
                return s;
        ADD_FAILURE() << "no screen " << width << " wide";
        return QGuiApplication::primaryScreen();
    }

    // The header, viewer, inspector, timeline and status line as a reader
    // would see them.
    QStringList faults() const
    {
        QStringList all;
        const QList<const QWidget*> parts{main()->header(), main()->viewer(), main()->inspector(),
                                          main()->timeline(), main()->status()->parentWidget()};
        for (const QWidget* part : parts)
            all << testutil::layoutFaults(part);
        return all;
    }

    // From the usual window at launch, grown for zoom on screen; then nothing
    // overlaps or is cut, and the window stays on its screen.
    void checkEveryStep(QScreen* screen, const char* state)
    {
        const QRect free = screen->availableGeometry();
        for (const double zoom : steps) {
            SCOPED_TRACE(testing::Message() << state << " at " << zoom * 100 << " % on "
                                            << free.width() << "×" << free.height());
            MWUI::shared()->setZoom(zoom);
            settle();
            const int menu = window->menuBar()->sizeHint().height();
            window->resize(1440, 900 + menu);
            window->growToZoom();
            settle();
            EXPECT_EQ(window->width(), std::min(qRound(1440 * zoom), free.width()));
            EXPECT_EQ(window->height(),
                      std::max(900 + menu, std::min(qRound(900 * zoom) + menu, free.height())));
            EXPECT_EQ(faults(), QStringList());
        }
    }

    // Every state of the views whose texts differ: empty, a clip of a long
    // name being edited, and a conversion under way.
    void checkEveryState(QScreen* screen)
    {
        window->setScreen(screen);
        showWindow();
        checkEveryStep(screen, "empty");
        const CWSource s =
            addSource("/videos/Family reunion at the lake house, summer 2024.mp4", 60);
        const Clip clip = storetest::clipOf(
            s.id, "Family reunion at the lake house, summer 2024 – clip 1", 4, 12);
        CWStoreTestAccess::setClips(*store, {clip});
        store->selectClip(clip);
        checkEveryStep(screen, "editing");
        CWStoreTestAccess::setStatus(
            *store,
            QStringLiteral("Converting “Family reunion at the lake house, summer 2024.ts”…"), 0.4);
        checkEveryStep(screen, "busy");
    }

    double startZoom = 1.0;
};

class ZoomLaunchTest : public ZoomLayoutTest {
protected:
    void SetUp() override
    {
        startZoom = 1.5;
        ZoomLayoutTest::SetUp();
    }
};

}  // namespace

TEST_F(ZoomLayoutTest, NothingOverlapsOrIsCutOnAWideScreen)
{
    checkEveryState(screenOf(1920));
}

TEST_F(ZoomLayoutTest, NothingOverlapsOrIsCutOnASmallScreen)
{
    checkEveryState(screenOf(1440));
}

// A window already larger than the zoom needs, or a smaller zoom, keeps the
// size the user gave it.
TEST_F(ZoomLaunchTest, OpensGrownForTheRememberedZoomAndNeverShrinks)
{
    const QRect free = QGuiApplication::primaryScreen()->availableGeometry();
    ASSERT_EQ(free.size(), QSize(1920, 1080));
    EXPECT_EQ(window->size(), free.size());
    showWindow();
    MWUI::shared()->setZoom(1.25);
    settle();
    EXPECT_EQ(window->size(), free.size());

    window->resize(1500, 950);
    MWUI::shared()->setZoom(1.75);
    settle();
    EXPECT_EQ(window->size(), free.size());
    // Grown to the right and down, then moved back inside the screen.
    EXPECT_TRUE(free.contains(window->frameGeometry())) << window->frameGeometry().x();
}

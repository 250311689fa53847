#include "common/layoutcheck.h"
#include "theme/buttons.h"
#include "theme/switch.h"
#include "views/cropframewidget.h"
#include "views/viewer.h"
#include "views/views_support.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QScopeGuard>
#include <QSettings>

#include <QLabel>
#include <QLayout>
#include <QProgressBar>

// The whole viewer, with its OpenGL surface, on a scripted player. The
// frame's drag is the overlay's own test: presses reach it the same way here.
using ViewerTest = ViewTest<CWViewer, 900, 600>;

// "Thirds grid" keeps its place at the header's right edge when a clip is
// selected, "Safe zones" sits after the clip's name, and each takes only its
// own clicks. Safe zones starts from the preference (off until chosen), keeps
// the choice for the next launch, follows a change made elsewhere, is a check
// box a reader can toggle, and each change repaints the frame.
TEST_F(ViewerTest, InvitationProgressCardTheEditedClipAndTheSwitches)
{
    const auto off = qScopeGuard([] { MWUI::shared()->setSafeZones(false); });
    MWSwitch* safe = view->safeZonesSwitch();
    MWSwitch* grid = view->gridSwitch();
    QCoreApplication::processEvents();
    const QRect alone = grid->geometry();
    EXPECT_FALSE(safe->isOn());
    EXPECT_TRUE(view->emptyState()->isVisible());
    EXPECT_FALSE(view->overlay()->isVisible());
    EXPECT_FALSE(view->progressCard()->isVisible());
    click(view->importButton());
    EXPECT_EQ(services->panels.size(), 1);

    using Card = std::tuple<std::optional<double>, int, int>;  // progress, maximum, value
    for (auto [progress, maximum, value] : {Card{-0.4, 1000, 0}, Card{1.7, 1000, 1000},
                                            Card{0.25, 1000, 250}, Card{std::nullopt, 0, 0}}) {
        CWStoreTestAccess::setStatus(*store, "Converting “a.ts”…", progress);
        ASSERT_TRUE(view->progressCard()->isVisible());
        EXPECT_EQ(view->busyLabel()->text(), "Converting “a.ts”…");
        EXPECT_EQ(view->progressBar()->maximum(), maximum);
        if (maximum > 0) {
            EXPECT_EQ(view->progressBar()->value(), value);
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

    const Clip clip{QUuid::createUuid(), s.id, "Interview", 0, 5, Aspect::vertical, 2};
    CWStoreTestAccess::setClips(*store, {clip});
    store->selectClip(clip);
    QCoreApplication::processEvents();
    EXPECT_EQ(view->editingLabel()->text(), "Editing: Interview");
    ASSERT_TRUE(view->editingLabel()->isVisible());
    EXPECT_EQ(grid->geometry(), alone);
    EXPECT_LT(view->editingLabel()->mapTo(view.get(), QPoint(view->editingLabel()->width(), 0)).x(),
              safe->mapTo(view.get(), QPoint()).x());

    // A press in the gap between the two flips neither.
    const QPoint beside = grid->mapTo(view.get(), QPoint(-4, grid->height() / 2));
    ASSERT_GT(beside.x(), safe->geometry().right());
    click(view.get(), beside);
    EXPECT_TRUE(grid->isOn());
    EXPECT_FALSE(safe->isOn());

    const QImage plain = view->overlay()->grab().toImage();
    click(safe);
    EXPECT_TRUE(MWUI::shared()->safeZones());
    EXPECT_TRUE(QSettings("Marrowick", "Cutwright").value("mwso.ui.safeZones").toBool());
    EXPECT_TRUE(grid->isOn());
    EXPECT_NE(view->overlay()->grab().toImage(), plain);
    // A second viewer (the next launch's) starts with it on.
    EXPECT_TRUE(CWViewer(store.get()).safeZonesSwitch()->isOn());

    MWUI::shared()->setSafeZones(false);
    EXPECT_FALSE(safe->isOn());
    EXPECT_EQ(view->overlay()->grab().toImage(), plain);

    QAccessibleInterface* box = QAccessible::queryAccessibleInterface(safe);
    EXPECT_EQ(box->role(), QAccessible::CheckBox);
    EXPECT_EQ(box->text(QAccessible::Name), "Safe zones");
    EXPECT_FALSE(box->state().checked);
    box->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
    EXPECT_TRUE(box->state().checked);
    EXPECT_TRUE(MWUI::shared()->safeZones());

    // A very long name is cut, it never widens the viewer past its window.
    store->rename(clip.id, QString(400, 'M'));
    QCoreApplication::processEvents();
    EXPECT_TRUE(view->rect().contains(QRect(grid->mapTo(view.get(), QPoint(0, 0)), grid->size())));
    EXPECT_LT(view->layout()->minimumSize().width(), 600);

    // The grid switch (here by its title) hides the guides only: the frame
    // stays where it is.
    const QRectF frame = view->overlay()->geometry().frame;
    click(grid, QPointF(grid->width() - 3, grid->height() / 2.0));
    EXPECT_FALSE(grid->isOn());
    EXPECT_FALSE(view->overlay()->grid());
    EXPECT_EQ(view->overlay()->geometry().frame, frame);
}

// A viewer too narrow for the two switches side by side stacks them, both
// whole and inside; with room again they are a row ending at the right edge.
TEST_F(ViewerTest, NarrowViewerStacksTheSwitchesWithTheirTitles)
{
    MWSwitch* safe = view->safeZonesSwitch();
    MWSwitch* grid = view->gridSwitch();
    const auto where = [&](QWidget* w) { return QRect(w->mapTo(view.get(), QPoint()), w->size()); };
    const int row = safe->sizeHint().width() + grid->sizeHint().width();
    for (const int width : {row - 20, row + 200, 900}) {
        SCOPED_TRACE(width);
        view->resize(width, 600);
        for (int i = 0; i < 3; ++i)
            QCoreApplication::processEvents();
        const bool stacked = width < row + 60;
        EXPECT_EQ(view->width(), width);
        EXPECT_EQ(safe->size(), safe->sizeHint());
        EXPECT_EQ(grid->size(), grid->sizeHint());
        EXPECT_TRUE(view->contentsRect().contains(where(safe)));
        EXPECT_TRUE(view->contentsRect().contains(where(grid)));
        EXPECT_FALSE(where(safe).intersects(where(grid)));
        EXPECT_EQ(where(safe).bottom() < where(grid).top(), stacked);
        // Side by side the grid keeps the edge, the header's gap before it;
        // stacked, the tracks line up.
        if (stacked) {
            EXPECT_EQ(where(safe).left(), where(grid).left());
            EXPECT_EQ(std::max(where(safe).right(), where(grid).right()),
                      view->contentsRect().right());
        } else {
            EXPECT_EQ(where(safe).right() + 1 + qRound(6 * MWUI::shared()->zoom()),
                      where(grid).left());
            EXPECT_EQ(where(grid).right(), view->contentsRect().right());
        }
        EXPECT_EQ(testutil::layoutFaults(view.get()), QStringList());
    }
}

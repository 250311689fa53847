#include "help/helpwindow.h"

#include "help/helpnavigation.h"
#include "help/helpview.h"
#include "theme/mwui.h"
#include "theme/root.h"

#include <QApplication>
#include <QPointer>
#include <QScreen>
#include <QVBoxLayout>
#include <QWidget>
#include <algorithm>
#include <optional>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr QSize kSize(900, 640);
constexpr QSize kMinimum(640, 420);

struct State {
    QString appName = u"MWSO Cutwright"_s;
    std::optional<QList<HelpPage>> pages;
    QPointer<QWidget> window;
    QPointer<MWHelpView> view;
};

State& state()
{
    static State s;
    return s;
}

void centre(QWidget* window)
{
    const QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    QRect frame = window->frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    window->move(frame.topLeft());
}

// The window is drawn for 900 × 640 at 100 %: it grows toward that size at the
// zoom, as far as the screen's free area allows, and stays inside that area.
void growToZoom(QWidget* window)
{
    const QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen || window->isMaximized() || window->isFullScreen())
        return;
    const QRect free = screen->availableGeometry();
    const QRect outer = window->frameGeometry();
    const QSize frame = outer.size() - window->size();
    const double zoom = MWUI::shared()->zoom();
    const QSize natural(qRound(kSize.width() * zoom), qRound(kSize.height() * zoom));
    const QSize wanted = window->size().expandedTo(natural.boundedTo(free.size() - frame));
    if (wanted == window->size())
        return;
    window->resize(wanted);
    QRect placed(outer.topLeft(), wanted + frame);
    placed.moveRight(std::min(placed.right(), free.right()));
    placed.moveBottom(std::min(placed.bottom(), free.bottom()));
    placed.moveLeft(std::max(placed.left(), free.left()));
    placed.moveTop(std::max(placed.top(), free.top()));
    window->move(placed.topLeft());
}

QWidget* makeWindow()
{
    // Top level and never deleted on close: closing only hides it.
    auto* window = new QWidget(nullptr, Qt::Window);
    window->setWindowTitle(state().appName + u" Help"_s);
    window->setMinimumSize(kMinimum);
    window->resize(kSize);
    auto* frame = new QVBoxLayout(window);
    frame->setContentsMargins(0, 0, 0, 0);
    frame->setSpacing(0);
    // The layout must not grow the window to its content's size; the content scrolls.
    frame->setSizeConstraint(QLayout::SetNoConstraint);
    mwsoRoot(window);
    growToZoom(window);
    centre(window);
    // Bigger type needs a bigger window; a smaller zoom leaves the user's size.
    QObject::connect(MWUI::shared(), &MWUI::zoomChanged, window,
                     [window, last = MWUI::shared()->zoom()](double zoom) mutable {
                         if (zoom > last)
                             growToZoom(window);
                         last = zoom;
                     });
    return window;
}

}  // namespace

QString MWHelpWindow::appName()
{
    return state().appName;
}

void MWHelpWindow::setAppName(const QString& name)
{
    state().appName = name;
}

QList<HelpPage> MWHelpWindow::pages()
{
    return state().pages ? *state().pages : MWHelp::catalogue(state().appName);
}

void MWHelpWindow::setPages(const QList<HelpPage>& pages)
{
    state().pages = pages;
}

void MWHelpWindow::show(const QString& page)
{
    State& s = state();
    const QList<HelpPage> catalogue = pages();
    const QString initial = MWHelp::initialPage(catalogue, page);
    if (!s.window)
        s.window = makeWindow();
    QWidget* window = s.window;

    // A fresh view each time: the requested page, the search cleared.
    if (s.view) {
        window->layout()->removeWidget(s.view);
        // Later, not now: the old view may be what asked for this opening.
        s.view->hide();
        s.view->deleteLater();
    }
    s.view = new MWHelpView(catalogue, s.appName, initial, window);
    window->layout()->addWidget(s.view);

    if (window->width() < kMinimum.width()) {
        window->resize(kSize);
        centre(window);
    }
    // Chosen again, a minimised window comes back rather than staying in the dock.
    window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    window->show();
    // The offscreen platform (tests, pictures) has no stacking order and says so.
    if (QGuiApplication::platformName() != u"offscreen"_s)
        window->raise();
    window->activateWindow();
}

QWidget* MWHelpWindow::window()
{
    return state().window;
}

MWHelpView* MWHelpWindow::view()
{
    return state().view;
}

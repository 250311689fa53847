#include "help/aboutwindow.h"

#include "help/aboutview.h"
#include "theme/mwui.h"
#include "theme/root.h"

#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QVBoxLayout>
#include <QWidget>
#include <algorithm>

namespace {

QPointer<QWidget>& aboutWindow()
{
    static QPointer<QWidget> window;
    return window;
}

QPointer<MWAboutView>& aboutView()
{
    static QPointer<MWAboutView> view;
    return view;
}

// The window is drawn for 420 × 380 at 100 %; its icon, padding and type grow
// with the zoom, so its size does too, as far as the screen's free area allows.
// It keeps its centre, inside that area; a new window is centred on it.
void fitToZoom(QWidget* window, bool centre = false)
{
    const QScreen* screen = window->screen();
    if (!screen)
        return;
    const QRect free = screen->availableGeometry();
    const QRect outer = window->frameGeometry();
    const QSize frame = outer.size() - window->size();
    const double zoom = MWUI::shared()->zoom();
    QSize size(qRound(420 * zoom), qRound(380 * zoom));
    if (const MWAboutView* view = aboutView())
        size = size.expandedTo(view->sizeHint());
    size = size.boundedTo(free.size() - frame);
    if (size == window->size() && !centre)
        return;
    QRect placed(QPoint(), size + frame);
    placed.moveCenter(centre ? free.center() : outer.center());
    placed.moveRight(std::min(placed.right(), free.right()));
    placed.moveBottom(std::min(placed.bottom(), free.bottom()));
    placed.moveLeft(std::max(placed.left(), free.left()));
    placed.moveTop(std::max(placed.top(), free.top()));
    window->setFixedSize(size);
    window->move(placed.topLeft());
}

QWidget* makeWindow()
{
    // Titled and closable only; closing hides it.
    auto* window = new QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                            Qt::WindowCloseButtonHint);
    auto* frame = new QVBoxLayout(window);
    frame->setContentsMargins(0, 0, 0, 0);
    frame->setSizeConstraint(QLayout::SetNoConstraint);
    mwsoRoot(window);
    fitToZoom(window, true);
    // Once the view has taken the new zoom (it restyles on the same signal).
    QObject::connect(
        MWUI::shared(), &MWUI::changed, window, [window] { fitToZoom(window); },
        Qt::QueuedConnection);
    return window;
}

}  // namespace

void MWAbout::show(const QString& appName)
{
    QPointer<QWidget>& window = aboutWindow();
    if (!window)
        window = makeWindow();
    window->setWindowTitle(QStringLiteral("About ") + appName);
    // A fresh view reads the version again.
    if (MWAboutView* old = aboutView()) {
        window->layout()->removeWidget(old);
        old->hide();
        old->deleteLater();
    }
    aboutView() = new MWAboutView(appName, window);
    window->layout()->addWidget(aboutView());
    fitToZoom(window);
    // Chosen again, a minimised window comes back rather than staying in the dock.
    window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    window->show();
    // The offscreen platform (tests, pictures) has no stacking order and says so.
    if (QGuiApplication::platformName() != QLatin1String("offscreen"))
        window->raise();
    window->activateWindow();
}

QWidget* MWAbout::window()
{
    return aboutWindow();
}

MWAboutView* MWAbout::view()
{
    return aboutView();
}

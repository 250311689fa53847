#include "help/aboutwindow.h"

#include "help/aboutview.h"
#include "theme/root.h"

#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QVBoxLayout>
#include <QWidget>

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

QWidget* makeWindow()
{
    // Titled and closable only; closing hides it.
    auto* window = new QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                            Qt::WindowCloseButtonHint);
    window->setFixedSize(420, 380);
    auto* frame = new QVBoxLayout(window);
    frame->setContentsMargins(0, 0, 0, 0);
    frame->setSizeConstraint(QLayout::SetNoConstraint);
    mwsoRoot(window);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect placed = window->frameGeometry();
        placed.moveCenter(screen->availableGeometry().center());
        window->move(placed.topLeft());
    }
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

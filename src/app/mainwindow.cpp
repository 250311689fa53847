#include "app/mainwindow.h"

#include "app/cwapp.h"
#include "app/delegate.h"
#include "app/keys.h"
#include "app/keytable.h"
#include "app/menus.h"
#include "store/store.h"
#include "theme/mwui.h"
#include "theme/root.h"
#include "views/exportqueue.h"
#include "views/mainview.h"

#include <QApplication>
#include <QCloseEvent>
#include <QMenuBar>
#include <QScreen>
#include <QShortcut>
#include <algorithm>

CWMainWindow::CWMainWindow(CWStore* store, CWDelegate* delegate, QWidget* parent)
    : QMainWindow(parent), store_(store), delegate_(delegate)
{
    store_->setParent(this);
    setObjectName(QStringLiteral("main"));
    setWindowTitle(CWApp::displayName());

    auto* content = new CWMain(store_, this);
    content->setObjectName(QStringLiteral("content"));
    // The content's minimum is its own (CWMain::minimumSizeHint): 1180 × 760
    // unless a large zoom needs more.
    setCentralWidget(content);
    // The finish's background, palette and zoomed font, following every change.
    mwsoRoot(this);

    cwBuildMenuBar(menuBar(), [this] { delegate_->requestQuit(CWDelegate::QuitBy::user); });
    // F10 opens the first menu, as on every desktop; the arrows then walk the menus.
    auto* menuKey = new QShortcut(QKeySequence(Qt::Key_F10), this);
    connect(menuKey, &QShortcut::activated, this, [this] {
        if (!menuBar()->actions().isEmpty()) {
            menuBar()->setFocus(Qt::MenuBarFocusReason);
            menuBar()->setActiveAction(menuBar()->actions().first());
        }
    });
    cwFollowHistory(menuBar(), store_);
    // A run of typing in a field is one step of the history until the field
    // is left.
    connect(qApp, &QApplication::focusChanged, store_, &CWStore::endUndoRun);
    // The menu bar sits above the content, which opens at 1440 × 900, or
    // larger when the remembered zoom wants more and the screen has room.
    resize(1440, 900 + menuBar()->sizeHint().height());
    zoom_ = MWUI::shared()->zoom();
    growToZoom();
    // Bigger type needs a bigger window; a smaller zoom leaves the size the
    // user has.
    connect(MWUI::shared(), &MWUI::changed, this, [this] {
        const double zoom = MWUI::shared()->zoom();
        const bool grew = zoom > zoom_;
        zoom_ = zoom;
        if (grew)
            growToZoom();
    });
}

CWMainWindow::~CWMainWindow()
{
    MWKeys::uninstall();
}

void CWMainWindow::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (appeared_)
        return;
    appeared_ = true;
    CWApp::publish(store_);
    store_->restore();
    CWStore* store = store_;
    QWidget* queue = static_cast<CWMain*>(centralWidget())->exportQueue();
    MWKeys::install(this, [store, queue](const QKeyEvent& key) {
        // The export queue covers the editing views: its own buttons take the
        // keys (Return closes it, Escape cancels), nothing edits behind it.
        if (queue->isVisible())
            return false;
        return cwHandleKey(*store, key);
    });
    delegate_->storeReady();
}

void CWMainWindow::closeEvent(QCloseEvent* event)
{
    // Closing the window quits, by the same road as the Quit command; the
    // window stays while an export is being stopped or the user keeps it.
    if (delegate_->quitting())
        return;
    event->ignore();
    delegate_->requestQuit(CWDelegate::QuitBy::user);
}

void CWMainWindow::growToZoom()
{
    if (windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen | Qt::WindowMinimized))
        return;
    const QScreen* display = screen();
    if (!display)
        return;
    const QRect free = display->availableGeometry();
    // The desktop's frame around the window takes its share of the free area.
    const QRect outer = frameGeometry();
    const QSize frame = outer.size() - size();
    const QSize natural = CWMain::naturalSize(MWUI::shared()->zoom())
                              .expandedTo(centralWidget()->minimumSizeHint())
                              .grownBy(QMargins(0, menuBar()->sizeHint().height(), 0, 0));
    const QSize wanted = size().expandedTo(natural.boundedTo(free.size() - frame));
    if (wanted == size())
        return;
    resize(wanted);
    // A window not yet shown is placed by the desktop. One on screen grows to
    // the right and down from where it stands, and is moved back inside the
    // free area where that would leave it.
    if (!isVisible())
        return;
    QRect placed(outer.topLeft(), wanted + frame);
    placed.moveRight(std::min(placed.right(), free.right()));
    placed.moveBottom(std::min(placed.bottom(), free.bottom()));
    placed.moveLeft(std::max(placed.left(), free.left()));
    placed.moveTop(std::max(placed.top(), free.top()));
    if (placed.topLeft() != outer.topLeft())
        move(placed.topLeft());
}

void CWMainWindow::bringToFront()
{
    setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
}

#include "app/mainwindow.h"

#include "app/cwapp.h"
#include "app/delegate.h"
#include "app/keys.h"
#include "app/keytable.h"
#include "app/menus.h"
#include "store/store.h"
#include "theme/root.h"
#include "views/exportqueue.h"
#include "views/mainview.h"

#include <QApplication>
#include <QCloseEvent>
#include <QMenuBar>
#include <QShortcut>

CWMainWindow::CWMainWindow(CWStore* store, CWDelegate* delegate, QWidget* parent)
    : QMainWindow(parent), store_(store), delegate_(delegate)
{
    store_->setParent(this);
    setObjectName(QStringLiteral("main"));
    setWindowTitle(CWApp::displayName());

    auto* content = new CWMain(store_, this);
    content->setObjectName(QStringLiteral("content"));
    // Fixed sizes in points: the interface zoom scales what is inside, not the window.
    content->setMinimumSize(1180, 760);
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
    // The menu bar sits above the content, which opens at 1440 × 900.
    resize(1440, 900 + menuBar()->sizeHint().height());
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

void CWMainWindow::bringToFront()
{
    setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
}

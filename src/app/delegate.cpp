#include "app/delegate.h"

#include "app/cwapp.h"
#include "store/store.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

namespace {

bool askToCancelExport()
{
    QMessageBox box(QMessageBox::Warning, CWApp::displayName(),
                    QStringLiteral("An export is running. Quit and cancel it?"),
                    QMessageBox::NoButton, QApplication::activeWindow());
    box.setInformativeText(
        QStringLiteral("Clips already exported are kept; the ones not finished are deleted."));
    QPushButton* quit = box.addButton(QStringLiteral("Quit"), QMessageBox::DestructiveRole);
    QPushButton* keep = box.addButton(QStringLiteral("Keep Exporting"), QMessageBox::RejectRole);
    box.setDefaultButton(keep);
    box.setEscapeButton(keep);
    box.exec();
    return box.clickedButton() == quit;
}

// How long a cancelled batch may take to stop its processes before the
// application quits anyway; the converter stops within a second of its signal.
constexpr int cancelGraceMs = 15000;

}  // namespace

CWDelegate::CWDelegate(QObject* parent)
    : QObject(parent), confirmQuitDuringExport(askToCancelExport),
      // exit(), not quit(): quit() first asks each window to close, and the
      // window's close is itself a quit request.
      terminate([] { QCoreApplication::exit(0); })
{}

void CWDelegate::open(const QStringList& paths)
{
    if (paths.isEmpty())
        return;
    CWStore* store = CWApp::store();
    if (store && store->restoreStarted())
        store->enqueueImport(paths);
    else
        pending_ += paths;  // the desktop hands files over before the window is up
}

void CWDelegate::storeReady()
{
    // The files of the launch are one complete list (the command line, or
    // the hand-over that started the run): nothing more is coming to batch
    // them with, so they need not wait for the drop batching's pause.
    const QStringList paths = std::exchange(pending_, {});
    if (CWStore* store = CWApp::store(); store && !paths.isEmpty())
        store->importFiles(paths);
}

void CWDelegate::requestQuit(QuitBy by)
{
    if (quitting_ || (asking_ && by == QuitBy::user))
        return;
    CWStore* store = CWApp::store();
    if (!store || !store->exporting()) {
        quitting_ = true;
        finish();
        return;
    }
    if (by == QuitBy::user) {
        asking_ = true;
        const bool go = confirmQuitDuringExport();
        asking_ = false;
        // A signal that came while the question was open has taken over.
        if (!go || quitting_)
            return;
    }
    quitting_ = true;
    // Quit once the batch has stopped: every process has ended and every
    // partial file is gone by then.
    auto* grace = new QTimer(this);
    grace->setSingleShot(true);
    connect(grace, &QTimer::timeout, this, &CWDelegate::finish);
    connect(store, &CWStore::exportFinished, grace, [this, grace] {
        grace->stop();
        finish();
    });
    grace->start(cancelGraceMs);
    store->cancelExport();
    if (!store->exporting())
        finish();
}

void CWDelegate::finish()
{
    if (std::exchange(finished_, true))
        return;
    if (terminate)
        terminate();
}

void CWDelegate::willTerminate()
{
    // Before the restore has started the store holds nothing of the user's:
    // writing it then would empty the saved session.
    if (CWStore* store = CWApp::store(); store && store->restoreStarted())
        store->saveOnQuit();
}

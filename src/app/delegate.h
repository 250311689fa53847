#pragma once

#include <QObject>
#include <QStringList>
#include <functional>

// What the desktop asks of the application as a whole: files to open, and
// quitting. Holds no editing state; reaches the store through CWApp::store().
class CWDelegate : public QObject {
    Q_OBJECT
public:
    enum class QuitBy {
        user,    // the Quit command or closing the window: may ask first
        signal,  // SIGTERM or SIGINT (logout, kill): never asks
    };

    explicit CWDelegate(QObject* parent = nullptr);

    // Files handed over by the desktop (the command line, a second launch).
    // They wait until the store exists and its restore has started, then go
    // to enqueueImport as one list.
    void open(const QStringList& paths);
    // The store has been published and its restore started.
    void storeReady();

    // The orderly quit: a running export is cancelled first (after asking,
    // when the user asked to quit), its processes end and its partial files go;
    // then the application quits and willTerminate() saves.
    void requestQuit(QuitBy by);
    bool quitting() const { return quitting_; }

    // The quit-time save, once the restore has started and never before.
    void willTerminate();

    // Asks whether to cancel the running export and quit; true to go on.
    std::function<bool()> confirmQuitDuringExport;
    // Ends the event loop; QCoreApplication::exit unless a test says otherwise.
    std::function<void()> terminate;

private:
    void finish();

    QStringList pending_;
    bool quitting_ = false;
    bool asking_ = false;
    bool finished_ = false;
};

#pragma once

#include <QObject>

class QSocketNotifier;

// SIGTERM and SIGINT (logout, kill, Ctrl+C in a terminal) as a Qt signal on
// the main thread, so they end in the orderly quit that saves the session
// instead of ending the process where it stands. One per process.
class CWUnixSignals : public QObject {
    Q_OBJECT
public:
    explicit CWUnixSignals(QObject* parent = nullptr);
    ~CWUnixSignals() override;

signals:
    void received(int signal);

private:
    static void handler(int signal);
    void drain();

    QSocketNotifier* notifier_ = nullptr;
};

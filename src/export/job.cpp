#include "export/job.h"

#include "platform/composition.h"

#include <QCoreApplication>
#include <QThread>
#include <QTimer>

namespace ClipExporter {

void report(const Progress& progress, double fraction)
{
    if (!progress)
        return;
    QCoreApplication* app = QCoreApplication::instance();
    if (!app || QThread::currentThread() == app->thread())
        progress(fraction);
    else
        QMetaObject::invokeMethod(
            app, [progress, fraction] { progress(fraction); }, Qt::QueuedConnection);
}

void Job::add(std::shared_ptr<MWCompositionExport> session)
{
    std::lock_guard guard(lock_);
    sessions_.push_back(std::move(session));
}

void Job::add(QProcess* process)
{
    std::lock_guard guard(lock_);
    processes_.append(QPointer<QProcess>(process));
}

void Job::remove(QProcess* process)
{
    std::lock_guard guard(lock_);
    processes_.removeIf([process](const QPointer<QProcess>& p) { return p.data() == process; });
}

bool Job::cancelled() const
{
    std::lock_guard guard(lock_);
    return cancelled_;
}

void Job::cancel()
{
    std::vector<std::shared_ptr<MWCompositionExport>> sessions;
    QList<QPointer<QProcess>> processes;
    {
        std::lock_guard guard(lock_);
        cancelled_ = true;
        sessions = sessions_;
        processes = processes_;
    }
    for (const auto& session : sessions)
        session->cancel();
    for (const QPointer<QProcess>& process : processes) {
        if (!process)
            continue;
        // A QProcess is driven from its own thread: from there the request
        // goes at once, from elsewhere it is posted (and dropped if the
        // process is gone by then).
        QMetaObject::invokeMethod(
            process.data(),
            [p = process] {
                if (!p || p->state() == QProcess::NotRunning)
                    return;
                p->terminate();
                // Asked to stop, the converter still finishes the file: it
                // writes the index and moves it to the front, which takes
                // seconds on a long clip, for a file that is deleted anyway.
                // So it gets a moment to end by itself, then no more.
                QTimer::singleShot(terminateGraceMs, p.data(), [p] {
                    if (p && p->state() != QProcess::NotRunning)
                        p->kill();
                });
            },
            Qt::AutoConnection);
    }
}

}  // namespace ClipExporter

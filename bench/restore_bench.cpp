// The whole window, as the program builds it, bringing back a session of N
// sources with two clips each: seconds from the launch until the
// restore has finished and every source has its filmstrip, processor time
// over the same span, and the resident memory then: VmRSS, its peak VmHWM, and
// how much of it is the program's own (RssAnon) and mapped files (RssFile).
//   bench_restore MEDIA...      (one source per file; paths must differ)
// Run it with a private HOME / XDG_DATA_HOME: it writes the session there.
#include "procstat.h"

#include "app/delegate.h"
#include "app/mainwindow.h"
#include "model/session.h"
#include "platform/mpvplayer.h"
#include "platform/services.h"
#include "store/store.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QThreadPool>
#include <QTimer>
#include <QUuid>
#include <algorithm>
#include <clocale>
#include <cstdio>

namespace {

using namespace procstat;

bool everyFilmstrip(const CWStore& store, qsizetype count)
{
    const QList<CWSource>& sources = store.sources();
    return sources.size() == count &&
           std::all_of(sources.begin(), sources.end(), [](auto& s) { return !s.thumbs.isEmpty(); });
}

}  // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    cwNameApplication();
    std::setlocale(LC_NUMERIC, "C");
    const QStringList media = QApplication::arguments().mid(1);
    if (media.isEmpty()) {
        std::fprintf(stderr, "usage: bench_restore MEDIA...\n");
        return 2;
    }

    CWSession session;
    session.sources.emplace();
    for (const QString& path : media) {
        const QUuid id = QUuid::createUuid();
        session.sources->append({id.toString(QUuid::WithoutBraces).toUpper(),
                                 QFileInfo(path).absoluteFilePath(), std::nullopt, true});
        for (int n = 0; n < 2; ++n)
            session.clips.append(Clip{QUuid::createUuid(), id, QStringLiteral("Clip %1").arg(n),
                                      10.0 + 20 * n, 15.0 + 20 * n});
    }
    QFile file(CWStore::sessionURL());
    if (!file.open(QIODevice::WriteOnly) || file.write(session.encode()) < 0)
        return 2;
    file.close();

    // The same window, store and player as the program's own main().
    CWDelegate delegate;
    QApplication::setQuitOnLastWindowClosed(false);
    CWMainWindow window(new CWStore(new MWMpvPlayer({.video = true, .audio = true})), &delegate);
    CWStore* store = window.store();
    bool finished = false;
    QObject::connect(store, &CWStore::restoreFinished, &app, [&] { finished = true; });
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &app, [&] {
        if (finished && everyFilmstrip(*store, media.size()))
            app.quit();
    });
    poll.start(5);
    QTimer::singleShot(600000, &app, [&] { app.exit(1); });
    window.show();
    if (app.exec() != 0) {
        std::fprintf(stderr, "bench_restore: the restore did not finish\n");
        return 1;
    }
    const double wall = sinceLaunch(), cpu = cpuSeconds();
    // Loaded means settled: the work the restore left to the worker threads
    // (handing freed memory back) is done too.
    QThreadPool::globalInstance()->waitForDone();
    std::printf("%.3f %.3f %.1f %.1f %.1f %.1f\n", wall, cpu, statusMB("VmRSS:"),
                statusMB("VmHWM:"), statusMB("RssAnon:"), statusMB("RssFile:"));
    // Where the memory is, mapping by mapping, for a closer look.
    if (const QString to = qEnvironmentVariable("CW_BENCH_SMAPS"); !to.isEmpty()) {
        QFile from(QStringLiteral("/proc/self/smaps")), out(to);
        if (from.open(QIODevice::ReadOnly) && out.open(QIODevice::WriteOnly))
            out.write(from.readAll());
    }
    return 0;
}

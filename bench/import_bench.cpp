// One file handed to the window as `cutwright FILE` hands it over: seconds
// from the launch until the timeline paints the file's first filmstrip frame
// and until it paints all 24, processor time until then, and the resident
// memory once the import has finished: VmRSS, its peak VmHWM, the program's
// own (RssAnon) and mapped files (RssFile).
//   bench_import MEDIA          prints "FIRST ALL CPU RSS PEAK ANON FILES"
// Run it with a private HOME and XDG folders, as the script does.
#include "procstat.h"

#include "app/delegate.h"
#include "app/mainwindow.h"
#include "platform/mpvplayer.h"
#include "platform/services.h"
#include "store/store.h"
#include "views/timelinetrack.h"

#include <QApplication>
#include <QFileInfo>
#include <QThreadPool>
#include <QTimer>
#include <clocale>
#include <cstdio>

namespace {

using namespace procstat;

// Notes the first paint of the track that draws at least one, and then all,
// of the filmstrip's frames: what the user sees land.
class FilmstripWatch : public QObject {
public:
    FilmstripWatch(const CWStore* store) : store_(store) {}
    double first = -1, all = -1, cpu = -1;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && !store_->sources().isEmpty()) {
            const qsizetype frames = store_->sources().front().thumbs.size();
            if (frames > 0 && first < 0)
                first = sinceLaunch();
            if (frames >= 24 && all < 0) {
                all = sinceLaunch();
                cpu = cpuSeconds();
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    const CWStore* store_;
};

}  // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    cwNameApplication();
    std::setlocale(LC_NUMERIC, "C");
    if (argc != 2) {
        std::fprintf(stderr, "usage: bench_import MEDIA\n");
        return 2;
    }
    // The same order as the program's main(): the file waits for the store.
    CWDelegate delegate;
    delegate.open({QFileInfo(QString::fromLocal8Bit(argv[1])).absoluteFilePath()});
    QApplication::setQuitOnLastWindowClosed(false);
    CWMainWindow window(new CWStore(new MWMpvPlayer({.video = true, .audio = true})), &delegate);
    CWStore* store = window.store();
    auto* track = window.findChild<CWTimelineTrack*>();
    if (!track) {
        std::fprintf(stderr, "bench_import: no timeline in the window\n");
        return 2;
    }
    FilmstripWatch watch(store);
    track->installEventFilter(&watch);
    bool imported = false;
    QObject::connect(store, &CWStore::importFinished, &app, [&] { imported = true; });
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &app, [&] {
        if (imported && watch.all >= 0)
            app.quit();
    });
    poll.start(5);
    QTimer::singleShot(900000, &app, [&] { app.exit(1); });
    window.show();
    if (app.exec() != 0) {
        std::fprintf(stderr, "bench_import: the filmstrip never landed\n");
        return 1;
    }
    // Loaded means settled: what the import left to the worker threads is done.
    QThreadPool::globalInstance()->waitForDone();
    std::printf("%.3f %.3f %.3f %.1f %.1f %.1f %.1f\n", watch.first, watch.all, watch.cpu,
                statusMB("VmRSS:"), statusMB("VmHWM:"), statusMB("RssAnon:"),
                statusMB("RssFile:"));
    return 0;
}

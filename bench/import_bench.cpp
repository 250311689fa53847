// The window importing one video, as the program builds it: seconds from the
// import's start until the video is in the bin, until the player has its first
// picture, until the first filmstrip frame and all 24 are on the source, and
// until the import has finished (black bars found); one line per run.
//   bench_import MEDIA
// Run it under Xvfb with a private HOME / XDG_DATA_HOME.
#include "app/delegate.h"
#include "app/mainwindow.h"
#include "platform/mpvplayer.h"
#include "platform/services.h"
#include "store/store.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>
#include <clocale>
#include <cmath>
#include <cstdio>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    cwNameApplication();
    std::setlocale(LC_NUMERIC, "C");
    const QStringList media = QApplication::arguments().mid(1);
    if (media.size() != 1) {
        std::fprintf(stderr, "usage: bench_import MEDIA\n");
        return 2;
    }
    CWDelegate delegate;
    QApplication::setQuitOnLastWindowClosed(false);
    CWMainWindow window(new CWStore(new MWMpvPlayer({.video = true, .audio = true})), &delegate);
    window.show();
    CWStore* store = window.store();
    double inBin = NAN, picture = NAN, first = NAN, all = NAN;
    bool finished = false;
    QElapsedTimer clock;
    const auto now = [&] { return clock.nsecsElapsed() / 1e9; };
    QObject::connect(store, &CWStore::importFinished, &app, [&] { finished = true; });
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &app, [&] {
        const CWSource* source = store->current();
        if (!source)
            return;
        if (std::isnan(inBin))
            inBin = now();
        if (std::isnan(picture) && store->player()->settled())
            picture = now();
        const auto made = std::count_if(source->thumbs.begin(), source->thumbs.end(),
                                        [](const Thumb& t) { return !t.second.isNull(); });
        if (std::isnan(first) && made > 0)
            first = now();
        if (std::isnan(all) && made == 24)
            all = now();
        if (finished && !std::isnan(all)) {
            std::printf("%.3f %.3f %.3f %.3f %.3f\n", inBin, picture, first, all, now());
            app.quit();
        }
    });
    poll.start(5);
    clock.start();
    store->importFiles(media);
    return app.exec();
}

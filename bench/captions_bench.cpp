// The caption reader for bench/captions.sh.
//   bench_captions FILE N   reads the subtitle file N times in this process and
//                           prints, for each read, its wall and processor
//                           seconds, the cues read and the cues skipped
#include "media/captionfiles.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <cstdio>
#include <ctime>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 3 || args[2].toInt() < 1) {
        std::fprintf(stderr, "usage: bench_captions FILE N\n");
        return 2;
    }
    for (int i = 0; i < args[2].toInt(); ++i) {
        QElapsedTimer clock;
        clock.start();
        const std::clock_t cpu = std::clock();
        const Captions::Reading r = Captions::readFile(args[1]);
        const double cpuSeconds = double(std::clock() - cpu) / CLOCKS_PER_SEC;
        if (!r.error.isEmpty()) {
            std::fprintf(stderr, "%s\n", qPrintable(r.error));
            return 1;
        }
        std::printf("%.6f %.6f %zu %d\n", clock.nsecsElapsed() / 1e9, cpuSeconds, r.cues.size(),
                    r.skipped);
    }
    return 0;
}

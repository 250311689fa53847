// Times the filmstrip of one file for bench/filmstrip.sh, one line per run:
//   bench_filmstrip stream FILE   the filmstrip as the app makes it
//   bench_filmstrip serial FILE   one decoder, every frame decoded up to its
//                                 slice's middle: how the filmstrip was made before
// Each line: seconds to the first frame, seconds to all 24, processor seconds.
#include "media/thumbnails.h"
#include "platform/asset.h"
#include "platform/framegenerator.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <atomic>
#include <cstdio>
#include <ctime>

namespace {

double processorSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}

int serial(const std::shared_ptr<const MWAsset>& asset, const std::function<void()>& first)
{
    MWFrameGenerator::Options options;
    options.maximumSize = QSize(270, 180);
    options.toleranceBefore = options.toleranceAfter = 0.5;
    MWFrameGenerator generator(asset, options);
    int made = 0;
    for (int i = 0; i < 24; ++i) {
        generator.image((i + 0.5) * asset->duration / 24);
        if (made++ == 0)
            first();
    }
    return made;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 3)
        return 2;
    QCoreApplication app(argc, argv);
    const QByteArray mode = argv[1];
    const auto asset = MWAsset::open(QString::fromLocal8Bit(argv[2]));
    QElapsedTimer clock;
    std::atomic<qint64> firstAt = -1;
    const auto first = [&] {
        qint64 none = -1;
        firstAt.compare_exchange_strong(none, clock.nsecsElapsed());
    };
    const double cpu = processorSeconds();
    clock.start();
    int made = 0;
    if (mode == "stream")
        made = int(MWMediaOpener::makeThumbnails(asset, asset->duration, 24, 90, {},
                                                 [&](int, const Thumb&) { first(); })
                       .size());
    else if (mode == "serial")
        made = serial(asset, first);
    else
        return 2;
    const double all = clock.nsecsElapsed() / 1e9;
    if (made != 24)
        return 1;
    std::printf("%.6f %.6f %.6f\n", firstAt / 1e9, all, processorSeconds() - cpu);
    return 0;
}

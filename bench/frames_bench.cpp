// Times the still-frame jobs and the player's exact seeks for bench/frames.sh.
//   bench_frames thumbs|floor|borders FILE REPS   one line of seconds per run
//   bench_frames seek FILE TIMES [window]         one line of seconds per seek,
//                                                 to each of the comma-separated times
//   bench_frames decode FILE TIMES                the same frames from FFmpeg's decoder
//                                                 alone, kept open (the floor of a seek)
#include "export/borders.h"
#include "media/thumbnails.h"
#include "platform/asset.h"
#include "platform/framegenerator.h"
#include "platform/mpvplayer.h"
#include "platform/playersurface.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <clocale>
#include <cmath>
#include <cstdio>

namespace {

void keyFrameFloor(const std::shared_ptr<const MWAsset>& asset)
{
    MWFrameGenerator::Options options;
    options.maximumSize = QSize(270, 180);
    options.keyFramesOnly = true;
    MWFrameGenerator generator(asset, options);
    for (int i = 0; i < 24; ++i)
        generator.image((i + 0.5) * asset->duration / 24);
}

// Runs the event loop until done() holds, sleeping between events (the
// overload with a time limit spins, taking a core from the decoder).
void spin(const std::function<bool()>& done)
{
    while (!done())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

// Each exact frame decoded straight from the file, scaled to the surface's
// size: what any exact seek must do, without a player around it.
int decodes(const std::shared_ptr<const MWAsset>& asset, const QList<double>& times)
{
    MWFrameGenerator::Options options;
    options.maximumSize = QSize(960, 540);
    MWFrameGenerator generator(asset, options);
    generator.image(0);
    for (const double t : times) {
        QElapsedTimer clock;
        clock.start();
        generator.image(t);
        std::printf("%.6f\n", clock.nsecsElapsed() / 1e9);
    }
    return 0;
}

int seeks(const std::shared_ptr<const MWAsset>& asset, const QList<double>& times, bool window)
{
    MWMpvPlayer player({.video = window, .audio = false});
    std::unique_ptr<MWPlayerSurface> surface;
    bool drawn = false;
    if (window) {
        surface = std::make_unique<MWPlayerSurface>();
        QObject::connect(surface.get(), &MWPlayerSurface::frameRendered,
                         [&] { drawn = drawn || std::isfinite(player.shownTime()); });
        surface->setPlayer(&player);
        surface->resize(960, 540);
        surface->show();
    }
    bool restarted = false;
    QObject::connect(&player, &MWMpvPlayer::restarted, [&] { restarted = true; });
    player.replaceItem(asset);
    spin([&] { return restarted && (!window || drawn); });
    for (const double t : times) {
        restarted = drawn = false;
        QElapsedTimer clock;
        clock.start();
        player.seekExact(t);
        spin([&] { return window ? drawn : restarted && std::isfinite(player.shownTime()); });
        std::printf("%.6f\n", clock.nsecsElapsed() / 1e9);
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 4)
        return 2;
    const QByteArray mode = argv[1];
    const bool window = mode == "seek" && argc > 4 && QByteArray(argv[4]) == "window";
    if (!window)
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    const auto asset = MWAsset::open(QString::fromLocal8Bit(argv[2]));
    if (mode == "seek" || mode == "decode") {
        QList<double> times;
        for (const QByteArray& t : QByteArray(argv[3]).split(','))
            times.append(t.toDouble());
        return mode == "seek" ? seeks(asset, times, window) : decodes(asset, times);
    }
    const int n = std::atoi(argv[3]);
    for (int rep = 0; rep < n; ++rep) {
        QElapsedTimer clock;
        clock.start();
        if (mode == "thumbs") {
            if (MWMediaOpener::makeThumbnails(asset, asset->duration, 24, 90).size() != 24)
                return 1;
        } else if (mode == "floor") {
            keyFrameFloor(asset);
        } else if (mode == "borders") {
            CWBorders::detectNow(asset, asset->duration, asset->naturalSize);
        } else {
            return 2;
        }
        std::printf("%.6f\n", clock.nsecsElapsed() / 1e9);
    }
    return 0;
}

// A trim drag as the user makes it: the Out handle pulled across a long 1080p
// file with key frames every 10 s, 60 mouse events a second for 5 s, with
// 1,000 clips in the store. Prints the longest main-thread stall, how long
// after the release the frame at the final mark is on screen, and the seeks
// sent to the player; then mpv's own player doing the same exact seeks one
// after another (what the picture would trail by without coalescing); then the
// paint cost of the track with 24 thumbnails and 500 clip bars.
#include "common/storeaccess.h"
#include "platform/asset.h"
#include "platform/mpvplayer.h"
#include "store/store.h"
#include "theme/mwui.h"
#include "views/timelinegeometry.h"
#include "views/timelinetrack.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QMouseEvent>
#include <QPainter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <vector>

namespace {

double cpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

double threadMs()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

void send(QWidget* w, QEvent::Type type, QPointF at, Qt::MouseButtons buttons)
{
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, at, w->mapToGlobal(at), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(w, &event);
}

void spin(const std::function<bool()>& done, int timeoutMs)
{
    QEventLoop loop;
    QTimer poll;
    poll.setInterval(1);
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (done())
            loop.quit();
    });
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    poll.start();
    if (!done())
        loop.exec();
}

// mpv's command-line player seeking exactly to every target in turn, each
// after the previous one's picture is up. Seconds in all, or -1.
double mpvSerial(const QString& media, const std::vector<double>& targets, const QString& dir)
{
    QString lua = "local t = {";
    for (double s : targets)
        lua += QString::number(s, 'f', 6) + ",";
    lua += "}\nlocal i = 0\nlocal start = 0\n"
           "mp.register_event('playback-restart', function()\n"
           "  if i == 0 then start = mp.get_time() end\n"
           "  i = i + 1\n"
           "  if i > #t then\n"
           "    local f = io.open('" +
           dir +
           "/mpv.txt', 'w')\n    f:write(mp.get_time() - start)\n    f:close()\n"
           "    mp.command('quit')\n"
           "  else mp.commandv('seek', tostring(t[i]), 'absolute+exact') end\n"
           "end)\n";
    QFile script(dir + "/seq.lua");
    script.open(QIODevice::WriteOnly);
    script.write(lua.toUtf8());
    script.close();
    QProcess mpv;
    mpv.start("mpv", {"--no-config", "--vo=null", "--ao=null", "--pause", "--really-quiet",
                      "--script=" + script.fileName(), media});
    if (!mpv.waitForFinished(600000))
        return -1;
    QFile out(dir + "/mpv.txt");
    if (!out.open(QIODevice::ReadOnly))
        return -1;
    return out.readAll().toDouble();
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QStandardPaths::setTestModeEnabled(true);
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_timeline MEDIA\n");
        return 2;
    }
    const QString media = QString::fromLocal8Bit(argv[1]);
    QTemporaryDir dir;

    auto* player = new MWMpvPlayer({.video = false, .audio = false});
    CWStore store(player);
    CWSource source;
    source.id = QUuid::createUuid();
    source.media.original = source.media.playable = media;
    source.media.asset = MWAsset::open(media);
    source.media.duration = source.media.asset->duration;
    source.media.hasVideo = true;
    source.media.naturalSize = QSizeF(1920, 1080);
    source.media.nominalFrameRate = 25;
    QImage frame(160, 90, QImage::Format_RGB32);
    frame.fill(Qt::darkCyan);
    for (int i = 0; i < 24; ++i)
        source.thumbs.append({i * source.media.duration / 24, frame});
    CWStoreTestAccess::addSource(store, source);
    store.select(source.id);
    QList<Clip> clips;
    for (int i = 0; i < 1000; ++i) {
        const double in = i * (source.media.duration - 2) / 1000;
        clips.append(Clip{QUuid::createUuid(), source.id, QString::number(i), in, in + 1.5});
    }
    CWStoreTestAccess::setClips(store, clips);
    spin([&] { return std::isfinite(player->shownTime()); }, 30000);

    CWTimelineTrack track(&store);
    track.resize(1200, 110);
    track.show();
    const TrimMath::Track geometry = TimelineGeometry::track(1200, source.media.duration, 1.0);

    // The drag: press on the Out handle, 300 moves over 5 s, release.
    const QPointF start(geometry.x(store.outMark()) + 7, 0.45 * 110);
    const double span = 900;
    const std::uint64_t seeksBefore = player->seeksIssued();
    std::vector<double> targets;
    double longestHandler = 0;
    double longestGap = 0;
    double gapBusy = 0;  // main-thread processor time inside the longest gap
    double beatCpu = 0;
    QElapsedTimer beat;
    QTimer heartbeat;  // a main thread that stalls misses its beats
    heartbeat.setTimerType(Qt::PreciseTimer);
    heartbeat.setInterval(1);
    QObject::connect(&heartbeat, &QTimer::timeout, [&] {
        const double gap = beat.nsecsElapsed() / 1e6;
        const double busy = threadMs() - beatCpu;
        if (gap > longestGap) {
            longestGap = gap;
            gapBusy = busy;
        }
        beat.restart();
        beatCpu = threadMs();
    });
    QElapsedTimer handler;
    const double cpuStart = cpuMs();
    send(&track, QEvent::MouseButtonPress, start, Qt::LeftButton);
    targets.push_back(store.outMark());
    beat.start();
    beatCpu = threadMs();
    heartbeat.start();
    int moves = 0;
    QEventLoop dragLoop;
    QTimer mouse;
    mouse.setTimerType(Qt::PreciseTimer);
    mouse.setInterval(1000 / 60);
    QObject::connect(&mouse, &QTimer::timeout, [&] {
        ++moves;
        handler.start();
        send(&track, QEvent::MouseMove, start + QPointF(span * moves / 300.0, 0), Qt::LeftButton);
        longestHandler = std::max(longestHandler, handler.nsecsElapsed() / 1e6);
        targets.push_back(store.outMark());
        if (moves == 300) {
            mouse.stop();
            dragLoop.quit();
        }
    });
    mouse.start();
    dragLoop.exec();
    send(&track, QEvent::MouseButtonRelease, start + QPointF(span, 0), Qt::NoButton);
    QElapsedTimer settle;
    settle.start();
    const double finalMark = store.outMark();
    spin(
        [&] {
            return std::isfinite(player->shownTime()) &&
                   std::abs(player->shownTime() - finalMark) < 0.05;
        },
        60000);
    const double lag = settle.nsecsElapsed() / 1e6;
    heartbeat.stop();
    const double dragCpu = cpuMs() - cpuStart;
    std::printf("drag: %d moves, %zu seek targets, %llu seeks sent to the player\n", moves,
                targets.size(), (unsigned long long)(player->seeksIssued() - seeksBefore));
    std::printf("longest main-thread stall: %.1f ms between 1 ms heartbeats, of it %.1f ms of the "
                "main thread's own processor time; longest move handler %.1f ms\n",
                longestGap, gapBusy, longestHandler);
    std::printf("final frame on screen %.0f ms after release (processor %.0f ms for the whole "
                "drag)\n",
                lag, dragCpu);

    const double serial =
        qEnvironmentVariableIsSet("CW_NO_MPV") ? -1 : mpvSerial(media, targets, dir.path());
    if (serial > 0)
        std::printf("mpv, the same %zu exact seeks one after another: %.2f s in all, %.0f ms each; "
                    "lag ratio ours/one seek %.2f\n",
                    targets.size(), serial, serial * 1e3 / targets.size(),
                    lag / (serial * 1e3 / targets.size()));
    else
        std::printf("mpv command line: not measured\n");

    // Paint cost: 500 bars (the first 500 of the clips) and 24 thumbnails.
    CWStoreTestAccess::setClips(store, clips.mid(0, 500));
    QImage canvas(track.size(), QImage::Format_ARGB32_Premultiplied);
    std::vector<double> full, fullCpu, head, cold;
    for (int run = 0; run < 31; ++run) {
        QElapsedTimer t;
        double c = cpuMs();
        t.start();
        track.render(&canvas);
        full.push_back(t.nsecsElapsed() / 1e6);
        fullCpu.push_back(cpuMs() - c);
        store.seek(run * 3.0);
        const double x = geometry.x(store.time());
        t.restart();
        track.render(&canvas, QPoint(), QRegion(QRectF(x - 12, 0, 24, 110).toAlignedRect()));
        head.push_back(t.nsecsElapsed() / 1e6);
        MWUI::shared()->setZoom(run % 2 ? 1.0 : 1.25);
        t.restart();
        track.render(&canvas);
        cold.push_back(t.nsecsElapsed() / 1e6);
        MWUI::shared()->setZoom(1.0);
    }
    std::printf("paint, 24 thumbnails and 500 bars at 1200x110: full %.2f ms (processor %.2f), "
                "playhead strip %.3f ms, after a zoom change %.2f ms (medians of 31)\n",
                median(full), median(fullCpu), median(head), median(cold));
    return 0;
}

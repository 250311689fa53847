// Gestures on the timeline as the user makes them, 60 mouse events a second
// for 5 s over a long 1080p file with key frames every 10 s and 1,000 clips in
// the store: the Out handle pulled across the file; the last of a clip's 50
// frame points dragged along its bar; the playhead scrubbed across that clip
// while the frame follows its points. For each it prints the longest
// main-thread stall, how long after the release the final frame is on screen,
// and the seeks sent to the player; then mpv's own player doing the trim
// drag's exact seeks one after another (what the picture would trail by
// without coalescing); then the paint cost of the track with 24 thumbnails
// and 500 clip bars. Beside the timeline, with one of the 1,000 clips
// selected: the crop frame dragged across the viewer's picture, and the
// position pad's dot dragged across the pad.
//   bench_timeline MEDIA [CASES] [--gaps]
// CASES orders the gestures (default trim,point,scrub,crop,pad); --gaps measures only
// the gestures. Each gesture also prints a "gap CASE STALL BUSY MOSTBUSY" line
// for the script: the longest stall, the main thread's processor time inside
// it, and the most processor time it spent between any two heartbeats.
#include "common/storeaccess.h"
#include "model/framepath.h"
#include "platform/asset.h"
#include "platform/mpvplayer.h"
#include "store/store.h"
#include "theme/mwui.h"
#include "views/cropframewidget.h"
#include "views/positionpad.h"
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
#include <functional>
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

// What one gesture cost.
struct Gesture {
    int moves = 0;
    double longestGap = 0;      // between 1 ms heartbeats, press to release
    double gapBusy = 0;         // the main thread's own processor time inside it
    double longestBusy = 0;     // the most processor time the main thread spent between two beats
    double longestHandler = 0;  // the slowest move event
    double releaseGap = 0;      // the longest gap from the release until the final frame is up
    double lag = 0;             // release to the final frame on screen
    double cpu = 0;             // the process's processor time for the whole gesture
    std::uint64_t seeks = 0;    // seeks sent to the player
};

// Press at from, 300 moves 60 a second to span points right of it, release;
// then wait for the player to show the time the store ends at. moved runs
// after the press and after every move.
Gesture drag(QWidget& track, MWMpvPlayer& player, const CWStore& store, QPointF from, double span,
             const std::function<void()>& moved)
{
    Gesture g;
    bool released = false;
    double beatCpu = 0;
    QElapsedTimer beat;
    QTimer heartbeat;  // a main thread that stalls misses its beats
    heartbeat.setTimerType(Qt::PreciseTimer);
    heartbeat.setInterval(1);
    QObject::connect(&heartbeat, &QTimer::timeout, [&] {
        const double gap = beat.nsecsElapsed() / 1e6;
        const double busy = threadMs() - beatCpu;
        if (!released)
            g.longestBusy = std::max(g.longestBusy, busy);
        if (released) {
            g.releaseGap = std::max(g.releaseGap, gap);
        } else if (gap > g.longestGap) {
            g.longestGap = gap;
            g.gapBusy = busy;
        }
        beat.restart();
        beatCpu = threadMs();
    });
    const std::uint64_t seeksBefore = player.seeksIssued();
    const double cpuStart = cpuMs();
    send(&track, QEvent::MouseButtonPress, from, Qt::LeftButton);
    moved();
    beat.start();
    beatCpu = threadMs();
    heartbeat.start();
    QEventLoop loop;
    QTimer mouse;
    mouse.setTimerType(Qt::PreciseTimer);
    mouse.setInterval(1000 / 60);
    QElapsedTimer handler;
    QObject::connect(&mouse, &QTimer::timeout, [&] {
        ++g.moves;
        handler.start();
        send(&track, QEvent::MouseMove, from + QPointF(span * g.moves / 300.0, 0), Qt::LeftButton);
        g.longestHandler = std::max(g.longestHandler, handler.nsecsElapsed() / 1e6);
        moved();
        if (g.moves == 300) {
            mouse.stop();
            loop.quit();
        }
    });
    mouse.start();
    loop.exec();
    send(&track, QEvent::MouseButtonRelease, from + QPointF(span, 0), Qt::NoButton);
    released = true;
    QElapsedTimer settle;
    settle.start();
    const double final = store.time();
    spin(
        [&] {
            return std::isfinite(player.shownTime()) && std::abs(player.shownTime() - final) < 0.05;
        },
        60000);
    g.lag = settle.nsecsElapsed() / 1e6;
    heartbeat.stop();
    g.cpu = cpuMs() - cpuStart;
    g.seeks = player.seeksIssued() - seeksBefore;
    return g;
}

void report(const char* name, const char* what, const Gesture& g)
{
    std::printf("%s: %s; %d moves, %llu seeks sent to the player\n", name, what, g.moves,
                (unsigned long long)g.seeks);
    std::printf("  longest main-thread stall %.1f ms between 1 ms heartbeats, of it %.1f ms of the "
                "main thread's own processor time (at most %.1f ms between two beats); longest "
                "move handler %.1f ms\n",
                g.longestGap, g.gapBusy, g.longestBusy, g.longestHandler);
    std::printf("  final frame on screen %.0f ms after release (longest stall meanwhile %.1f ms; "
                "processor %.0f ms for the whole gesture)\n",
                g.lag, g.releaseGap, g.cpu);
    std::printf("gap %s %.2f %.2f %.2f\n", name, g.longestGap, g.gapBusy, g.longestBusy);
}

// The frame moving about the picture, now and then cutting.
Clip withPoints(const QUuid& source, double in, double out, int count, double every)
{
    Clip clip{QUuid::createUuid(), source, QStringLiteral("points"), in, out};
    for (int k = 0; k < count; ++k)
        clip.points.push_back({in + k * every, 0.3 + 0.4 * (k % 2), 0.4 + 0.2 * ((k / 2) % 2),
                               1.0 + 0.25 * (k % 5), k % 7 == 6});
    FramePath::mirrorFirstPoint(clip);
    return clip;
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
        std::fprintf(stderr, "usage: bench_timeline MEDIA [CASES] [--gaps]\n");
        return 2;
    }
    const QString media = QString::fromLocal8Bit(argv[1]);
    QStringList cases{"trim", "point", "scrub", "crop", "pad"};
    bool gapsOnly = false;
    for (int i = 2; i < argc; ++i) {
        if (QString(argv[i]) == "--gaps")
            gapsOnly = true;
        else
            cases = QString(argv[i]).split(',');
    }
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
    // Its 50 points in the first half; the second is free for the last one to move into.
    const Clip pointed = withPoints(source.id, 30, 570, 50, 5.5);
    CWStoreTestAccess::setClips(store, clips + QList<Clip>{pointed});
    // As in the application, where every change is written to the session file.
    CWStoreTestAccess::setRestoreStarted(store, true);
    spin([&] { return std::isfinite(player->shownTime()); }, 30000);

    CWTimelineTrack track(&store);
    track.resize(1200, 110);
    track.show();
    const TrimMath::Track geometry = TimelineGeometry::track(1200, source.media.duration, 1.0);
    // The viewer's layer over the picture at the size it has in a 1280-wide
    // window, and the inspector's pad; a vertical frame moves across.
    CWCropOverlay crop(&store);
    crop.resize(960, 540);
    crop.show();
    CWPositionPad pad(&store);
    pad.resize(pad.sizeHint());
    pad.show();
    const auto shown = [&] {
        spin(
            [&] {
                return std::isfinite(player->shownTime()) &&
                       std::abs(player->shownTime() - store.time()) < 0.05;
            },
            30000);
    };

    std::vector<double> targets;  // the trim drag's seeks
    double trimLag = 0;
    for (const QString& name : cases) {
        // Each gesture starts from the same clips, whatever ran before it.
        CWStoreTestAccess::setClips(store, clips + QList<Clip>{pointed});
        if (name == "trim") {
            // No clip selected: the Out handle moves the marks only.
            store.setSelectedClipID(std::nullopt);
            CWStoreTestAccess::setMarks(store, 0, 15);
            store.seek(0);
            shown();
            const QPointF start(geometry.x(store.outMark()) + 7, 0.45 * 110);
            targets.clear();
            const Gesture g = drag(track, *player, store, start, 900,
                                   [&] { targets.push_back(store.outMark()); });
            report("trim", "the Out handle across 900 points", g);
            trimLag = g.lag;
        } else if (name == "point") {
            store.selectClip(pointed);
            shown();
            const double last = pointed.points.back().time;
            const QPointF start = TimelineGeometry::pointMark(geometry, last, 110, 1.0).center();
            const Gesture g = drag(track, *player, store, start, 500, [] {});
            report("point", "the last of 50 frame points along its bar, 500 points", g);
        } else if (name == "scrub") {
            store.selectClip(pointed);
            shown();
            // Below the bars: a press there only ever moves the playhead.
            const QPointF start(geometry.x(pointed.inTime), 0.97 * 110);
            const double span = geometry.x(pointed.outTime) - start.x();
            const Gesture g = drag(track, *player, store, start, span, [] {});
            report("scrub", "the playhead across the clip with 50 frame points", g);
        } else if (name == "crop" || name == "pad") {
            // A plain clip among the thousand: every move is written into it.
            store.selectClip(clips[500]);
            store.setAspect(Aspect::vertical);
            store.setCenterX(0);
            shown();
            if (name == "crop") {
                const QRectF frame = crop.geometry().frame;
                const double span = crop.width() - frame.width();
                const Gesture g = drag(crop, *player, store, frame.center(), span, [] {});
                report("crop", "the vertical crop frame across the viewer's picture", g);
            } else {
                const double span = pad.width() - pad.dotCentre().x() - 2;
                const Gesture g = drag(pad, *player, store, pad.dotCentre(), span, [] {});
                report("pad", "the position pad's dot across the pad", g);
            }
        }
    }
    if (gapsOnly)
        return 0;

    const double serial = qEnvironmentVariableIsSet("CW_NO_MPV") || targets.empty()
                              ? -1
                              : mpvSerial(media, targets, dir.path());
    if (serial > 0)
        std::printf(
            "mpv, the trim drag's %zu exact seeks one after another: %.2f s in all, %.0f ms "
            "each; lag ratio ours/one seek %.2f\n",
            targets.size(), serial, serial * 1e3 / targets.size(),
            trimLag / (serial * 1e3 / targets.size()));
    else
        std::printf("mpv command line: not measured\n");

    // Paint cost: 500 bars (the first 500 of the clips) and 24 thumbnails.
    store.setSelectedClipID(std::nullopt);
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

// The two drags a user makes on a selected clip, with 1,000 clips in the store
// and the views that list them on screen: the bin, the timeline with its clip
// bars, the clips rack and the position pad. A frame drag moves the selected
// clip's frame with the pad; a trim drag pulls its Out handle. Each is 300
// pointer steps at 60 a second. Printed per run and as medians with their
// spread: the longest main-thread gap, the median gap around a pointer step,
// and the main thread's processor time beside the wall time of the drag.
#include "common/storeaccess.h"
#include "store/scriptedplayer_support.h"
#include "store/scriptedservices_support.h"
#include "store/store.h"
#include "theme/mwui.h"
#include "views/bin.h"
#include "views/positionpad.h"
#include "views/rack.h"
#include "views/timeline.h"
#include "views/timelinegeometry.h"
#include "views/timelinetrack.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QHBoxLayout>
#include <QMouseEvent>
#include <QStandardPaths>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <functional>
#include <vector>

namespace {

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

struct Run {
    double longestGap = 0;
    double medianStepGap = 0;
    double wallMs = 0;
    double cpuMs = 0;
};

// Presses at the first point, moves through the rest at 60 a second and lets
// go at the last, while a 1 ms heartbeat on the main thread notes how long it
// waited each time. The paints the steps cause run inside the same loop.
Run drag(QWidget* target, const std::vector<QPointF>& path)
{
    Run run;
    std::vector<double> stepGaps;
    bool stepped = false;
    QElapsedTimer beat;
    QTimer heartbeat;
    heartbeat.setTimerType(Qt::PreciseTimer);
    heartbeat.setInterval(1);
    QObject::connect(&heartbeat, &QTimer::timeout, [&] {
        const double gap = beat.nsecsElapsed() / 1e6;
        run.longestGap = std::max(run.longestGap, gap);
        if (stepped)
            stepGaps.push_back(gap);
        stepped = false;
        beat.restart();
    });
    QElapsedTimer wall;
    wall.start();
    const double cpu = threadMs();
    send(target, QEvent::MouseButtonPress, path.front(), Qt::LeftButton);
    beat.start();
    heartbeat.start();
    std::size_t next = 1;
    QEventLoop loop;
    QTimer mouse;
    mouse.setTimerType(Qt::PreciseTimer);
    mouse.setInterval(1000 / 60);
    QObject::connect(&mouse, &QTimer::timeout, [&] {
        send(target, QEvent::MouseMove, path[next], Qt::LeftButton);
        stepped = true;
        if (++next == path.size()) {
            mouse.stop();
            loop.quit();
        }
    });
    mouse.start();
    loop.exec();
    send(target, QEvent::MouseButtonRelease, path.back(), Qt::NoButton);
    // Let the last step's paint happen inside the measured time.
    QEventLoop settle;
    QTimer::singleShot(50, &settle, &QEventLoop::quit);
    settle.exec();
    heartbeat.stop();
    run.wallMs = wall.nsecsElapsed() / 1e6;
    run.cpuMs = threadMs() - cpu;
    run.medianStepGap = median(stepGaps);
    return run;
}

void report(const char* what, const std::vector<Run>& runs)
{
    auto line = [&](const char* name, double Run::*field) {
        std::vector<double> v;
        for (const Run& r : runs)
            v.push_back(r.*field);
        std::printf("  %-34s median %8.2f ms  (min %.2f – max %.2f)\n", name, median(v),
                    *std::min_element(v.begin(), v.end()), *std::max_element(v.begin(), v.end()));
    };
    std::printf("%s, %zu runs:\n", what, runs.size());
    line("longest main-thread gap", &Run::longestGap);
    line("median gap around a pointer step", &Run::medianStepGap);
    line("wall time of the drag", &Run::wallMs);
    line("main-thread processor time", &Run::cpuMs);
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QStandardPaths::setTestModeEnabled(true);
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    const int clipCount = argc > 2 ? std::max(2, std::atoi(argv[2])) : 1000;

    QFile::remove(CWStore::sessionURL());
    CWStore store(new ScriptedPlayer, new ScriptedServices);
    CWStoreTestAccess::stopObserver(store);
    CWSource source;
    source.id = QUuid::createUuid();
    source.media.original = source.media.playable = "/videos/Interview.mp4";
    source.media.duration = 3600;
    source.media.hasVideo = true;
    source.media.naturalSize = QSizeF(1920, 1080);
    source.media.nominalFrameRate = 25;
    CWStoreTestAccess::addSource(store, source);
    for (int i = 0; i < 3; ++i) {
        CWSource other = source;
        other.id = QUuid::createUuid();
        other.media.original = QString("/videos/Other %1.mp4").arg(i + 1);
        CWStoreTestAccess::addSource(store, other);
    }
    store.select(source.id);
    QList<Clip> clips;
    const Aspect shapes[] = {Aspect::vertical, Aspect::square, Aspect::portrait, Aspect::wide};
    for (int i = 0; i < clipCount; ++i) {
        const double in = i * 3.4;
        clips.append(Clip{QUuid::createUuid(), source.id, QString("Interview – clip %1").arg(i + 1),
                          in, in + 2.5, shapes[i % 4], 1.6, 0.5, 0.5});
    }
    CWStoreTestAccess::setClips(store, clips);
    store.selectClip(clips[clipCount / 2]);

    // The views as the window lays them out, at its default size.
    QWidget window;
    auto* row = new QHBoxLayout(&window);
    auto* bin = new CWBin(&store, &window);
    bin->setFixedWidth(260);
    row->addWidget(bin);
    auto* column = new QVBoxLayout;
    auto* pad = new CWPositionPad(&store, &window);
    column->addWidget(pad, 0, Qt::AlignRight);
    column->addStretch(1);
    auto* timeline = new CWTimeline(&store, &window);
    timeline->setRack(new CWRack(&store));
    timeline->setFixedHeight(240);
    column->addWidget(timeline);
    row->addLayout(column, 1);
    window.resize(1440, 900);
    window.show();
    QApplication::processEvents();
    CWTimelineTrack* track = timeline->track();

    std::vector<Run> frames, trims;
    for (int r = 0; r < runs; ++r) {
        // The frame: a circle around the pad's middle, so the frame moves at
        // every step without resting against an edge.
        std::vector<QPointF> circle;
        const double s = CWPositionPad::side();
        for (int i = 0; i <= 300; ++i) {
            const double a = i * 2 * M_PI / 100;
            circle.emplace_back(s / 2 + s / 4 * std::cos(a), s / 2 + s / 4 * std::sin(a));
        }
        // The Out handle, out and back (the selected clip's length changes).
        const TrimMath::Track t =
            TimelineGeometry::track(track->width(), source.media.duration, 1.0);
        const QPointF grip(t.x(store.outMark()) + 7, 0.45 * track->height());
        std::vector<QPointF> pull;
        for (int i = 0; i <= 300; ++i)
            pull.push_back(grip + QPointF(i <= 150 ? i : 300 - i, 0));
        const bool frameFirst = r % 2 == 0;  // alternate which drag runs first
        if (frameFirst)
            frames.push_back(drag(pad, circle));
        trims.push_back(drag(track, pull));
        if (!frameFirst)
            frames.push_back(drag(pad, circle));
        std::printf("run %d: frame drag gap %.1f ms (step %.2f), trim drag gap %.1f ms (step "
                    "%.2f)\n",
                    r + 1, frames.back().longestGap, frames.back().medianStepGap,
                    trims.back().longestGap, trims.back().medianStepGap);
    }
    std::printf("%d clips, window 1440x900, 300 pointer steps at 60 a second\n", clipCount);
    report("frame drag (position pad)", frames);
    report("trim drag (Out handle)", trims);
    return 0;
}

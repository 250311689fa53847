// What the session save costs a drag with 1,000 clips: one step of a trim drag
// (one save) and one step of a crop-frame drag (the centre's x and y: two saves).
#include "common/silentplayer.h"
#include "common/storeaccess.h"
#include "platform/services.h"
#include "store/store.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QStandardPaths>
#include <algorithm>
#include <cstdio>
#include <utility>
#include <vector>

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    cwNameApplication();
    QStandardPaths::setTestModeEnabled(true);

    CWStore store(new SilentPlayer);
    CWSource source;
    source.id = QUuid::createUuid();
    source.media.original = QStringLiteral("/videos/a long interview recording.mov");
    source.media.duration = 7200;
    CWStoreTestAccess::addSource(store, source);
    store.select(source.id);
    QList<Clip> clips;
    for (int i = 0; i < 1000; ++i)
        clips.append(Clip{QUuid::createUuid(), source.id,
                          QStringLiteral("a long interview recording – clip %1").arg(i + 1),
                          i * 7.0, i * 7.0 + 5.5, Aspect::vertical, 1.25, 0.4, 0.5});
    CWStoreTestAccess::setClips(store, clips);
    CWStoreTestAccess::setRestoreStarted(store, true);
    store.selectClip(store.clips()[500]);

    // Median and 95th percentile of 200 steps, in milliseconds.
    auto measure = [](const auto& step) {
        std::vector<double> times;
        for (int i = 0; i < 200; ++i) {
            QElapsedTimer t;
            t.start();
            step(i);
            times.push_back(double(t.nsecsElapsed()) / 1e6);
        }
        std::sort(times.begin(), times.end());
        return std::pair(times[times.size() / 2], times[times.size() * 95 / 100]);
    };
    // A trim drag step moves one mark; a crop-frame drag step moves the centre.
    const auto trim = measure([&](int i) { store.setOut(3505.5 + i * 0.04); });
    const auto crop = measure([&](int i) {
        store.setCenterX(0.3 + i * 0.001);
        store.setCenterY(0.6 - i * 0.001);
    });
    QFile f(CWStore::sessionURL());
    std::printf("save cost, 1000 clips, session %lld bytes (a 60 Hz drag allows 16.7 ms a step)\n"
                "  trim drag step:       median %.2f ms, p95 %.2f ms\n"
                "  crop-frame drag step: median %.2f ms, p95 %.2f ms\n",
                (long long)f.size(), trim.first, trim.second, crop.first, crop.second);
    QFile::remove(CWStore::sessionURL());
    return 0;
}

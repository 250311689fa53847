// What one session save costs with 1,000 clips, and so one step of a trim drag
// (two saves: In or Out is written back, then the other mark).
#include "common/silentplayer.h"
#include "common/storeaccess.h"
#include "store/store.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QStandardPaths>
#include <algorithm>
#include <cstdio>
#include <vector>

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Marrowick"));
    QApplication::setApplicationName(QStringLiteral("Cutwright"));
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

    std::vector<double> steps;
    for (int i = 0; i < 200; ++i) {
        QElapsedTimer t;
        t.start();
        store.setOut(3505.5 + i * 0.04);  // one drag step: two saves
        steps.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    std::sort(steps.begin(), steps.end());
    QFile f(CWStore::sessionURL());
    std::printf("save cost, 1000 clips, session %lld bytes: drag step median %.2f ms, p95 %.2f ms "
                "(one save ≈ %.2f ms); a 60 Hz drag allows 16.7 ms per step\n",
                (long long)f.size(), steps[steps.size() / 2], steps[steps.size() * 95 / 100],
                steps[steps.size() / 2] / 2);
    QFile::remove(CWStore::sessionURL());
    return 0;
}

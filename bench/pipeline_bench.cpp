// The whole job through the store, without a window:
//   bench_pipeline import FILE…   seconds until the last file is current with its
//                                 filmstrip and black-bar rectangle
//   bench_pipeline export FILE…   seconds to export one 15 s 9:16 clip per file
//   bench_pipeline args FILE…     the fast path's argument lists, one per line,
//                                 for the same work run by hand
// Run in a private HOME so the converter cache and session start empty.
#include "common/silentplayer.h"
#include "common/storeaccess.h"
#include "export/fastexport.h"
#include "model/cropmath.h"
#include "platform/services.h"
#include "store/scriptedservices_support.h"
#include "store/store.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>

namespace {
bool wait(QSignalSpy& spy, int count)
{
    // Sleeps in the event loop: processEvents with a time limit drops
    // WaitForMoreEvents and would spin, taking a core from the encoders timed.
    if (spy.count() >= count)
        return true;
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (spy.count() >= count)
            loop.quit();
    });
    QTimer::singleShot(3600000, &loop, &QEventLoop::quit);
    poll.start(20);
    loop.exec();
    return spy.count() >= count;
}
}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    cwNameApplication();
    QStandardPaths::setTestModeEnabled(true);
    const QStringList all = QCoreApplication::arguments();
    if (all.size() < 3)
        return 2;
    const QString mode = all[1];
    const QStringList files = all.mid(2);

    auto* services = new ScriptedServices;
    services->cores = QThread::idealThreadCount();
    CWStore store(new SilentPlayer, services);
    QSignalSpy imported(&store, &CWStore::importFinished);
    QElapsedTimer clock;
    clock.start();
    store.enqueueImport(files);
    if (!wait(imported, 1) || store.sources().size() != files.size())
        return 1;
    // The batching queue waits 0.6 s for more drops; that wait is not work.
    const double importSeconds = double(clock.nsecsElapsed()) / 1e9 - 0.6;
    if (mode == QLatin1String("import")) {
        std::printf("%.3f\n", importSeconds);
        return 0;
    }

    QList<Clip> clips;
    for (const CWSource& s : store.sources())
        clips << Clip{QUuid::createUuid(),
                      s.id,
                      QStringLiteral("bench"),
                      10,
                      25,
                      Aspect::vertical,
                      1,
                      0.5,
                      0.5};
    CWStoreTestAccess::setClips(store, clips);
    if (mode == QLatin1String("args")) {
        QTemporaryDir out;
        for (int i = 0; i < clips.size(); ++i) {
            const CWSource& s = store.sources()[i];
            const QSizeF render = renderSize(Aspect::vertical, 1080);
            const QRectF crop =
                CropMath::cropFrame(Aspect::vertical, 1, 0.5, 0.5, s.media.naturalSize, s.picture);
            const QStringList args = ClipExporter::fastArgs(
                s.media, 10, 25, crop, render, out.filePath(QStringLiteral("%1.mp4").arg(i)));
            std::printf("%s\n", args.join(QLatin1Char('\t')).toUtf8().constData());
        }
        return 0;
    }
    QTemporaryDir out;
    services->folder = out.path();
    QSignalSpy exported(&store, &CWStore::exportFinished);
    clock.restart();
    store.exportAll();
    if (!wait(exported, 1))
        return 1;
    for (const ExportRow& row : store.exportRows()) {
        if (row.state != QLatin1String("Done"))
            return 1;
    }
    std::printf("%.3f\n", double(clock.nsecsElapsed()) / 1e9);
    return 0;
}

// Cancels a long fast-path export after a while and prints how long the
// cancel took to take effect (from Job::cancel() until the export has ended
// and its partial file is gone), so bench/cancel.sh can set it against what
// the converter itself takes to end when asked to stop.
//
//   bench_cancel SOURCE OUT AFTER   export all of SOURCE (9:16 at 1080) to OUT,
//                                   cancel AFTER seconds in; prints
//                                   "<latency seconds> <file gone 1|0>"

#include "export/exporter.h"
#include "media/opener.h"
#include "model/mwerror.h"
#include "platform/asset.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTimer>
#include <clocale>
#include <cstdio>

namespace {

QCoro::Task<int> exportThenCancel(MWOpenedMedia media, QString out, int afterMs)
{
    auto job = std::make_shared<ClipExporter::Job>();
    Clip clip;
    clip.name = QStringLiteral("Bench");
    clip.outTime = media.duration;
    clip.aspect = Aspect::vertical;
    QElapsedTimer sinceCancel;
    QTimer::singleShot(afterMs, [job, &sinceCancel] {
        sinceCancel.start();
        job->cancel();
    });
    bool cancelled = false;
    try {
        QCoro::Task<QString> task = ClipExporter::exportClip(clip, media, {}, 1080, out, job, {});
        co_await std::move(task);
    } catch (const MWCancelled&) {
        cancelled = true;
    } catch (const MWError& e) {
        std::fprintf(stderr, "export failed: %s\n", qPrintable(e.message));
    }
    if (!cancelled || !sinceCancel.isValid()) {
        std::fprintf(stderr, "the export ended before the cancel\n");
        co_return 1;
    }
    std::printf("%.3f %d\n", sinceCancel.nsecsElapsed() / 1e9, QFileInfo::exists(out) ? 0 : 1);
    co_return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    const QStringList a = app.arguments();
    if (a.size() != 4)
        return 2;
    const MWOpenedMedia media =
        MWMediaOpener::inspected(MWAsset::open(a[1]), a[1], false, std::nullopt, false);
    int rc = 1;
    QTimer::singleShot(0, [&] {
        QCoro::connect(exportThenCancel(media, a[2], int(a[3].toDouble() * 1000)), &app,
                       [&](int result) {
                           rc = result;
                           app.quit();
                       });
    });
    app.exec();
    return rc;
}

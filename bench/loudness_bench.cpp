// Exports the whole of a source as one centred 9:16 clip at 720, with the
// sound at its source level or normalised, through one engine, and prints the
// wall-clock seconds, so bench/loudness.sh can set the two levels side by side;
// or only measures the whole source's sound as a normalised export does first.
//
//   bench_loudness SOURCE fast|composition source|normalized OUT
//   bench_loudness SOURCE measure

#include "exportrun.h"

#include "export/exporter.h"
#include "export/loudness.h"
#include "media/opener.h"
#include "model/mwerror.h"
#include "platform/asset.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <clocale>
#include <cstdio>

namespace {

MWOpenedMedia opened(const QString& path)
{
    return MWMediaOpener::inspected(MWAsset::open(path), path, false, std::nullopt, false);
}

QCoro::Task<int> measureWhole(QString path)
{
    const MWOpenedMedia media = opened(path);
    auto job = std::make_shared<ClipExporter::Job>();
    job->normalizeLoudness = true;
    QElapsedTimer timer;
    timer.start();
    QCoro::Task<QString> task = CWLoudness::clipFilters(media, 0, media.duration, job);
    const QString filters = co_await std::move(task);
    std::printf("%.3f\n", timer.nsecsElapsed() / 1e9);
    co_return filters.isEmpty() ? 1 : 0;
}

QCoro::Task<int> exportWhole(QString path, bool fast, bool normalize, QString to)
{
    const MWOpenedMedia media = opened(path);
    auto job = std::make_shared<ClipExporter::Job>();
    job->forceComposition = !fast;
    job->normalizeLoudness = normalize;
    Clip clip;
    clip.name = QStringLiteral("Bench");
    clip.outTime = media.duration;
    clip.aspect = Aspect::vertical;
    QElapsedTimer timer;
    timer.start();
    QCoro::Task<bool> exporting = exportOrSay(clip, media, 720, to, job);
    if (!co_await std::move(exporting))
        co_return 1;
    std::printf("%.3f\n", timer.nsecsElapsed() / 1e9);
    co_return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    const QStringList a = app.arguments();
    const bool measuring = a.size() == 3 && a[2] == QLatin1String("measure");
    if (a.size() != 5 && !measuring)
        return 2;
    int rc = 1;
    QTimer::singleShot(0, [&] {
        QCoro::connect(measuring ? measureWhole(a[1])
                                 : exportWhole(a[1], a[2] == QLatin1String("fast"),
                                               a[3] == QLatin1String("normalized"), a[4]),
                       &app, [&](int result) {
                           rc = result;
                           app.quit();
                       });
    });
    app.exec();
    return rc;
}

// Exports clips of one source through Cutwright's exporter and prints the
// wall-clock seconds, so bench/export.sh can set them against the ffmpeg
// command line doing the same work.
//
//   bench_export describe SOURCE SHORTSIDE           crop, size, rates of a centred 9:16 clip
//   bench_export args SOURCE SHORTSIDE OUT [CLIP CLIPS]
//                                                    the converter's command line, one per line
//                                                    (for clip CLIP of CLIPS equal clips)
//   bench_export run SOURCE SHORTSIDE fast|composition OUTDIR CLIPS
//                                                    CLIPS equal clips covering the source, in turn
//   bench_export motion SOURCE SHORTSIDE static|moving OUTDIR
//                                                    5 s…15 s through the fast path, its frame
//                                                    centred or moving (glides and a cut)
//   bench_export motionfilter SOURCE SHORTSIDE static|moving OUTDIR
//                                                    that export's picture filters (commands
//                                                    written to OUTDIR), for a run without encoder
//   bench_export captions SOURCE SHORTSIDE fast|composition on|off OUTDIR
//                                                    5 s…15 s centred through one engine, with
//                                                    captions (a cue every 2 s) burned in or not

#include "exportrun.h"

#include "export/avexport.h"
#include "export/exporter.h"
#include "export/fastexport.h"
#include "export/framemotion.h"
#include "media/opener.h"
#include "model/cropmath.h"
#include "model/framepath.h"
#include "model/mwerror.h"
#include "platform/asset.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTextStream>
#include <QTimer>
#include <clocale>
#include <cstdio>

namespace {

MWOpenedMedia openMedia(const QString& path)
{
    return MWMediaOpener::inspected(MWAsset::open(path), path, false, std::nullopt, false);
}

Clip centred(double in, double out)
{
    Clip c;
    c.name = QStringLiteral("Bench");
    c.inTime = in;
    c.outTime = out;
    c.aspect = Aspect::vertical;
    return c;
}

QCoro::Task<int> runAll(MWOpenedMedia media, int shortSide, bool fast, QString dir, int clips)
{
    auto job = std::make_shared<ClipExporter::Job>();
    job->forceComposition = !fast;
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < clips; ++i) {
        const double step = media.duration / clips;
        const QString to = dir + QStringLiteral("/clip%1.mp4").arg(i + 1);
        QCoro::Task<bool> exporting =
            exportOrSay(centred(i * step, (i + 1) * step), media, shortSide, to, job);
        if (!co_await std::move(exporting))
            co_return 1;
    }
    std::printf("%.3f\n", timer.nsecsElapsed() / 1e9);
    co_return 0;
}

// A frame that holds, glides across and in, cuts, and glides back out.
Clip moving(double in, double out)
{
    Clip c = centred(in, out);
    c.points = {{6, 0.25, 0.5, 1, false},
                {9, 0.75, 0.4, 2, false},
                {12, 0.4, 0.6, 1.5, true},
                {14, 0.6, 0.5, 1, false}};
    FramePath::mirrorFirstPoint(c);
    return c;
}

// A two-line caption from every even second, shown for 1.8 s.
Captions::Cues everyTwoSeconds(double length)
{
    Captions::Cues cues;
    for (int i = 0; 2.0 * i < length; ++i)
        cues.push_back({2.0 * i, 2.0 * i + 1.8,
                        QStringLiteral("Caption %1: what was said here, long enough\nto take "
                                       "a second line on a phone")
                            .arg(i + 1)});
    return cues;
}

QCoro::Task<int> runOne(MWOpenedMedia media, int shortSide, Clip clip, QString to,
                        bool composition = false, Captions::Cues captions = {})
{
    auto job = std::make_shared<ClipExporter::Job>();
    job->forceComposition = composition;
    QElapsedTimer timer;
    timer.start();
    QCoro::Task<bool> exporting = exportOrSay(clip, media, shortSide, to, job, captions);
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
    if (a.size() < 4)
        return 2;
    const MWOpenedMedia media = openMedia(a[2]);
    const int shortSide = a[3].toInt();
    const QSize render = renderSize(Aspect::vertical, shortSide);
    const QRectF crop =
        CropMath::cropFrame(Aspect::vertical, 1, 0.5, 0.5, media.naturalSize, std::nullopt);
    QTextStream out(stdout);

    if (a[1] == QLatin1String("describe")) {
        const auto px = CropMath::pixelCrop(crop, media.naturalSize);
        const ClipExporter::Delivery d = ClipExporter::deliveryFor(media, render);
        out << "crop=" << px.w << ':' << px.h << ':' << px.x << ':' << px.y
            << " scale=" << render.width() << ':' << render.height()
            << " fps=" << d.frameRate.text() << " bitrate=" << d.bitRate << Qt::endl;
        return 0;
    }
    if (a[1] == QLatin1String("args") && (a.size() == 5 || a.size() == 7)) {
        const int clip = a.size() == 7 ? a[5].toInt() : 1;
        const int clips = a.size() == 7 ? a[6].toInt() : 1;
        const double step = media.duration / clips;
        for (const QString& arg :
             ClipExporter::fastArgs(media, (clip - 1) * step, clip * step, crop, render, a[4]))
            out << arg << '\n';
        return 0;
    }
    if (a[1] == QLatin1String("run") && a.size() == 7) {
        int rc = 1;
        QTimer::singleShot(0, [&] {
            QCoro::connect(
                runAll(media, shortSide, a[4] == QLatin1String("fast"), a[5], a[6].toInt()), &app,
                [&](int result) {
                    rc = result;
                    app.quit();
                });
        });
        app.exec();
        return rc;
    }
    if (a[1] == QLatin1String("motionfilter") && a.size() == 6) {
        const bool move = a[4] == QLatin1String("moving");
        const Clip clip = move ? moving(5, 15) : centred(5, 15);
        const FramePath::Frame f = FramePath::frameAt(clip, 5);
        const QRectF first =
            CropMath::cropFrame(clip.aspect, f.zoom, f.centerX, f.centerY, media.naturalSize, {});
        const ClipExporter::Delivery d = ClipExporter::deliveryFor(media, render);
        QString commands;
        if (move) {
            commands = a[5] + QStringLiteral("/crop.cmd");
            QFile file(commands);
            if (!file.open(QIODevice::WriteOnly))
                return 1;
            file.write(
                ClipExporter::cropCommands(
                    ClipExporter::cropChanges(clip, media, {}, d.frameRate, 5, 15), d.frameRate)
                    .toUtf8());
        }
        const QStringList args =
            ClipExporter::fastArgs(media, 5, 15, first, render, a[5] + "/x.mp4", {}, commands);
        out << args.at(args.indexOf(QStringLiteral("-vf")) + 1) << Qt::endl;
        return 0;
    }
    if (a[1] == QLatin1String("captions") && a.size() == 7) {
        Clip clip = centred(5, 15);
        const bool on = a[5] == QLatin1String("on");
        clip.captions = on;
        const bool composition = a[4] == QLatin1String("composition");
        const QString to = a[6] + QStringLiteral("/") + a[4] + a[5] + QStringLiteral(".mp4");
        QFile::remove(to);
        int rc = 1;
        QTimer::singleShot(0, [&] {
            QCoro::connect(runOne(media, shortSide, clip, to, composition,
                                  on ? everyTwoSeconds(media.duration) : Captions::Cues{}),
                           &app, [&](int result) {
                               rc = result;
                               app.quit();
                           });
        });
        app.exec();
        return rc;
    }
    if (a[1] == QLatin1String("motion") && a.size() == 6) {
        const Clip clip = a[4] == QLatin1String("moving") ? moving(5, 15) : centred(5, 15);
        const QString to = a[5] + QStringLiteral("/") + a[4] + QStringLiteral(".mp4");
        QFile::remove(to);
        int rc = 1;
        QTimer::singleShot(0, [&] {
            QCoro::connect(runOne(media, shortSide, clip, to), &app, [&](int result) {
                rc = result;
                app.quit();
            });
        });
        app.exec();
        return rc;
    }
    return 2;
}

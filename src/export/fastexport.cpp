#include "export/fastexport.h"

#include "export/delivery.h"
#include "export/loudness.h"
#include "media/childprocess.h"
#include "media/converter.h"
#include "model/cropmath.h"
#include "model/mwerror.h"
#include "platform/asset.h"

#include <QCoroFuture>
#include <QFile>
#include <QFuture>
#include <QProcess>
#include <QPromise>
#include <QTemporaryDir>
#include <algorithm>
#include <cmath>
#include <mutex>

namespace ClipExporter {

namespace {

// The converter's diagnostic text, shared by the reader and the end of the run.
struct OutputBox {
    std::mutex lock;
    QString text;

    void append(const QString& chunk)
    {
        std::lock_guard guard(lock);
        text += chunk;
        if (text.size() > 3000)
            text = text.right(3000);
    }
    QString read()
    {
        std::lock_guard guard(lock);
        return text;
    }
};

QString number(long long value)
{
    return QString::number(value);
}

}  // namespace

CropMath::PixelRect storedCrop(const MWOpenedMedia& media, const QRectF& crop)
{
    const QSizeF shown = media.naturalSize;
    if (!media.asset || media.asset->storedSize.isEmpty() || shown.isEmpty())
        return CropMath::pixelCrop(crop, shown);
    // Turned upright first, as both engines turn the picture before they crop;
    // a quarter turn puts the stretched side across.
    const QRectF upright =
        media.preferredTransform.mapRect(QRectF(QPointF(0, 0), media.asset->storedSize));
    const QSizeF stored(std::abs(upright.width()), std::abs(upright.height()));
    const double sx = stored.width() / shown.width();
    const double sy = stored.height() / shown.height();
    const QRectF mapped(crop.x() * sx, crop.y() * sy, crop.width() * sx, crop.height() * sy);
    return CropMath::pixelCrop(mapped, stored);
}

QStringList fastArgs(const MWOpenedMedia& media, double start, double end, const QRectF& crop,
                     QSizeF render, const QString& to, const QString& audioFilters,
                     const QString& cropCommandsFile, const QString& captions)
{
    const CropMath::PixelRect px = storedCrop(media, crop);
    const Delivery d = deliveryFor(media, render.toSize());
    const QString length = QString::asprintf("%.3f", end - start);
    const long long b = d.bitRate;
    // The rate first, so that dropped frames are never cropped or scaled. The
    // rate filter ends with the last frame's start; the picture holds its last
    // frame to the clip's end instead, as the sound runs on, and the output's
    // length cuts it there.
    QString filter = QStringLiteral("fps=%1,tpad=stop_mode=clone:stop_duration=%2,")
                         .arg(d.frameRate.text(), length);
    // The commands are timed on the output's frames, so they come after the
    // rate. The scale only notices a new crop size when the frame's size
    // differs from its input's, which the crop's own commands have already
    // changed: a filter between them keeps the old size there until a frame
    // of the new one arrives.
    if (!cropCommandsFile.isEmpty())
        filter += QStringLiteral("sendcmd=f=") + filterPath(cropCommandsFile) + QLatin1Char(',');
    filter += QStringLiteral("crop=%1:%2:%3:%4,")
                  .arg(number(px.w), number(px.h), number(px.x), number(px.y));
    if (!cropCommandsFile.isEmpty())
        filter += QStringLiteral("null,");
    filter += d.pictureChain(QStringLiteral("nv12"), captions);
    QStringList args{QStringLiteral("-hide_banner"),
                     QStringLiteral("-nostdin"),
                     QStringLiteral("-y"),
                     QStringLiteral("-ss"),
                     QString::asprintf("%.3f", start),
                     QStringLiteral("-t"),
                     length,
                     QStringLiteral("-i"),
                     media.playable,
                     QStringLiteral("-map"),
                     QStringLiteral("0:v:0"),
                     QStringLiteral("-map"),
                     QStringLiteral("0:a:0?"),
                     QStringLiteral("-vf"),
                     filter,
                     QStringLiteral("-c:v"),
                     QStringLiteral("h264_videotoolbox"),
                     QStringLiteral("-allow_sw"),
                     QStringLiteral("1"),
                     QStringLiteral("-profile:v"),
                     QStringLiteral("high"),
                     QStringLiteral("-level:v"),
                     d.level,
                     QStringLiteral("-g"),
                     number(d.keyFrameInterval),
                     QStringLiteral("-flags"),
                     QStringLiteral("+cgop"),
                     QStringLiteral("-b:v"),
                     number(b),
                     QStringLiteral("-maxrate"),
                     number(b * 3 / 2),
                     QStringLiteral("-bufsize"),
                     number(b * 2),
                     QStringLiteral("-color_primaries"),
                     QStringLiteral("bt709"),
                     QStringLiteral("-color_trc"),
                     QStringLiteral("bt709"),
                     QStringLiteral("-colorspace"),
                     QStringLiteral("bt709"),
                     QStringLiteral("-color_range"),
                     QStringLiteral("tv")};
    if (media.hasAudio) {
        // The AAC encoder's first 1,024 samples are its own priming. With no
        // edit list to hide them they play at the start, so as many samples
        // of the clip's sound are left out there to keep it on the picture.
        // Normalising works on the 48 kHz stereo sound, as it was measured.
        const QString sound = audioFilters.isEmpty() ? QStringLiteral("aresample=48000")
                                                     : CWLoudness::onExportedSound(audioFilters);
        args << QStringLiteral("-af") << sound + QStringLiteral(",atrim=start_sample=1024")
             << QStringLiteral("-c:a") << QStringLiteral("aac") << QStringLiteral("-b:a")
             << QStringLiteral("192k") << QStringLiteral("-ac")
             << QStringLiteral("2")
             // Short-video platforms take AAC at 48 kHz at most; 48 kHz is
             // what every one of them takes.
             << QStringLiteral("-ar") << QStringLiteral("48000");
    }
    // Both tracks start at 0 without an edit list (some platforms mishandle
    // them): the picture's reordering delay goes into negative composition
    // offsets instead.
    args << QStringLiteral("-t") << length << QStringLiteral("-movflags")
         << QStringLiteral("+faststart+negative_cts_offsets") << QStringLiteral("-use_editlist")
         << QStringLiteral("0") << QStringLiteral("-f") << QStringLiteral("mp4") << to;
    return args;
}

QString lastTwoLines(const QString& text)
{
    QStringList lines = text.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    if (lines.size() > 2)
        lines = lines.mid(lines.size() - 2);
    return lines.join(QLatin1Char(' '));
}

QCoro::Task<void> fastExport(QString exe, MWOpenedMedia media, double start, double end,
                             QRectF crop, QSizeF render, QString to, std::shared_ptr<Job> job,
                             Progress progress, QString audioFilters, std::vector<CropChange> moves,
                             QString captions)
{
    const double length = std::max(end - start, 0.1);
    QTemporaryDir commandsDir;
    QString commandsFile;
    if (!moves.empty()) {
        commandsFile = commandsDir.filePath(QStringLiteral("crop.cmd"));
        QFile file(commandsFile);
        const Delivery d = deliveryFor(media, render.toSize());
        if (!commandsDir.isValid() || !file.open(QIODevice::WriteOnly) ||
            file.write(cropCommands(moves, d.frameRate).toUtf8()) < 0 || !file.flush())
            throw MWError(QStringLiteral("Couldn't prepare the moving frame."));
    }
    auto process = std::make_unique<QProcess>();
    QProcess* p = process.get();
    cwEndsWithProgram(*p);
    p->setProgram(exe);
    p->setArguments(
        fastArgs(media, start, end, crop, render, to, audioFilters, commandsFile, captions));
    p->setStandardOutputFile(QProcess::nullDevice());
    auto box = std::make_shared<OutputBox>();

    const QMetaObject::Connection reader =
        QObject::connect(p, &QProcess::readyReadStandardError, p, [p, box, progress, length] {
            const QByteArray bytes = p->readAllStandardError();
            if (bytes.isEmpty())
                return;
            const QString chunk = QString::fromUtf8(bytes);
            box->append(chunk);
            // Only this chunk is searched: a "time=" split across two is missed.
            const qsizetype at = chunk.lastIndexOf(QLatin1String("time="));
            if (at < 0)
                return;
            const double seconds = MWMediaOpener::parseClock(chunk.mid(at + 5, 11));
            // A time before the start (a negative clock) is no progress yet.
            report(progress, MWMediaOpener::clockFraction(seconds, length, 0.99));
        });

    // Completed once: when the process ends, or when it never starts.
    auto ended = std::make_shared<QPromise<void>>();
    ended->start();
    bool launchFailed = false;
    QObject::connect(p, &QProcess::finished, p, [ended] { ended->finish(); });
    QObject::connect(p, &QProcess::errorOccurred, p,
                     [ended, &launchFailed](QProcess::ProcessError error) {
                         if (error != QProcess::FailedToStart)
                             return;
                         launchFailed = true;
                         ended->finish();
                     });

    job->add(p);
    p->start();
    QFuture<void> finished = ended->future();  // named: see exportClip
    co_await finished;

    QObject::disconnect(reader);
    job->remove(p);
    const QString text = box->read();
    if (launchFailed)
        throw MWError(p->errorString());
    if (job->cancelled())
        throw MWCancelled();
    // A converter killed by a signal is a failure whatever its exit code reads.
    if (p->exitStatus() == QProcess::NormalExit && p->exitCode() == 0)
        co_return;
    throw MWError(lastTwoLines(text));
}

}  // namespace ClipExporter

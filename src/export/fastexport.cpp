#include "export/fastexport.h"

#include "export/loudness.h"
#include "media/childprocess.h"
#include "media/converter.h"
#include "model/cropmath.h"
#include "model/mwerror.h"
#include "platform/asset.h"

#include <QCoroFuture>
#include <QFuture>
#include <QProcess>
#include <QPromise>
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

long long fastBitRate(QSizeF render, float nominalFrameRate)
{
    const double fps = nominalFrameRate > 1 ? std::min(double(nominalFrameRate), 60.0) : 30.0;
    const double rw = double((long long)render.width());
    const double rh = double((long long)render.height());
    const auto raw = (long long)(rw * rh * fps * 0.16);
    return std::max(raw, 4000000LL);
}

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
                     QSizeF render, const QString& to, const QString& audioFilters)
{
    const CropMath::PixelRect px = storedCrop(media, crop);
    const auto rw = (long long)render.width();
    const auto rh = (long long)render.height();
    const long long b = fastBitRate(render, media.nominalFrameRate);
    const QString filter =
        QStringLiteral("crop=%1:%2:%3:%4,scale=%5:%6:flags=bicubic,setsar=1,"
                       "format=nv12")
            .arg(number(px.w), number(px.h), number(px.x), number(px.y), number(rw), number(rh));
    QStringList args{QStringLiteral("-hide_banner"),
                     QStringLiteral("-nostdin"),
                     QStringLiteral("-y"),
                     QStringLiteral("-ss"),
                     QString::asprintf("%.3f", start),
                     QStringLiteral("-t"),
                     QString::asprintf("%.3f", end - start),
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
                     QStringLiteral("-b:v"),
                     number(b),
                     QStringLiteral("-maxrate"),
                     number(b * 3 / 2),
                     QStringLiteral("-bufsize"),
                     number(b * 2)};
    if (media.hasAudio) {
        args << QStringLiteral("-c:a") << QStringLiteral("aac") << QStringLiteral("-b:a")
             << QStringLiteral("192k") << QStringLiteral("-ac")
             << QStringLiteral("2")
             // Short-video platforms take AAC at 48 kHz at most; 48 kHz is
             // what every one of them takes.
             << QStringLiteral("-ar") << QStringLiteral("48000");
        if (!audioFilters.isEmpty())
            args << QStringLiteral("-af") << CWLoudness::onExportedSound(audioFilters);
    }
    args << QStringLiteral("-movflags") << QStringLiteral("+faststart") << QStringLiteral("-f")
         << QStringLiteral("mp4") << to;
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
                             Progress progress, QString audioFilters)
{
    const double length = std::max(end - start, 0.1);
    auto process = std::make_unique<QProcess>();
    QProcess* p = process.get();
    cwEndsWithProgram(*p);
    p->setProgram(exe);
    p->setArguments(fastArgs(media, start, end, crop, render, to, audioFilters));
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

#include "media/converter.h"

#include "media/childprocess.h"
#include "media/opener_worker.h"
#include "model/mwerror.h"
#include "platform/asset.h"
#include "platform/remux.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QPromise>
#include <QStringDecoder>
#include <QTimer>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <memory>

namespace MWMediaOpener {

namespace {

const QString missing =
    QStringLiteral("The built-in converter is missing from this copy of the app.");
constexpr qsizetype tailLength = 4000;
// "time=" and "Duration: " are followed by hh:mm:ss.ss, eleven characters.
constexpr qsizetype clockLength = 11;

const QStringList deinterlaceAndEvenSides = {
    QStringLiteral("-vf"),
    QStringLiteral("yadif=deint=interlaced,scale=trunc(iw/2)*2:trunc(ih/2)*2")};
const QStringList stereoAac = {QStringLiteral("-c:a"), QStringLiteral("aac"),
                               QStringLiteral("-b:a"), QStringLiteral("192k"),
                               QStringLiteral("-ac"),  QStringLiteral("2")};

QStringList head(const QString& src)
{
    return {QStringLiteral("-hide_banner"), QStringLiteral("-nostdin"), QStringLiteral("-y"),
            QStringLiteral("-i"), src};
}

const QStringList firstStreams = {QStringLiteral("-map"), QStringLiteral("0:v:0?"),
                                  QStringLiteral("-map"), QStringLiteral("0:a:0?")};

// Whole decimal digits, with a fraction after one point where fraction is
// allowed: the shape of each piece of the converter's clock, nothing more.
// No sign, no exponent, no spaces, no "nan" or "inf".
bool clockPiece(const QString& text, bool fraction, double& value)
{
    const QByteArray bytes = text.toLatin1();
    bool point = false;
    int digits = 0;
    for (const char c : bytes) {
        if (c >= '0' && c <= '9')
            ++digits;
        else if (c == '.' && fraction && !point)
            point = true;
        else
            return false;
    }
    if (digits == 0 || text.size() != bytes.size())
        return false;
    const char* end = bytes.constData() + bytes.size();
    const auto [stop, error] = std::from_chars(bytes.constData(), end, value);
    return error == std::errc() && stop == end && std::isfinite(value);
}

}  // namespace

std::optional<QString> converterURL()
{
    // The executable does not move; finding its folder once also keeps the
    // first lookups of concurrent workers from racing inside Qt.
    static const QString beside =
        QCoreApplication::applicationDirPath() + QStringLiteral("/../libexec/cutwright/ffmpeg");
    QString path = qEnvironmentVariable("CUTWRIGHT_CONVERTER");
    if (path.isEmpty())
        path = beside;
    const QFileInfo info(QDir::cleanPath(path));
    if (info.isFile() && info.isExecutable())
        return info.absoluteFilePath();
    return std::nullopt;
}

QStringList firstAttempt(const QString& src, const QString& dst)
{
    return head(src) + firstStreams +
           QStringList{QStringLiteral("-c:v"),     QStringLiteral("h264_videotoolbox"),
                       QStringLiteral("-b:v"),     QStringLiteral("8M"),
                       QStringLiteral("-pix_fmt"), QStringLiteral("yuv420p")} +
           deinterlaceAndEvenSides + stereoAac +
           QStringList{QStringLiteral("-movflags"), QStringLiteral("+faststart"), dst};
}

QStringList secondAttempt(const QString& src, const QString& dst, bool wantVideo)
{
    if (!wantVideo)
        return head(src) + QStringList{QStringLiteral("-vn")} + stereoAac + QStringList{dst};
    return head(src) + firstStreams +
           QStringList{QStringLiteral("-c:v"), QStringLiteral("mpeg4"), QStringLiteral("-q:v"),
                       QStringLiteral("3")} +
           deinterlaceAndEvenSides + stereoAac + QStringList{dst};
}

QCoro::Task<void> convertWithBuiltIn(QString src, QString dst, bool wantVideo, MWStatus status)
{
    const std::optional<QString> exe = converterURL();
    if (!exe)
        throw MWError(missing);
    const auto probe = [src] { return probeDuration(src); };
    const double duration = co_await onWorker(probe);
    bool firstFailed = false;
    try {
        co_await runConverter(*exe, firstAttempt(src, dst), duration, status);
    } catch (const MWError&) {
        firstFailed = true;
    }
    if (!firstFailed)
        co_return;
    const auto removePartial = [dst] { QFile::remove(dst); };
    co_await onWorker(removePartial);
    co_await runConverter(*exe, secondAttempt(src, dst, wantVideo), duration, status);
}

QString failureReason(const QString& tail)
{
    const QString text = tail.toLower();
    auto has = [&](const char* what) { return text.contains(QLatin1String(what)); };
    if (has("invalid data") || has("could not find codec"))
        return QStringLiteral(
            "the file's contents are damaged or in a format the converter doesn't know");
    if (has("no such file") || has("permission denied"))
        return QStringLiteral("the file can't be read (check the drive and permissions)");
    if (has("no space"))
        return QStringLiteral("the disk is full");
    return QStringLiteral("the converter couldn't decode it");
}

QCoro::Task<void> runConverter(QString exe, QStringList args, double duration, MWStatus status)
{
    QProcess process;
    cwEndsWithProgram(process);
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setInputChannelMode(QProcess::ForwardedInputChannel);
    process.setReadChannel(QProcess::StandardError);

    // Only the end of the diagnostics is kept: it names the failure, however
    // long the conversion ran.
    QString tail;
    QStringDecoder decoder(QStringDecoder::Utf8);
    auto take = [&](bool report) {
        const QByteArray bytes = process.readAllStandardError();
        if (bytes.isEmpty())
            return;
        const QString chunk = decoder.decode(bytes);
        tail = (tail + chunk).right(tailLength);
        if (!report)
            return;
        const std::optional<double> fraction = progressFromChunk(chunk, duration);
        if (!fraction)
            return;
        QMetaObject::invokeMethod(
            qApp,
            [status, fraction = *fraction] {
                if (status)
                    status(QStringLiteral("Converting…"), fraction);
            },
            Qt::QueuedConnection);
    };
    const auto reader =
        QObject::connect(&process, &QProcess::readyReadStandardError, [&] { take(true); });

    // Ends once, when the process ends or when it cannot start.
    QPromise<void> ended;
    ended.start();
    QString launchError;
    QObject::connect(&process, &QProcess::finished, [&] { ended.finish(); });
    QObject::connect(&process, &QProcess::errorOccurred, [&](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart) {
            launchError = process.errorString();
            ended.finish();
        }
    });
    process.start(exe, args, QIODevice::ReadOnly);
    co_await ended.future();
    if (!launchError.isEmpty())
        throw MWError(launchError);
    QObject::disconnect(reader);
    take(false);

    if (process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0)
        co_return;
    throw MWError(QStringLiteral("Conversion failed: ") + failureReason(tail) + QLatin1Char('.'));
}

double parseClock(const QString& text)
{
    // The converter writes a time before the start as "-" and the clock of its
    // distance: the sign belongs to the whole clock, never to the hours alone.
    const bool negative = text.startsWith(QLatin1Char('-'));
    const QStringList pieces =
        (negative ? text.mid(1) : text).split(QLatin1Char(':'), Qt::SkipEmptyParts);
    if (pieces.size() != 3)
        return 0;
    double h = 0, m = 0, s = 0;
    if (!clockPiece(pieces[0], false, h) || !clockPiece(pieces[1], false, m) ||
        !clockPiece(pieces[2], true, s))
        return 0;
    const double seconds = h * 3600 + m * 60 + s;
    if (!std::isfinite(seconds))
        return 0;
    return negative ? -seconds : seconds;
}

double clockFraction(double seconds, double total, double most)
{
    if (!(total > 0) || !std::isfinite(total) || !std::isfinite(seconds))
        return 0;
    return std::clamp(seconds / total, 0.0, most);
}

double probeDuration(const QString& src, int limitMs)
{
    const std::optional<QString> exe = converterURL();
    if (!exe)
        return 0;
    QProcess process;
    cwEndsWithProgram(process);
    process.setStandardOutputFile(QProcess::nullDevice());
    process.start(
        *exe,
        {QStringLiteral("-hide_banner"), QStringLiteral("-nostdin"), QStringLiteral("-i"), src},
        QIODevice::ReadOnly);
    if (!process.waitForStarted(-1))
        return 0;
    if (!process.waitForFinished(limitMs)) {
        // A converter stuck on a drive that stopped answering would hold this
        // thread for good; the conversion after it would hang the same way.
        process.kill();
        process.waitForFinished(-1);
        throw MWError(QStringLiteral("The converter stopped answering while reading \u201C") +
                      QFileInfo(src).fileName() +
                      QStringLiteral("\u201D. Check that the drive holding it is connected and "
                                     "responds, then try again."));
    }
    return durationFromReport(QString::fromUtf8(process.readAllStandardError()));
}

double durationFromReport(const QString& report)
{
    const qsizetype at = report.indexOf(QLatin1String("Duration: "));
    if (at < 0)
        return 0;
    // A duration that is no finite length of time is as good as none: an
    // infinite one would turn every progress fraction into NaN.
    const double duration = parseClock(report.mid(at + 10, clockLength));
    return std::isfinite(duration) && duration > 0 ? duration : 0;
}

std::optional<double> progressFromChunk(const QString& chunk, double duration)
{
    if (!(duration > 0) || !std::isfinite(duration))
        return std::nullopt;
    const qsizetype at = chunk.lastIndexOf(QLatin1String("time="));
    if (at < 0)
        return std::nullopt;
    return clockFraction(parseClock(chunk.mid(at + 5, clockLength)), duration, 1.0);
}

QCoro::Task<void> remuxByStreamCopy(QString src, QString dst, MWStatus status)
{
    const auto load = [src] { return MWAsset::open(src); };
    const auto asset = co_await onWorker(load);
    if (!asset->exportable)
        throw MWError(QStringLiteral("Linux can't export this file"));

    auto progress = std::make_shared<std::atomic<double>>(0);
    QTimer ticker;
    ticker.setInterval(200);
    auto report = [status, progress] {
        if (status)
            status(QStringLiteral("Converting…"), progress->load());
    };
    QObject::connect(&ticker, &QTimer::timeout, report);
    report();
    ticker.start();
    QString failure;
    const auto copy = [src, dst, progress] { remuxToMov(src, dst, progress.get()); };
    try {
        co_await onWorker(copy);
    } catch (const MWError& e) {
        failure = e.message.isEmpty() ? QStringLiteral("export failed") : e.message;
    }
    ticker.stop();
    if (!failure.isEmpty())
        throw MWError(failure);
}

}  // namespace MWMediaOpener

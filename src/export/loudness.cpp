#include "export/loudness.h"

#include "export/job.h"
#include "model/mwerror.h"
#include "platform/background.h"

#include <QCoroFuture>
#include <QtConcurrent>
#include <cmath>

QString rawValue(AudioLevel level)
{
    return level == AudioLevel::normalized ? QStringLiteral("normalized")
                                           : QStringLiteral("source");
}

AudioLevel audioLevelFromRaw(const QString& raw)
{
    return raw == QLatin1String("normalized") ? AudioLevel::normalized : AudioLevel::source;
}

namespace CWLoudness {

namespace {

// A miss smaller than this is left: the meter's own steps are 0.01 LU, and the
// encoder moves the loudness by about a tenth.
constexpr double kCloseEnough = 0.1;
constexpr double kMostMakeUp = 3.0;  // dB above the first gain
constexpr int kCorrections = 2;
constexpr double kSmallHold = 1.0;  // dB

}  // namespace

double gain(double integrated)
{
    if (!std::isfinite(integrated) || integrated <= gate)
        return 0;
    return target - integrated;
}

QString filters(double gainDb)
{
    // Five milliseconds of look-ahead catch a peak before it arrives; the
    // delay it makes is taken back (latency), so sound stays on the picture.
    // The limiter's own make-up ("level") would undo the gain: off.
    return QStringLiteral("volume=%1dB,aresample=192000,alimiter=limit=%2:attack=5:release=50:"
                          "level=0:latency=1,aresample=48000")
        .arg(gainDb, 0, 'f', 2)
        .arg(std::pow(10.0, limit / 20), 0, 'f', 4);
}

QString onExportedSound(const QString& filters)
{
    const QString stereo48k = QStringLiteral("aformat=sample_rates=48000:channel_layouts=stereo");
    return filters.isEmpty() ? stereo48k : stereo48k + QLatin1Char(',') + filters;
}

QString filtersFor(const Measure& measure)
{
    const std::optional<MWLoudness> source = measure(QString(), true);
    if (!source || !(source->integrated > gate))
        return {};
    const double first = gain(source->integrated);
    double g = first;
    QString text = filters(g);
    // Peaks the limiter holds by less than a decibel are few and short: the
    // gain alone lands within a few hundredths of the target (measured on
    // speech-like sound held by 1.7 dB), and a second measurement would cost
    // as much as the first.
    if (source->truePeak + g <= limit + kSmallHold)
        return text;
    for (int round = 0; round < kCorrections; ++round) {
        const std::optional<MWLoudness> through = measure(text, false);
        if (!through)
            break;
        const double miss = target - through->integrated;
        if (std::abs(miss) < kCloseEnough)
            break;
        const double next = std::min(g + miss, first + kMostMakeUp);
        if (std::abs(next - g) < kCloseEnough / 2)
            break;  // already at the most make-up allowed
        g = next;
        text = filters(g);
    }
    return text;
}

QCoro::Task<QString> clipFilters(MWOpenedMedia media, double start, double end,
                                 std::shared_ptr<ClipExporter::Job> job)
{
    if (!job->normalizeLoudness || !media.hasAudio)
        co_return QString();
    const QString source = media.playable;
    QFuture<QString> measuring = QtConcurrent::run([source, start, end, job] {
        CWBackground::yieldToWindow();
        const std::function<bool()> stop = [job] { return job->cancelled(); };
        return filtersFor([&](const QString& text, bool truePeak) {
            return MWLoudnessMeter::measure(source, start, end, onExportedSound(text), truePeak,
                                            stop);
        });
    });
    // Named, not a temporary inside co_await (GCC 12).
    const QString text = co_await measuring;
    if (job->cancelled())
        throw MWCancelled();
    co_return text;
}

}  // namespace CWLoudness

#pragma once

#include "model/openedmedia.h"
#include "platform/loudnessmeter.h"

#include <QCoroTask>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

namespace ClipExporter {
class Job;
}

// How loud the exported clips are: the choice kept in the preferences.
enum class AudioLevel {
    source,      // as the source has it, byte for byte the export of old
    normalized,  // each clip brought to the target loudness
};

// The choice's form in the preferences; anything else reads as source.
QString rawValue(AudioLevel level);
AudioLevel audioLevelFromRaw(const QString& raw);

// What the sound of a normalised export meets, in both engines: one gain per
// clip, from its own range measured as ITU-R BS.1770 measures it (gated
// integrated loudness, as ffmpeg's ebur128 reports it), and a limiter that
// holds true peaks under the ceiling short-video platforms ask for.
namespace CWLoudness {

constexpr double target = -14.0;  // LUFS, integrated
constexpr double ceiling = -1.0;  // dBTP: no true peak in the file goes above it
// Where the limiter holds true peaks: under the ceiling by what AAC encoding
// and the return to 48 kHz add to them.
constexpr double limit = -2.0;  // dBTP
// Nothing of a clip measured at or under the gate passed it: it is silent (or
// shorter than one 0.4 s block), and no gain lifts its noise.
constexpr double gate = -70.0;  // LUFS

// The gain in dB that takes a clip measured at `integrated` LUFS to the
// target; 0 for a silent clip.
double gain(double integrated);

// The libavfilter text for the 48 kHz stereo sound: the gain, then a
// look-ahead limiter working at four times the rate, where the peaks
// between samples show, so that it holds true peaks rather than sample peaks.
QString filters(double gainDb);

// filters for the converter's -af: the sound is made 48 kHz stereo before
// them, as the composition's resampler makes it, so both engines filter
// (and the measurement measures) the same sound.
QString onExportedSound(const QString& filters);

// The filters for one clip. measure(text, truePeak) measures the clip's
// sound through the filter text (the true peak only when asked). The gain
// comes from the clip's own loudness; when the limiter then has peaks to
// hold by more than a decibel, which lowers the loudness, the clip is
// measured again through the filters and the gain is raised by what is missing (twice at most, and
// by no more than 3 dB in all, so that a clip of sharp peaks is not squashed). Empty for a silent
// clip and for sound that can't be measured: the sound then leaves as it is.
using Measure = std::function<std::optional<MWLoudness>(const QString& filters, bool truePeak)>;
QString filtersFor(const Measure& measure);

// filtersFor the range start…end of the media's sound, measured on a worker
// thread; empty when the job keeps the source level or the media has no
// sound. Throws MWCancelled when the job is cancelled meanwhile.
QCoro::Task<QString> clipFilters(MWOpenedMedia media, double start, double end,
                                 std::shared_ptr<ClipExporter::Job> job);

}  // namespace CWLoudness

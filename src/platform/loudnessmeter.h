#pragma once

#include <QString>
#include <functional>
#include <optional>

// A clip's sound as ITU-R BS.1770 measures it, the way ffmpeg's ebur128
// filter does: K-weighted, 400 ms blocks, absolute gate at -70 LUFS and
// relative gate 10 LU under.
struct MWLoudness {
    // Gated integrated loudness in LUFS; -70 when no block passes the gate
    // (silence, or less than 0.4 s of sound).
    double integrated = -70;
    // The highest true (4× oversampled) peak of any channel, in dBTP; left
    // at -144 when the measurement was asked for the loudness alone.
    double truePeak = -144;
};

namespace MWLoudnessMeter {

// Decodes the first audio track of source from start to end (seconds from the
// media's start), runs it through filters (libavfilter text on the decoded
// sound; empty for none) and measures what comes out, the true peak only
// when asked (it costs as much again). Blocks; meant for a worker thread.
// Nothing when the file has no sound that can be read, or when stop()
// turned true.
std::optional<MWLoudness> measure(const QString& source, double start, double end,
                                  const QString& filters, bool truePeak,
                                  const std::function<bool()>& stop);

}  // namespace MWLoudnessMeter

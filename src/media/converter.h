#pragma once

#include <QCoroTask>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

// A status text and an optional fraction 0…1, always called on the main thread.
using MWStatus = std::function<void(const QString& text, std::optional<double> fraction)>;

// The built-in converter (Debian's ffmpeg behind the launcher installed as
// libexec/cutwright/ffmpeg) and the re-export through libav, which make a
// playable copy of a file the player cannot take directly.
namespace MWMediaOpener {

// The converter's path when a file is there and executable by this user, else
// none. The location is <folder of the running executable>/../libexec/cutwright/
// ffmpeg, or the path in the environment variable CUTWRIGHT_CONVERTER when set.
// Looked up again on every call.
std::optional<QString> converterURL();

// Converts src into the movie dst: the hardware H.264 attempt, then (after
// deleting what it left) the MPEG-4 or sound-only attempt. Throws MWError with
// the "missing" message without a converter, else the last attempt's error.
QCoro::Task<void> convertWithBuiltIn(QString src, QString dst, bool wantVideo, MWStatus status);

// The exact argument lists of the two attempts.
QStringList firstAttempt(const QString& src, const QString& dst);
QStringList secondAttempt(const QString& src, const QString& dst, bool wantVideo);

// Runs exe with args and waits for it without blocking the event loop. With
// duration > 0, every chunk of its error stream that holds "time=" posts
// "Converting…" and the fraction converted. Throws MWError "Conversion failed: …"
// on a non-zero exit, or the launch error when it cannot start.
QCoro::Task<void> runConverter(QString exe, QStringList args, double duration, MWStatus status);

// The reason for a failed conversion, read from its lower-cased diagnostic tail.
QString failureReason(const QString& tail);

// How long the converter may take to describe a file: far beyond any drive
// that still answers.
constexpr int probeLimitMs = 60000;

// The input's duration in seconds as the converter prints it, or 0. Blocks
// until the converter exits: call it from a worker thread. A converter still
// running after limitMs is killed and MWError says that the file's drive did
// not answer.
double probeDuration(const QString& src, int limitMs = probeLimitMs);

// The input's duration from the converter's report on it (its first
// "Duration: h:m:s"), or 0 when the report holds none or no finite length.
double durationFromReport(const QString& report);

// The fraction 0…1 converted, from the last "time=" in a piece of the
// converter's error stream; none without one or without a known duration.
std::optional<double> progressFromChunk(const QString& chunk, double duration);

// "h:m:s" → seconds (h × 3600 + m × 60 + s); anything else → 0. Hours and
// minutes are digits, seconds digits with at most one decimal point; a leading
// "-" negates the whole clock. The result is always finite.
double parseClock(const QString& text);

// seconds ÷ total held to 0…most; 0 when either is not a finite number or
// total is not above 0. Never NaN.
double clockFraction(double seconds, double total, double most);

// Re-exports src into the movie dst by copying its tracks (libav stream copy),
// posting "Converting…" with its progress every 0.2 s. Throws MWError "Linux
// can't export this file" when a track cannot go into a movie, else libav's
// description of the failure; a failed export leaves no file at dst.
QCoro::Task<void> remuxByStreamCopy(QString src, QString dst, MWStatus status);

}  // namespace MWMediaOpener

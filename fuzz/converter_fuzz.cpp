// The converter's error stream is text from another program, reading a file
// nobody here controls: its duration line and progress lines steer the bar.
#include "media/converter.h"

#include <QString>
#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace {
void checkFraction(const std::optional<double>& fraction)
{
    if (fraction && !(*fraction >= 0 && *fraction <= 1))
        std::abort();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));

    const double duration = MWMediaOpener::durationFromReport(text);
    if (!std::isfinite(duration) || duration < 0)
        std::abort();

    // The same text read as one chunk of a running conversion, against the
    // duration it names and against durations at the edges of what a file may hold.
    for (const double total : {duration, 1e-9, 0.04, 7200.0, 1e300})
        checkFraction(MWMediaOpener::progressFromChunk(text, total));
    return 0;
}

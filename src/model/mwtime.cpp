#include "model/mwtime.h"

#include <cmath>

namespace MWTime {

QString clock(double seconds, bool tenths)
{
    if (!std::isfinite(seconds) || seconds < 0)
        return tenths ? QStringLiteral("0:00.0") : QStringLiteral("0:00");
    // The small allowance keeps 2.3 (2.2999… in binary) from reading as 2.2. From
    // 2^52 on every double is whole, and ten times it may overflow.
    const double t = seconds >= 0x1p52 ? seconds
                     : tenths          ? std::floor(seconds * 10 + 1e-7) / 10
                                       : std::floor(seconds + 1e-9);
    // Whole numbers in doubles, not integers: a time from a hand-edited session
    // can be far beyond any integer type, and fmod is exact.
    const double whole = std::floor(t);
    const double inHour = std::fmod(whole, 3600);
    const double hours = (whole - inHour) / 3600;
    const double minutes = std::floor(inHour / 60);
    const double rest = std::fmod(inHour, 60) + (t - whole);
    const QString secondsPart =
        tenths ? QString::asprintf("%04.1f", rest) : QString::asprintf("%02.0f", rest);
    const QString prefix = hours < 1 ? QString::asprintf("%.0f:", minutes)
                                     : QString::asprintf("%.0f:%02.0f:", hours, minutes);
    return prefix + secondsPart;
}

}  // namespace MWTime

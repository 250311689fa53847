#include "model/mwtime.h"

#include <cmath>

namespace MWTime {

QString clock(double seconds, bool tenths)
{
    if (!std::isfinite(seconds) || seconds < 0)
        return tenths ? QStringLiteral("0:00.0") : QStringLiteral("0:00");
    // The small allowance keeps 2.3 (2.2999… in binary) from reading as 2.2.
    const double t = tenths ? std::floor(seconds * 10 + 1e-7) / 10 : std::floor(seconds + 1e-9);
    const long long total = (long long)t;
    const long long hours = total / 3600;
    const long long minutes = (total - hours * 3600) / 60;
    const double rest = t - double(hours * 3600 + minutes * 60);
    const QString secondsPart =
        tenths ? QString::asprintf("%04.1f", rest) : QString::asprintf("%02lld", (long long)rest);
    const QString prefix = hours < 1 ? QString::asprintf("%lld:", minutes)
                                     : QString::asprintf("%lld:%02lld:", hours, minutes);
    return prefix + secondsPart;
}

}  // namespace MWTime

#include "model/trimmath.h"

#include <algorithm>

namespace TrimMath {

double Track::x(double t) const
{
    const double usable = std::max(width - 2 * inset, 1.0);
    const double clamped = std::max(0.0, std::min(t, duration));
    return inset + usable * clamped / std::max(duration, 0.001);
}

double Track::time(double px) const
{
    const double usable = width - 2 * inset;
    const double fraction = usable >= 1 ? (px - inset) / usable : px - inset;
    const double d = std::max(duration, 0.0);
    return std::min(std::max(fraction * d, 0.0), d);
}

double clampOut(double out, double in, double duration)
{
    const double d = std::max(duration, 0.0);
    const double lowest = std::min(std::max(in, 0.0) + std::min(0.5, d), d);
    return std::max(lowest, std::min(out, d));
}

}  // namespace TrimMath

#include "model/aspect.h"

#include <cmath>

QString rawValue(Aspect aspect)
{
    switch (aspect) {
    case Aspect::vertical:
        return QStringLiteral("9:16");
    case Aspect::square:
        return QStringLiteral("1:1");
    case Aspect::portrait:
        return QStringLiteral("4:5");
    case Aspect::wide:
        return QStringLiteral("16:9");
    }
    return {};
}

std::optional<Aspect> aspectFromRaw(const QString& raw)
{
    for (Aspect a : allAspects()) {
        if (rawValue(a) == raw)
            return a;
    }
    return std::nullopt;
}

const std::array<Aspect, 4>& allAspects()
{
    static const std::array<Aspect, 4> cases{Aspect::vertical, Aspect::square, Aspect::portrait,
                                             Aspect::wide};
    return cases;
}

double ratio(Aspect aspect)
{
    switch (aspect) {
    case Aspect::vertical:
        return 0.5625;
    case Aspect::square:
        return 1.0;
    case Aspect::portrait:
        return 0.8;
    case Aspect::wide:
        return 16.0 / 9.0;
    }
    return 1.0;
}

QString fileTag(Aspect aspect)
{
    return rawValue(aspect).replace(QLatin1Char(':'), QLatin1Char('x'));
}

QString audience(Aspect aspect)
{
    switch (aspect) {
    case Aspect::vertical:
        return QStringLiteral("Reels · TikTok · Shorts");
    case Aspect::square:
        return QStringLiteral("Feed posts");
    case Aspect::portrait:
        return QStringLiteral("Instagram / Facebook feed");
    case Aspect::wide:
        return QStringLiteral("YouTube · web");
    }
    return {};
}

namespace {
// Halve, round half away from zero, double: the nearest even size.
int even(double side)
{
    return int(std::llround(side / 2.0)) * 2;
}
}  // namespace

QSize renderSize(Aspect aspect, int shortSide)
{
    const double s = shortSide;
    switch (aspect) {
    case Aspect::vertical:
        return {even(s), even(s / 0.5625)};
    case Aspect::square:
        return {even(s), even(s)};
    case Aspect::portrait:
        return {even(s), even(s / 0.8)};
    case Aspect::wide:
        return {even(s * 16.0 / 9.0), even(s)};
    }
    return {};
}

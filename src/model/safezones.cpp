#include "model/safezones.h"

#include <algorithm>

namespace SafeZones {

namespace {
// The figures are for a 1080 × 1920 upload; some are published in pixels.
constexpr double kWidth = 1080;
constexpr double kHeight = 1920;
}  // namespace

QList<Platform> platforms(Aspect aspect)
{
    // Feed posts (1:1, 4:5) carry their caption and buttons under the
    // picture, not over it, and no platform publishes a band over a feed
    // video; a 16:9 video plays in a player of its own.
    if (aspect != Aspect::vertical)
        return {};
    return {
        // Meta's Reels (Instagram and Facebook) safe zone.
        {QStringLiteral("Reels"), {0.14, 0.35, 0.06, 0.06}},
        // TikTok's interface as the common third-party templates draw it.
        {QStringLiteral("TikTok"), {150 / kHeight, 440 / kHeight, 0, 150 / kWidth}},
        // Shorts: the title, channel and Subscribe over the bottom quarter,
        // the like, comment and share column at the right.
        {QStringLiteral("Shorts"), {0, 0.25, 0, 0.15}},
    };
}

Margins covered(Aspect aspect)
{
    Margins all;
    for (const Platform& p : platforms(aspect)) {
        all.top = std::max(all.top, p.covers.top);
        all.bottom = std::max(all.bottom, p.covers.bottom);
        all.left = std::max(all.left, p.covers.left);
        all.right = std::max(all.right, p.covers.right);
    }
    return all;
}

QList<Band> bands(Aspect aspect)
{
    const Margins m = covered(aspect);
    const double middle = 1 - m.top - m.bottom;
    QList<Band> list;
    if (m.top > 0)
        list.append({QRectF(0, 0, 1, m.top), QStringLiteral("Top bar")});
    if (m.bottom > 0)
        list.append({QRectF(0, 1 - m.bottom, 1, m.bottom), QStringLiteral("Captions & buttons")});
    if (m.right > 0 && middle > 0)
        list.append({QRectF(1 - m.right, m.top, m.right, middle), QStringLiteral("Actions")});
    if (m.left > 0 && middle > 0)
        list.append({QRectF(0, m.top, m.left, middle), QStringLiteral("Edge")});
    return list;
}

QRectF clearArea(Aspect aspect)
{
    const Margins m = covered(aspect);
    return QRectF(m.left, m.top, std::max(0.0, 1 - m.left - m.right),
                  std::max(0.0, 1 - m.top - m.bottom));
}

QRectF place(const QRectF& fraction, const QRectF& frame)
{
    return QRectF(frame.left() + fraction.left() * frame.width(),
                  frame.top() + fraction.top() * frame.height(), fraction.width() * frame.width(),
                  fraction.height() * frame.height());
}

}  // namespace SafeZones

#include "export/framemotion.h"

#include "export/fastexport.h"
#include "model/clip.h"
#include "model/framepath.h"
#include "model/openedmedia.h"

#include <cmath>

namespace ClipExporter {

namespace {

bool sameCrop(const CropMath::PixelRect& a, const CropMath::PixelRect& b)
{
    return a.w == b.w && a.h == b.h && a.x == b.x && a.y == b.y;
}

}  // namespace

std::vector<CropChange> cropChanges(const Clip& clip, const MWOpenedMedia& media,
                                    std::optional<QRectF> area, FrameRate rate, double start,
                                    double end)
{
    std::vector<CropChange> changes;
    if (clip.points.empty())
        return changes;
    const double r = rate.value();
    const long long frames = std::max(1LL, std::llround((end - start) * r));
    for (long long n = 0; n < frames; ++n) {
        const double t = double(n) / r;
        // A microsecond into the frame: a cut set on a frame's time must not
        // land a frame late because In + n / rate rounds just short of it.
        const FramePath::Frame f = FramePath::frameAt(clip, start + t + 1e-6);
        const QRectF shown =
            CropMath::cropFrame(clip.aspect, f.zoom, f.centerX, f.centerY, media.naturalSize, area);
        const CropMath::PixelRect px = storedCrop(media, shown);
        if (changes.empty() || !sameCrop(changes.back().crop, px))
            changes.push_back({t, px});
    }
    return changes;
}

QString cropCommands(const std::vector<CropChange>& changes, FrameRate rate)
{
    const double half = 0.5 / rate.value();
    QString text;
    for (const CropChange& c : changes) {
        text +=
            QString::asprintf("%.6f crop w %lld, crop h %lld, crop x %lld, crop y %lld;\n",
                              std::max(0.0, c.time - half), c.crop.w, c.crop.h, c.crop.x, c.crop.y);
    }
    return text;
}

}  // namespace ClipExporter

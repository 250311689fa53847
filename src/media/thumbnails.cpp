#include "media/thumbnails.h"

#include "model/mwerror.h"
#include "platform/framegenerator.h"

#include <QCoroFuture>
#include <QtConcurrent/QtConcurrentRun>
#include <cmath>

namespace MWMediaOpener {

QList<Thumb> makeThumbnails(const std::shared_ptr<const MWAsset>& asset, double duration, int count,
                            double height, const std::function<bool()>& cancelled)
{
    QList<Thumb> thumbs;
    if (count <= 0 || !(duration > 0) || !std::isfinite(duration) || !asset)
        return thumbs;
    MWFrameGenerator::Options options;
    // Three strip heights wide and two high: room for a wide or a portrait frame.
    options.maximumSize = QSize(int(std::lround(3 * height)), int(std::lround(2 * height)));
    // Half a second either way lets most frames come straight from a key frame.
    options.toleranceBefore = 0.5;
    options.toleranceAfter = 0.5;
    MWFrameGenerator generator(asset, options);
    for (int i = 0; i < count; ++i) {
        if (cancelled && cancelled())
            break;
        const double t = (i + 0.5) * duration / count;
        try {
            thumbs.append(Thumb(t, generator.image(t)));
        } catch (const MWError&) {
            // A frame that cannot be made leaves a gap in the strip, nothing more.
        }
    }
    return thumbs;
}

QCoro::Task<QList<Thumb>> thumbnails(std::shared_ptr<const MWAsset> asset, double duration,
                                     int count, double height, std::function<bool()> cancelled)
{
    if (count <= 0 || !(duration > 0))
        co_return QList<Thumb>();
    // Named, not a temporary inside co_await: GCC 12 destroys such temporaries
    // on the early co_return above as well, releasing the asset twice.
    auto work = QtConcurrent::run([asset, duration, count, height, cancelled] {
        return makeThumbnails(asset, duration, count, height, cancelled);
    });
    co_return co_await work;
}

}  // namespace MWMediaOpener

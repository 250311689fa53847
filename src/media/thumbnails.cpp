#include "media/thumbnails.h"

#include "model/mwerror.h"
#include "platform/background.h"
#include "platform/framegenerator.h"

#include <QCoreApplication>
#include <QCoroFuture>
#include <QThread>
#include <QtConcurrent/QtConcurrentRun>
#include <algorithm>
#include <cmath>
#include <exception>
#include <optional>
#include <thread>
#include <vector>

namespace MWMediaOpener {

namespace {
// Each frame costs a seek and a decode from its key frame, and decoders scale
// poorly across threads for a single picture: a few whole decoders side by
// side use the cores better. More than four only adds open files.
constexpr int kMostWorkers = 4;
}  // namespace

QList<Thumb> makeThumbnails(const std::shared_ptr<const MWAsset>& asset, double duration, int count,
                            double height, const std::function<bool()>& cancelled,
                            const ThumbMade& made, const QString& pictureFilter)
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
    // A tile only has to show what happens in its slice, not the slice's
    // exact middle. Where key frames are seconds apart (a long recording with
    // a key frame every 10 s), decoding up to the middle costs hundreds of
    // frames per tile; the key frame nearest the middle, still inside the
    // slice, is one decode and shows the same scene. Where key frames are
    // dense, the exact frame is cheap and is kept.
    options.keyFrameReach = duration / count / 2;
    options.longestDecode = 2.0;
    options.pictureFilter = pictureFilter;

    const int workers = std::clamp(QThread::idealThreadCount(), 1, std::min(count, kMostWorkers));
    // Each slot is written by the one worker that owns its index.
    std::vector<std::optional<Thumb>> strip(static_cast<size_t>(count));
    const auto work = [&](int first) {
        // One generator (one decoder) per worker; interleaved slices fill the
        // strip evenly from the start while each worker still seeks forward.
        MWFrameGenerator generator(asset, options);
        for (int i = first; i < count; i += workers) {
            if (cancelled && cancelled())
                break;
            const double t = (i + 0.5) * duration / count;
            try {
                Thumb thumb(t, generator.image(t));
                if (made)
                    made(i, thumb);
                strip[size_t(i)] = std::move(thumb);
            } catch (const MWError&) {
                // A frame that cannot be made leaves a gap in the strip, nothing more.
            }
        }
    };
    // Anything else a helper throws (out of memory) is thrown here, once all
    // have stopped, as it would be from a single worker.
    std::vector<std::exception_ptr> failures(static_cast<size_t>(workers));
    const auto guarded = [&](int first) {
        try {
            work(first);
        } catch (...) {
            failures[size_t(first)] = std::current_exception();
        }
    };
    std::vector<std::thread> helpers;
    for (int w = 1; w < workers; ++w)
        helpers.emplace_back(guarded, w);
    guarded(0);
    for (std::thread& helper : helpers)
        helper.join();
    for (const std::exception_ptr& failure : failures) {
        if (failure)
            std::rethrow_exception(failure);
    }
    for (std::optional<Thumb>& slot : strip) {
        if (slot)
            thumbs.append(std::move(*slot));
    }
    return thumbs;
}

QCoro::Task<QList<Thumb>> thumbnails(std::shared_ptr<const MWAsset> asset, double duration,
                                     int count, double height, std::function<bool()> cancelled,
                                     ThumbMade made, QString pictureFilter)
{
    if (count <= 0 || !(duration > 0))
        co_return QList<Thumb>();
    // Frames are posted to the application object, which outlives every task;
    // the receiver guards its own lifetime. Posted before the future finishes,
    // they all arrive before the task resumes.
    ThumbMade post;
    if (made)
        post = [made](int index, const Thumb& thumb) {
            QMetaObject::invokeMethod(
                QCoreApplication::instance(), [made, index, thumb] { made(index, thumb); },
                Qt::QueuedConnection);
        };
    // Named, not a temporary inside co_await: GCC 12 destroys such temporaries
    // on the early co_return above as well, releasing the asset twice.
    auto work = QtConcurrent::run([asset, duration, count, height, cancelled, post, pictureFilter] {
        CWBackground::yieldToWindow();
        return makeThumbnails(asset, duration, count, height, cancelled, post, pictureFilter);
    });
    co_return co_await work;
}

}  // namespace MWMediaOpener

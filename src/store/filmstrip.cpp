// A video's filmstrip and black bars, made off the main thread after the video
// is on screen, and shown as they come.
#include "export/borders.h"
#include "export/delivery.h"
#include "media/thumbnails.h"
#include "store/store.h"

#include <QPointer>

namespace {
constexpr int kFrames = 24;
constexpr double kStripHeight = 90;
// Frames come from several decoders at once: the timeline draws them at most
// ten times a second instead of once for each.
constexpr qint64 kRedrawMs = 100;

struct Strip {
    QList<Thumb> thumbs;  // every slot, those still to come without a picture
    QElapsedTimer shown;
    bool due = false;
    bool done = false;
};
}  // namespace

void CWStore::changeSource(const QUuid& id, const std::function<void(CWSource&)>& change)
{
    // Undo may have taken the video out, or put it back, meanwhile: the
    // change goes wherever the video is kept.
    history_.updateStates([&](CWHistory::State& state) {
        for (qsizetype i = 0; i < state.sources.size(); ++i) {
            if (std::as_const(state.sources)[i].id == id)
                change(state.sources[i]);
        }
    });
    for (CWSource& source : sources_) {
        if (source.id == id) {
            change(source);
            emit changed(Field::sources);
        }
    }
}

QCoro::Task<std::optional<QRectF>> CWStore::streamFilmstripAndBars(QUuid id, MWOpenedMedia media)
{
    QPointer<CWStore> self(this);
    auto strip = std::make_shared<Strip>();
    for (int i = 0; i < kFrames; ++i)
        strip->thumbs.append(Thumb((i + 0.5) * media.duration / kFrames, QImage()));
    const auto show = [self, strip, id] {
        strip->due = false;
        if (!self || strip->done)
            return;
        strip->shown.restart();
        const QList<Thumb> thumbs = strip->thumbs;
        self->changeSource(id, [&](CWSource& s) { s.thumbs = thumbs; });
    };
    const MWMediaOpener::ThumbMade made = [self, strip, show](int index, const Thumb& thumb) {
        if (index < 0 || index >= strip->thumbs.size())
            return;
        strip->thumbs[index] = thumb;
        if (!self || strip->due)
            return;
        const qint64 since = strip->shown.isValid() ? strip->shown.elapsed() : kRedrawMs;
        if (since >= kRedrawMs) {
            show();
            return;
        }
        strip->due = true;
        QTimer::singleShot(std::chrono::milliseconds(kRedrawMs - since), self.data(), show);
    };
    // Named, never temporaries inside co_await (GCC 12 destroys those twice).
    QCoro::Task<QList<Thumb>> making =
        MWMediaOpener::thumbnails(media.asset, media.duration, kFrames, kStripHeight, {}, made,
                                  ClipExporter::toneMapAfterScale(ClipExporter::sourceColour(media)));
    const QList<Thumb> thumbs = co_await std::move(making);
    strip->done = true;
    if (!self)
        co_return std::nullopt;
    // The finished strip holds only the frames that could be made.
    changeSource(id, [&](CWSource& s) { s.thumbs = thumbs; });

    // The bars come last: their scan would take the processor from the filmstrip,
    // and nothing shown waits for them.
    QCoro::Task<std::optional<QRectF>> scanning =
        CWBorders::detect(media.asset, media.duration, media.naturalSize);
    const std::optional<QRectF> picture = co_await std::move(scanning);
    if (!self)
        co_return std::nullopt;
    changeSource(id, [&](CWSource& s) { s.picture = picture; });
    co_return picture;
}

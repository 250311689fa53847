#include "views/captionpreview.h"

#include "platform/captiondraw.h"
#include "store/store.h"

CWCaptionPreview::CWCaptionPreview(CWStore* store, QObject* parent) : QObject(parent), store_(store)
{
    connect(store_, &CWStore::changed, this, [this](CWStore::Field field) {
        using F = CWStore::Field;
        switch (field) {
        case F::clips:
        case F::selectedClipID:
        case F::sources:
        case F::currentSourceID:
        case F::aspect:
        case F::shortSide:
            refresh();
            break;
        case F::time:
            follow();
            break;
        default:
            break;
        }
    });
    refresh();
}

CWCaptionPreview::~CWCaptionPreview() = default;

void CWCaptionPreview::refresh()
{
    const Clip* clip = store_->selectedClip();
    const CWSource* source = store_->current();
    std::optional<Made> made;
    if (clip && clip->captions && source && source->id == clip->sourceID && source->cues)
        made = Made{source->cues,
                    clip->inTime,
                    clip->outTime,
                    clip->aspect,
                    renderSize(clip->aspect, store_->shortSide()),
                    clip->captionStyle};
    if (made == made_)
        return;
    made_ = made;
    if (!made) {
        drawing_.reset();
    } else {
        if (!drawing_)
            drawing_ = std::make_unique<Captions::Drawing>();
        drawing_->setScript(Captions::script(Captions::forClip(*made->cues, made->in, made->out),
                                             made->render, made->aspect, made->style));
    }
    last_ = {};
    emit changed();
}

QImage CWCaptionPreview::at(QSize size)
{
    lastSize_ = size;
    const double t = store_->time();
    if (!drawing_ || !made_ || t < made_->in || t > made_->out || size.isEmpty()) {
        last_ = {};
        return {};
    }
    last_ = drawing_->frame(t - made_->in, size);
    return last_;
}

void CWCaptionPreview::follow()
{
    if (!drawing_ && last_.isNull())
        return;
    // The drawing keeps its picture while the captions of the moment stay the
    // same: the same image comes back, and nothing needs painting.
    const qint64 before = last_.cacheKey();
    const bool wasShown = !last_.isNull();
    at(lastSize_);
    if (wasShown != !last_.isNull() || (wasShown && last_.cacheKey() != before))
        emit changed();
}

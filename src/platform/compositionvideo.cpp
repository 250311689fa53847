#include "platform/compositionvideo.h"

#include "platform/filterchain.h"

extern "C" {
#include <libavfilter/avfilter.h>
#include <libavfilter/buffersink.h>
#include <libavfilter/buffersrc.h>
#include <libavutil/opt.h>
#include <libavutil/pixdesc.h>
}

#include <algorithm>
#include <cmath>
#include <string>

namespace composition {

namespace {

// Frames carry microseconds through the filter graph.
constexpr AVRational kGraphBase{1, 1000000};
// Frame times are compared with this slack so that a start taken from a
// frame's own time selects that frame despite rounding.
constexpr double kSlack = 1e-6;

}  // namespace

QRect followCrop(QRect crop, QSize from, double fromAspect, QSize to, double toAspect)
{
    // The same size is the same picture: the crop stays exactly as measured.
    if (from == to || from.isEmpty() || to.isEmpty() || !(fromAspect > 0) || !(toAspect > 0))
        return crop;
    // In shown pixels, where both pictures have their true shape.
    const double fromW = from.width() * fromAspect, toW = to.width() * toAspect;
    const double s = std::min(toW / fromW, double(to.height()) / from.height());
    const double cx = (crop.x() + crop.width() / 2.0) * fromAspect / fromW;
    const double cy = (crop.y() + crop.height() / 2.0) / from.height();
    auto even = [](double v, int most) {
        return std::clamp(int(std::lround(v / 2)) * 2, 2, std::max(2, most - most % 2));
    };
    const int w = even(crop.width() * fromAspect * s / toAspect, to.width());
    const int h = even(crop.height() * s, to.height());
    const int x = std::clamp(int(std::lround(cx * to.width() - w / 2.0)), 0, to.width() - w);
    const int y = std::clamp(int(std::lround(cy * to.height() - h / 2.0)), 0, to.height() - h);
    return QRect(x, y, w, h);
}

VideoChain::VideoChain(const MWComposition& composition, QSize reference,
                       AVRational referenceAspect)
    : composition_(composition), reference_(reference), referenceAspect_(referenceAspect),
      rate_(std::max(composition.frameRateNum, 1) / double(std::max(composition.frameRateDen, 1))),
      slots_(std::max(1LL, std::llround((composition.end - composition.start) * rate_))),
      moving_(!composition.cropMoves.empty()), graphCrop_(composition.crop),
      slotCrop_(composition.crop), scratch_(newFrame())
{}

VideoChain::~VideoChain()
{
    avfilter_graph_free(&graph_);
    avfilter_graph_free(&captionGraph_);
}

double VideoChain::progress() const
{
    return double(nextSlot_) / double(slots_);
}

void VideoChain::push(const AVFrame* decoded, double time)
{
    if (done_)
        return;
    if (time < -kSlack) {
        before_ = newFrame();
        av_frame_ref(before_.get(), decoded);
        return;
    }
    if (time >= composition_.end - composition_.start - kSlack) {
        done_ = true;
        return;
    }
    before_.reset();
    if (moving_) {
        FramePtr frame = newFrame();
        av_frame_ref(frame.get(), decoded);
        place(std::move(frame), std::max(time, 0.0));
        return;
    }
    shape(decoded, std::max(time, 0.0));
}

void VideoChain::finish()
{
    if (!held_ && before_) {
        // The range falls after the last frame: show the frame before it
        // rather than write a file without a picture.
        FramePtr last = std::move(before_);
        if (moving_)
            place(std::move(last), 0);
        else
            shape(last.get(), 0);
    }
    if (graph_ && !moving_) {
        // Nothing in the chain holds frames back, but drain it all the same.
        if (av_buffersrc_add_frame_flags(source_, nullptr, 0) >= 0)
            drainGraph();
    }
    if (!held_)
        throw Failure{QStringLiteral("The video track can't be read.")};
    while (nextSlot_ < slots_)
        emitSlot();
    encode(encoder_.get(), nullptr, [this](AVPacket* packet) { deliver(packet); });
}

// Every frame lasts one tick of the output rate; the muxer needs that from the
// last packet too, or the file comes out a frame short.
void VideoChain::deliver(AVPacket* packet)
{
    if (packet->duration <= 0)
        packet->duration = 1;
    sink(packet);
}

bool VideoChain::graphFits(const AVFrame* frame) const
{
    return frame->width == graphWidth_ && frame->height == graphHeight_ &&
           frame->format == graphFormat_ && frame->sample_aspect_ratio.num == graphAspect_.num &&
           frame->sample_aspect_ratio.den == graphAspect_.den;
}

void VideoChain::shape(const AVFrame* decoded, double time)
{
    if (graph_ && !graphFits(decoded)) {
        // Nothing in the chain holds frames back: the new graph takes over
        // from the next frame on, and the output keeps its size.
        avfilter_graph_free(&graph_);
        source_ = sinkFilter_ = nullptr;
    }
    if (!graph_)
        openGraph(decoded);
    av_frame_ref(scratch_.get(), decoded);
    scratch_->pts = std::llround(time * kGraphBase.den);
    int rc = av_buffersrc_add_frame_flags(source_, scratch_.get(), 0);
    av_frame_unref(scratch_.get());
    if (rc < 0)
        throw Failure{av::errorText(rc)};
    drainGraph();
}

void VideoChain::drainGraph()
{
    for (;;) {
        FramePtr out = newFrame();
        const int rc = av_buffersink_get_frame(sinkFilter_, out.get());
        if (rc == AVERROR(EAGAIN) || rc == AVERROR_EOF)
            return;
        if (rc < 0)
            throw Failure{av::errorText(rc)};
        const double t = double(out->pts) / kGraphBase.den;
        place(std::move(out), t);
    }
}

// Output frame n shows the last frame that starts nearest to n / rate or
// earlier; the first frame of the range is pinned to frame 0, so the file
// starts at 0 with the In point's frame, as the converter's input seek does.
void VideoChain::place(FramePtr frame, double time)
{
    if (!held_) {
        if (!moving_)
            openEncoder(frame.get());
        held_ = std::move(frame);
        return;
    }
    long long target = std::llround(time * rate_ + kSlack);
    // Frame 0 belongs to the first frame at or after the start, whatever comes
    // next: above 60 frames a second the next one lies half an output frame
    // later, and a rounding error there must not put it first.
    if (nextSlot_ == 0)
        target = std::max(target, 1LL);
    while (nextSlot_ < target && nextSlot_ < slots_)
        emitSlot();
    held_ = std::move(frame);
}

void VideoChain::emitSlot()
{
    FramePtr cut;
    const AVFrame* picture = held_.get();
    if (moving_) {
        cut = cutAt(held_.get(), nextSlot_);
        picture = cut.get();
    }
    FramePtr captioned;
    if (!composition_.captionFilters.isEmpty()) {
        captioned = caption(picture, nextSlot_);
        picture = captioned.get();
    }
    av_frame_ref(scratch_.get(), picture);
    scratch_->pts = nextSlot_++;
    scratch_->pict_type = AV_PICTURE_TYPE_NONE;
    encode(encoder_.get(), scratch_.get(), [this](AVPacket* packet) { deliver(packet); });
    av_frame_unref(scratch_.get());
    // One source frame may stand for many output frames (a still picture
    // under a long sound): each one is a chance to stop.
    if (onFrame)
        onFrame();
}

// The picture of one output frame: the source frame shown there, cut where
// the path is at that frame's time. Only a change reaches the crop filter.
FramePtr VideoChain::cutAt(const AVFrame* frame, long long slot)
{
    const double t = double(slot) / rate_;
    // Output frames come in order, so the moves are walked once.
    const auto& moves = composition_.cropMoves;
    while (nextMove_ < moves.size() && moves[nextMove_].first <= t + 0.5 / rate_)
        slotCrop_ = moves[nextMove_++].second;
    const QRect wanted = slotCrop_;
    if (graph_ && !graphFits(frame)) {
        avfilter_graph_free(&graph_);
        source_ = sinkFilter_ = nullptr;
    }
    if (!graph_) {
        graphCrop_ = wanted;
        openGraph(frame);
    } else if (wanted != graphCrop_) {
        const QRect c = frameCrop(wanted, frame);
        const std::pair<const char*, int> commands[] = {
            {"w", c.width()}, {"h", c.height()}, {"x", c.x()}, {"y", c.y()}};
        for (const auto& [name, value] : commands) {
            char answer[64] = {};
            const int rc = avfilter_graph_send_command(
                graph_, "crop", name, std::to_string(value).c_str(), answer, sizeof answer, 0);
            if (rc < 0)
                throw Failure{av::errorText(rc)};
        }
        graphCrop_ = wanted;
    }
    av_frame_ref(scratch_.get(), frame);
    scratch_->pts = std::llround(t * kGraphBase.den);
    int rc = av_buffersrc_add_frame_flags(source_, scratch_.get(), 0);
    av_frame_unref(scratch_.get());
    if (rc < 0)
        throw Failure{av::errorText(rc)};
    FramePtr out = newFrame();
    rc = av_buffersink_get_frame(sinkFilter_, out.get());
    if (rc < 0)
        throw Failure{av::errorText(rc)};
    if (!encoder_)
        openEncoder(out.get());
    return out;
}

// The output frame with the captions of its time drawn on a copy: a held
// frame may stand for several output frames, each with captions of its own.
FramePtr VideoChain::caption(const AVFrame* picture, long long slot)
{
    if (!captionGraph_)
        openCaptions(picture);
    FramePtr in = newFrame();
    int rc = av_frame_ref(in.get(), picture);
    if (rc >= 0)
        rc = av_frame_make_writable(in.get());
    if (rc < 0)
        throw Failure{av::errorText(rc)};
    in->pts = slot;
    rc = av_buffersrc_add_frame_flags(captionSource_, in.get(), 0);
    if (rc < 0)
        throw Failure{av::errorText(rc)};
    FramePtr out = newFrame();
    rc = av_buffersink_get_frame(captionSink_, out.get());
    if (rc < 0)
        throw Failure{av::errorText(rc)};
    return out;
}

// Output frame n has the time n in the output rate's own time base, as the
// converter's frames have after its rate filter: the filter asks libass for
// the same millisecond in both engines.
void VideoChain::openCaptions(const AVFrame* first)
{
    const QByteArray sourceArgs = av::videoSourceArgs(
        first->width, first->height, first->format,
        {std::max(composition_.frameRateDen, 1), std::max(composition_.frameRateNum, 1)});
    captionGraph_ = avfilter_graph_alloc();
    // The captions are drawn on the picture as it is and leave its format.
    const QString chain = composition_.captionFilters + QStringLiteral(",format=") +
                          QString::fromLatin1(av_get_pix_fmt_name(AVPixelFormat(first->format)));
    if (!av::buildChain(captionGraph_, "buffer", sourceArgs, "buffersink",
                        chain.toUtf8(), &captionSource_, &captionSink_))
        throw Failure{QStringLiteral("Couldn't prepare the captions.")};
}

// The crop is measured on the upright picture the track describes; a frame
// of another size gets the same part of its own picture.
QRect VideoChain::frameCrop(QRect stored, const AVFrame* frame) const
{
    const bool turned = MWCompositionExport::orientationFilters(composition_.preferredTransform)
                            .startsWith(QLatin1String("transpose"));
    auto upright = [turned](int w, int h) { return turned ? QSize(h, w) : QSize(w, h); };
    auto shownAspect = [turned](AVRational a) {
        const double v = a.num > 0 && a.den > 0 ? av_q2d(a) : 1.0;
        return turned ? 1 / v : v;
    };
    const AVRational sar =
        frame->sample_aspect_ratio.num > 0 ? frame->sample_aspect_ratio : AVRational{1, 1};
    const QSize reference = reference_.isEmpty() ? QSize(frame->width, frame->height) : reference_;
    const AVRational referenceAspect =
        reference_.isEmpty() ? frame->sample_aspect_ratio : referenceAspect_;
    return followCrop(stored, upright(reference.width(), reference.height()),
                      shownAspect(referenceAspect), upright(frame->width, frame->height),
                      shownAspect(sar));
}

void VideoChain::openGraph(const AVFrame* first)
{
    const MWComposition& c = composition_;
    graphWidth_ = first->width;
    graphHeight_ = first->height;
    graphFormat_ = first->format;
    graphAspect_ = first->sample_aspect_ratio;
    const AVRational sar =
        first->sample_aspect_ratio.num > 0 ? first->sample_aspect_ratio : AVRational{1, 1};
    const QByteArray sourceArgs =
        av::videoSourceArgs(first->width, first->height, first->format, kGraphBase, sar);
    QString chain = MWCompositionExport::orientationFilters(c.preferredTransform);
    const QRect crop = frameCrop(graphCrop_, first);
    if (!chain.isEmpty())
        chain += QLatin1Char(',');
    chain += QStringLiteral("crop=%1:%2:%3:%4,")
                 .arg(crop.width())
                 .arg(crop.height())
                 .arg(crop.x())
                 .arg(crop.y());
    // The scale notices a new crop size only by a frame whose size differs
    // from its input's, which the crop's commands have already changed.
    if (moving_)
        chain += QStringLiteral("null,");
    if (c.pictureFilters.isEmpty())
        chain += QStringLiteral("scale=%1:%2:flags=bicubic,setsar=1,format=yuv420p")
                     .arg(c.renderSize.width())
                     .arg(c.renderSize.height());
    else
        chain += c.pictureFilters;

    graph_ = avfilter_graph_alloc();
    if (!av::buildChain(graph_, "buffer", sourceArgs, "buffersink", chain.toUtf8(),
                        &source_, &sinkFilter_))
        throw Failure{QStringLiteral("Couldn't prepare the video.")};
}

// The converter's software encoder at its preset and peak rate (libx264
// "veryfast", peaks held to 1.5 × its average rate), but at constant quality
// (CRF 18, visually transparent) instead of that average: a hard scene may
// spend up to the peak, an easy one spends only what it needs.
void VideoChain::openEncoder(const AVFrame* first)
{
    const Failure refused{QStringLiteral("Linux couldn't start the export.")};
    const AVCodec* codec = avcodec_find_encoder_by_name("libx264");
    if (!codec)
        throw refused;
    encoder_.reset(avcodec_alloc_context3(codec));
    AVCodecContext* e = encoder_.get();
    if (!e)
        throw refused;
    e->width = first->width;
    e->height = first->height;
    e->pix_fmt = AVPixelFormat(first->format);
    e->sample_aspect_ratio = AVRational{1, 1};
    const AVRational rate{std::max(composition_.frameRateNum, 1),
                          std::max(composition_.frameRateDen, 1)};
    e->time_base = av_inv_q(rate);
    e->framerate = rate;
    if (composition_.bt709) {
        e->color_primaries = AVCOL_PRI_BT709;
        e->color_trc = AVCOL_TRC_BT709;
        e->colorspace = AVCOL_SPC_BT709;
        e->color_range = AVCOL_RANGE_MPEG;
    } else {
        // The source's colour tags travel with its pixels; scaling keeps them.
        e->color_primaries = first->color_primaries;
        e->color_trc = first->color_trc;
        e->colorspace = first->colorspace;
        e->color_range = first->color_range;
    }
    e->chroma_sample_location = first->chroma_location;
    if (composition_.keyFrameInterval > 0)
        e->gop_size = composition_.keyFrameInterval;
    e->flags |= AV_CODEC_FLAG_CLOSED_GOP;
    e->rc_max_rate = composition_.videoBitRate * 3 / 2;
    e->rc_buffer_size = int(std::min<long long>(composition_.videoBitRate * 2, INT32_MAX));
    e->thread_count = 0;                      // as many as the machine has
    e->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;  // MP4 keeps the parameter sets in the header
    AVDictionary* options = nullptr;
    av_dict_set(&options, "preset", "veryfast", 0);
    av_dict_set(&options, "profile", "high", 0);
    av_dict_set(&options, "crf", "18", 0);
    if (!composition_.level.isEmpty())
        av_dict_set(&options, "level", composition_.level.toLatin1().constData(), 0);
    const int rc = avcodec_open2(e, codec, &options);
    av_dict_free(&options);
    if (rc < 0)
        throw refused;
    if (onStart)
        onStart();
}

}  // namespace composition

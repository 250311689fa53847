#pragma once

#include "platform/composition.h"
#include "platform/compositionav.h"

#include <QRect>
#include <QSize>

struct AVFilterGraph;
struct AVFilterContext;

namespace composition {

// The crop frame, measured on a picture of one upright stored size and pixel
// aspect, carried onto a picture of another size: its centre stays at the
// same place relative to the picture, its shown shape stays, its size follows
// the picture's as far as the new one allows; whole even pixels inside the
// picture. A picture of the same size keeps the crop as it is.
QRect followCrop(QRect crop, QSize from, double fromAspect, QSize to, double toAspect);

// The picture side of a composition export: upright, crop and scale each
// decoded frame, lay the frames on the constant-rate output grid and encode
// them with libx264. A picture that changes size on the way (a broadcast
// going from an SD advert to the HD programme) is followed: the same part of
// it fills the same output size.
class VideoChain {
public:
    // reference: the stored size and pixel aspect of the picture the crop was
    // measured on (the track's own description).
    VideoChain(const MWComposition& composition, QSize reference, AVRational referenceAspect);
    ~VideoChain();
    VideoChain(const VideoChain&) = delete;
    VideoChain& operator=(const VideoChain&) = delete;

    // Offers a decoded frame whose time is `time` seconds from the clip's
    // start. Frames before the start are only remembered (the last one stands
    // in when the range holds no frame of its own); a frame at or past the end
    // marks the picture done.
    void push(const AVFrame* decoded, double time);
    bool done() const { return done_; }
    // Fills the remaining output frames and drains the encoder.
    void finish();

    // 0…1: the share of output frames handed to the encoder.
    double progress() const;
    // Open once the first frame has been shaped (its colour tags decide the
    // encoder's); nullptr before.
    AVCodecContext* encoder() const { return encoder_.get(); }

    std::function<void()> onStart;  // the encoder has just opened; no packet yet
    std::function<void()> onFrame;  // after each output frame; may throw Stopped
    PacketSink sink;

private:
    void shape(const AVFrame* decoded, double time);
    void drainGraph();
    void place(FramePtr frame, double time);
    void openGraph(const AVFrame* first);
    bool graphFits(const AVFrame* frame) const;
    void openEncoder(const AVFrame* first);
    void emitSlot();
    FramePtr caption(const AVFrame* picture, long long slot);
    void openCaptions(const AVFrame* first);
    FramePtr cutAt(const AVFrame* frame, long long slot);
    QRect frameCrop(QRect stored, const AVFrame* frame) const;
    void deliver(AVPacket* packet);

    const MWComposition composition_;
    const QSize reference_;
    const AVRational referenceAspect_;
    const double rate_;      // output frames a second
    const long long slots_;  // output frames: the clip's length on the output grid
    long long nextSlot_ = 0;
    bool done_ = false;
    AVFilterGraph* graph_ = nullptr;
    AVFilterContext* source_ = nullptr;
    AVFilterContext* sinkFilter_ = nullptr;
    // The captions' own graph, fed the finished output frames on the output
    // grid's clock, so that they are timed exactly as the converter's are.
    AVFilterGraph* captionGraph_ = nullptr;
    AVFilterContext* captionSource_ = nullptr;
    AVFilterContext* captionSink_ = nullptr;
    int graphWidth_ = 0;  // the input the graph was made for
    int graphHeight_ = 0;
    int graphFormat_ = -1;
    AVRational graphAspect_{0, 1};
    // A moving crop cuts each output frame on its own (held_ is then the
    // decoded picture); graphCrop_ is the graph's crop, in the composition's pixels.
    const bool moving_;
    QRect graphCrop_;
    QRect slotCrop_;       // where the current output frame is cut
    size_t nextMove_ = 0;  // the first of cropMoves not yet reached
    CodecPtr encoder_;
    FramePtr held_;    // the frame shown until the next one takes over
    FramePtr before_;  // the last frame before the start
    FramePtr scratch_;
};

}  // namespace composition

#pragma once

#include "platform/composition.h"
#include "platform/compositionav.h"

struct AVFilterGraph;
struct AVFilterContext;

namespace composition {

// The picture side of a composition export: upright, crop and scale each
// decoded frame, lay the frames on the constant-rate output grid and encode
// them with libx264.
class VideoChain {
public:
    explicit VideoChain(const MWComposition& composition);
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
    void openEncoder(const AVFrame* first);
    void emitSlot();
    void deliver(AVPacket* packet);

    const MWComposition composition_;
    const long long slots_;  // output frames: the clip's length on the output grid
    long long nextSlot_ = 0;
    bool done_ = false;
    AVFilterGraph* graph_ = nullptr;
    AVFilterContext* source_ = nullptr;
    AVFilterContext* sinkFilter_ = nullptr;
    CodecPtr encoder_;
    FramePtr held_;    // the frame shown until the next one takes over
    FramePtr before_;  // the last frame before the start
    FramePtr scratch_;
};

}  // namespace composition

#pragma once

#include "platform/audiograph.h"
#include "platform/compositionav.h"

struct SwrContext;
struct AVChannelLayout;
struct AVAudioFifo;

namespace composition {

// The sound side of a composition export: cut the decoded samples to the
// clip's range, keep them on the picture's clock (gaps become silence,
// overlaps are dropped), turn them into stereo, run them through the
// composition's sound filters, and encode AAC at 192 kbit/s.
class AudioChain {
public:
    // filters: libavfilter text for the 48 kHz stereo sound; empty for none.
    AudioChain(const AVCodecContext* decoder, double length, QString filters = {});
    ~AudioChain();
    AudioChain(const AudioChain&) = delete;
    AudioChain& operator=(const AudioChain&) = delete;

    // Opens the encoder, and the resampler when the decoder already knows its
    // format; false when the sound can't be carried, and the export then goes
    // on without it.
    bool open();
    AVCodecContext* encoder() const { return encoder_.get(); }
    // The sound turned out not to be convertible once its first frame came:
    // nothing more is taken. Before the output is made, the export leaves the
    // sound out; after, its track stays empty.
    bool refused() const { return refused_; }

    // Offers a decoded frame whose first sample lies `time` seconds from the
    // clip's start (NaN when the frame carries no time: it follows the last).
    void push(const AVFrame* decoded, double time);
    bool done() const { return done_; }
    // Encodes whole encoder frames of what is queued; `last` also resamples
    // and encodes the rest and drains the encoder.
    void drain(bool last);

    PacketSink sink;

private:
    bool openResampler(int rate, int format, const AVChannelLayout& layout);
    void feed(const uint8_t* const* planes, int count);
    void feedSilence(long long count);
    void queue(uint8_t** data, int count);
    void filter(uint8_t** data, int count);
    void store(uint8_t** data, int count);

    const double length_;
    const AVCodecContext* const decoder_;
    const QString filters_;
    av::AudioGraph graph_;
    CodecPtr encoder_;
    SwrContext* resampler_ = nullptr;
    AVAudioFifo* fifo_ = nullptr;
    int inRate_ = 0;
    int inChannels_ = 0;
    int inFormat_ = -1;
    long long inPosition_ = 0;   // input samples taken so far, counted from the start
    long long queuedTotal_ = 0;  // output samples queued so far
    long long storedTotal_ = 0;  // of those, out of the filters and into the FIFO
    long long maxSamples_ = 0;   // the clip's length in output samples
    long long encoded_ = 0;      // output samples handed to the encoder
    long long primed_ = 0;       // the encoder's priming, in samples
    bool done_ = false;
    bool refused_ = false;
    FramePtr frame_;
};

}  // namespace composition

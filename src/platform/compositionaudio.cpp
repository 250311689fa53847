#include "platform/compositionaudio.h"

extern "C" {
#include <libavutil/audio_fifo.h>
#include <libavutil/channel_layout.h>
#include <libavutil/samplefmt.h>
#include <libswresample/swresample.h>
}

#include <algorithm>
#include <cmath>
#include <vector>

namespace composition {

namespace {

constexpr AVSampleFormat kOutFormat = AV_SAMPLE_FMT_FLTP;  // what the AAC encoder takes
constexpr int kOutChannels = 2;

// Every clip's sound leaves at 48 kHz, whatever the source's rate: the rate
// every short-video platform takes (some refuse more), as the converter writes it.
constexpr int kOutRate = 48000;

}  // namespace

AudioChain::AudioChain(const AVCodecContext* decoder, double length, QString filters)
    : length_(length), decoder_(decoder), filters_(std::move(filters)), frame_(newFrame())
{}

AudioChain::~AudioChain()
{
    swr_free(&resampler_);
    if (fifo_)
        av_audio_fifo_free(fifo_);
}

bool AudioChain::open()
{
    const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_AAC);
    if (!codec)
        return false;
    encoder_.reset(avcodec_alloc_context3(codec));
    AVCodecContext* e = encoder_.get();
    if (!e)
        return false;
    e->sample_fmt = kOutFormat;
    e->sample_rate = kOutRate;
    av_channel_layout_default(&e->ch_layout, kOutChannels);
    e->bit_rate = 192000;
    e->time_base = AVRational{1, e->sample_rate};
    e->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    if (avcodec_open2(e, codec, nullptr) < 0) {
        encoder_.reset();
        return false;
    }
    fifo_ = av_audio_fifo_alloc(kOutFormat, kOutChannels, e->frame_size > 0 ? e->frame_size : 1024);
    maxSamples_ = std::llround(length_ * e->sample_rate);
    primed_ = std::max(0, e->initial_padding);
    if (!fifo_) {
        encoder_.reset();
        return false;
    }
    // The filters may work at another rate or sample format inside; what
    // leaves them is again what the encoder takes.
    if (!filters_.isEmpty() &&
        !graph_.open(kOutRate, kOutFormat, e->ch_layout,
                     filters_ + QStringLiteral(",aformat=sample_fmts=fltp:sample_rates=48000:"
                                               "channel_layouts=stereo")))
        throw Failure{QStringLiteral("Couldn't prepare the sound.")};
    // Known now, sound that can't be converted (a channel count beyond the
    // resampler's) leaves the output without an audio track at all.
    const AVCodecContext* d = decoder_;
    if (d->sample_rate > 0 && d->sample_fmt != AV_SAMPLE_FMT_NONE && d->ch_layout.nb_channels > 0 &&
        !openResampler(d->sample_rate, d->sample_fmt, d->ch_layout)) {
        encoder_.reset();
        return false;
    }
    return true;
}

void AudioChain::push(const AVFrame* decoded, double time)
{
    if (done_ || !encoder_ || decoded->nb_samples <= 0)
        return;
    if (decoded->sample_rate != inRate_ || decoded->format != inFormat_ ||
        decoded->ch_layout.nb_channels != inChannels_) {
        // The decoder's first frame may say more than its header did; once
        // samples have gone through, a change is skipped rather than misread.
        if (inPosition_ > 0)
            return;
        if (!openResampler(decoded->sample_rate, decoded->format, decoded->ch_layout)) {
            refused_ = true;
            done_ = true;
            return;
        }
    }
    const double rate = inRate_;
    if (std::isnan(time))
        time = double(inPosition_) / rate;
    if (time >= length_) {
        done_ = true;
        return;
    }
    // Samples before the start and from the end on are cut off.
    long long first = std::max(0LL, (long long)std::ceil(-time * rate - 1e-6));
    const long long last = std::min<long long>(
        decoded->nb_samples, (long long)std::ceil((length_ - time) * rate - 1e-6));
    if (first >= last)
        return;
    // Keep the sound on the clip's clock: a hole of more than 20 ms becomes
    // silence, an overlap of more than 20 ms is dropped.
    const long long position = std::llround(time * rate) + first;
    const long long gap = position - inPosition_;
    const long long tolerance = inRate_ / 50;
    if (gap > tolerance)
        feedSilence(gap);
    else if (gap < -tolerance)
        first = std::min(last, first - gap);
    if (first >= last)
        return;

    const int bytes = av_get_bytes_per_sample(AVSampleFormat(inFormat_));
    std::vector<const uint8_t*> planes;
    if (av_sample_fmt_is_planar(AVSampleFormat(inFormat_))) {
        for (int ch = 0; ch < inChannels_; ++ch)
            planes.push_back(decoded->extended_data[ch] + first * bytes);
    } else {
        planes.push_back(decoded->extended_data[0] + first * bytes * inChannels_);
    }
    feed(planes.data(), int(last - first));
}

bool AudioChain::openResampler(int rate, int format, const AVChannelLayout& layout)
{
    swr_free(&resampler_);
    inRate_ = rate;
    inFormat_ = format;
    inChannels_ = layout.nb_channels;
    AVChannelLayout in{};
    if (layout.order == AV_CHANNEL_ORDER_UNSPEC)
        av_channel_layout_default(&in, inChannels_);
    else
        av_channel_layout_copy(&in, &layout);
    const int rc =
        swr_alloc_set_opts2(&resampler_, &encoder_->ch_layout, kOutFormat, encoder_->sample_rate,
                            &in, AVSampleFormat(inFormat_), inRate_, 0, nullptr);
    av_channel_layout_uninit(&in);
    if (rc < 0 || swr_init(resampler_) < 0) {
        swr_free(&resampler_);
        return false;
    }
    return true;
}

void AudioChain::feed(const uint8_t* const* planes, int count)
{
    if (!resampler_)
        return;
    const int room = swr_get_out_samples(resampler_, count);
    if (room <= 0)
        return;
    uint8_t* out[kOutChannels] = {};
    if (av_samples_alloc(out, nullptr, kOutChannels, room, kOutFormat, 0) < 0)
        throw Failure{av::errorText(AVERROR(ENOMEM))};
    const int made = swr_convert(resampler_, out, room, const_cast<const uint8_t**>(planes), count);
    if (made > 0)
        queue(out, made);
    av_freep(&out[0]);
    inPosition_ += count;
}

void AudioChain::feedSilence(long long count)
{
    constexpr int kChunk = 4096;
    uint8_t** silence = nullptr;
    if (av_samples_alloc_array_and_samples(&silence, nullptr, inChannels_, kChunk,
                                           AVSampleFormat(inFormat_), 0) < 0)
        throw Failure{av::errorText(AVERROR(ENOMEM))};
    av_samples_set_silence(silence, 0, kChunk, inChannels_, AVSampleFormat(inFormat_));
    while (count > 0) {
        const int n = int(std::min<long long>(count, kChunk));
        feed(silence, n);
        count -= n;
    }
    av_freep(&silence[0]);
    av_freep(&silence);
}

void AudioChain::queue(uint8_t** data, int count)
{
    // The resampler's tail may run past the clip's end by a few samples.
    count = int(std::min<long long>(count, maxSamples_ - queuedTotal_));
    if (count <= 0)
        return;
    if (graph_.isOpen())
        filter(data, count);
    else
        store(data, count);
    queuedTotal_ += count;
}

void AudioChain::filter(uint8_t** data, int count)
{
    FramePtr in = newFrame();
    in->nb_samples = count;
    in->format = kOutFormat;
    in->sample_rate = kOutRate;
    av_channel_layout_copy(&in->ch_layout, &encoder_->ch_layout);
    if (av_frame_get_buffer(in.get(), 0) < 0)
        throw Failure{av::errorText(AVERROR(ENOMEM))};
    av_samples_copy(in->extended_data, data, 0, 0, count, kOutChannels, kOutFormat);
    in->pts = queuedTotal_;
    if (!graph_.push(in.get()) ||
        !graph_.pull([this](const AVFrame* f) { store(f->extended_data, f->nb_samples); }))
        throw Failure{QStringLiteral("Couldn't prepare the sound.")};
}

void AudioChain::store(uint8_t** data, int count)
{
    // A filter's own tail may run past the clip's end too.
    count = int(std::min<long long>(count, maxSamples_ - storedTotal_));
    if (count <= 0)
        return;
    // The encoder's priming takes the place of the clip's first samples: with
    // no edit list to hide it, it plays, and the sound stays on the picture.
    const int skip = int(std::clamp<long long>(primed_ - storedTotal_, 0, count));
    uint8_t* rest[kOutChannels];
    for (int ch = 0; ch < kOutChannels; ++ch)
        rest[ch] = data[ch] + skip * av_get_bytes_per_sample(kOutFormat);
    storedTotal_ += skip;
    count -= skip;
    if (count <= 0)
        return;
    if (av_audio_fifo_write(fifo_, reinterpret_cast<void**>(rest), count) < count)
        throw Failure{av::errorText(AVERROR(ENOMEM))};
    storedTotal_ += count;
}

void AudioChain::drain(bool last)
{
    if (!encoder_)
        return;
    if (last && resampler_) {
        uint8_t* out[kOutChannels] = {};
        const int room = swr_get_out_samples(resampler_, 0);
        if (room > 0 && av_samples_alloc(out, nullptr, kOutChannels, room, kOutFormat, 0) >= 0) {
            const int made = swr_convert(resampler_, out, room, nullptr, 0);
            if (made > 0)
                queue(out, made);
            av_freep(&out[0]);
        }
    }
    if (last && graph_.isOpen() && !(graph_.push(nullptr) && graph_.pull([this](const AVFrame* f) {
            store(f->extended_data, f->nb_samples);
        })))
        throw Failure{QStringLiteral("Couldn't prepare the sound.")};
    const int size = encoder_->frame_size > 0 ? encoder_->frame_size : 1024;
    while (av_audio_fifo_size(fifo_) >= size || (last && av_audio_fifo_size(fifo_) > 0)) {
        const int n = std::min(size, av_audio_fifo_size(fifo_));
        av_frame_unref(frame_.get());
        frame_->nb_samples = n;
        frame_->format = kOutFormat;
        frame_->sample_rate = encoder_->sample_rate;
        av_channel_layout_copy(&frame_->ch_layout, &encoder_->ch_layout);
        if (av_frame_get_buffer(frame_.get(), 0) < 0)
            throw Failure{av::errorText(AVERROR(ENOMEM))};
        av_audio_fifo_read(fifo_, reinterpret_cast<void**>(frame_->data), n);
        // Counted from the first kept sample, which the priming has moved.
        frame_->pts = primed_ + encoded_;
        encoded_ += n;
        encode(encoder_.get(), frame_.get(), sink);
    }
    if (last)
        encode(encoder_.get(), nullptr, sink);
}

}  // namespace composition

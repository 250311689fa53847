#include "platform/loudnessmeter.h"

#include "platform/audiograph.h"
#include "platform/avhandles.h"

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/dict.h>
#include <libavutil/samplefmt.h>
}

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace MWLoudnessMeter {

namespace {

// ebur128 puts its running figures on the frames it passes on; the last ones
// cover the whole range.
const QString kMeter = QStringLiteral("ebur128=metadata=1");
const QString kMeterWithPeak = QStringLiteral("ebur128=peak=true:metadata=1");

class Meter {
public:
    Meter(double length, QString chain) : length_(length), chain_(std::move(chain)) {}

    // Takes the part of a decoded frame inside the range; `time` is where its
    // first sample lies from the range's start (NaN: right after the last).
    bool take(const AVFrame* decoded, double time)
    {
        if (decoded->nb_samples <= 0 || done_)
            return true;
        if (!graph_.isOpen()) {
            if (!graph_.open(decoded->sample_rate, decoded->format, decoded->ch_layout, chain_))
                return false;
            rate_ = decoded->sample_rate;
            format_ = decoded->format;
            channels_ = decoded->ch_layout.nb_channels;
        }
        // A change of format in the middle is left out, as the composition does.
        if (decoded->sample_rate != rate_ || decoded->format != format_ ||
            decoded->ch_layout.nb_channels != channels_)
            return true;
        if (std::isnan(time))
            time = double(position_) / rate_;
        if (time >= length_) {
            done_ = true;
            return true;
        }
        const long long first = std::max(0LL, (long long)std::ceil(-time * rate_ - 1e-6));
        const long long last = std::min<long long>(
            decoded->nb_samples, (long long)std::ceil((length_ - time) * rate_ - 1e-6));
        if (first >= last)
            return true;
        const int count = int(last - first);
        av::Frame part(av_frame_alloc());
        if (!part)
            return false;
        part->nb_samples = count;
        part->format = format_;
        part->sample_rate = rate_;
        if (av_channel_layout_copy(&part->ch_layout, &decoded->ch_layout) < 0 ||
            av_frame_get_buffer(part.get(), 0) < 0)
            return false;
        av_samples_copy(part->extended_data, decoded->extended_data, 0, int(first), count,
                        channels_, AVSampleFormat(format_));
        part->pts = position_;
        position_ += count;
        fed_ = true;
        return graph_.push(part.get()) && read();
    }

    bool done() const { return done_; }

    std::optional<MWLoudness> finish()
    {
        if (!fed_ || !graph_.push(nullptr) || !read())
            return std::nullopt;
        return result_;
    }

private:
    bool read()
    {
        return graph_.pull([this](const AVFrame* frame) {
            if (const AVDictionaryEntry* i =
                    av_dict_get(frame->metadata, "lavfi.r128.I", nullptr, 0))
                result_.integrated = std::strtod(i->value, nullptr);
            if (const AVDictionaryEntry* p =
                    av_dict_get(frame->metadata, "lavfi.r128.true_peak", nullptr, 0)) {
                const double peak = std::strtod(p->value, nullptr);
                result_.truePeak = peak > 0 ? 20 * std::log10(peak) : -144;
            }
        });
    }

    const double length_;
    const QString chain_;
    av::AudioGraph graph_;
    int rate_ = 0;
    int format_ = -1;
    int channels_ = 0;
    long long position_ = 0;  // samples taken, counted from the range's start
    bool fed_ = false;
    bool done_ = false;
    MWLoudness result_;
};

av::CodecContext openDecoder(const AVStream* stream)
{
    const AVCodec* codec = avcodec_find_decoder(stream->codecpar->codec_id);
    if (!codec)
        return {};
    av::CodecContext c(avcodec_alloc_context3(codec));
    if (!c || avcodec_parameters_to_context(c.get(), stream->codecpar) < 0)
        return {};
    c->pkt_timebase = stream->time_base;
    if (avcodec_open2(c.get(), codec, nullptr) < 0)
        return {};
    return c;
}

}  // namespace

std::optional<MWLoudness> measure(const QString& source, double start, double end,
                                  const QString& filters, bool truePeak,
                                  const std::function<bool()>& stop)
{
    av::quiet();
    AVFormatContext* opened = nullptr;
    if (avformat_open_input(&opened, av::fsPath(source).constData(), nullptr, nullptr) < 0)
        return std::nullopt;
    const av::Input in(opened);
    const auto chooseSound = [opened] {
        int index = -1;
        for (unsigned i = 0; i < opened->nb_streams; ++i) {
            AVStream* st = opened->streams[i];
            const bool sound = index < 0 && st->codecpar->codec_type == AVMEDIA_TYPE_AUDIO;
            if (sound)
                index = int(i);
            // The picture's packets are passed over, not read or decoded.
            st->discard = sound ? AVDISCARD_DEFAULT : AVDISCARD_ALL;
        }
        return index;
    };
    // Where the header names the tracks (MP4, MOV), the stream information is
    // looked for in the sound alone, without decoding pictures.
    int index = chooseSound();
    if (avformat_find_stream_info(opened, nullptr) < 0)
        return std::nullopt;
    if (index < 0)
        index = chooseSound();
    if (index < 0)
        return std::nullopt;
    const AVStream* stream = opened->streams[index];
    const av::CodecContext decoder = openDecoder(stream);
    if (!decoder)
        return std::nullopt;
    const double mediaStart =
        opened->start_time == AV_NOPTS_VALUE ? 0.0 : double(opened->start_time) / AV_TIME_BASE;
    if (start > 0) {
        const auto ts = std::llround((start + mediaStart) * AV_TIME_BASE);
        avformat_seek_file(opened, -1, std::numeric_limits<int64_t>::min(), ts, ts, 0);
    }

    const QString& meterText = truePeak ? kMeterWithPeak : kMeter;
    const QString chain = filters.isEmpty() ? meterText : filters + QLatin1Char(',') + meterText;
    Meter meter(end - start, chain);
    const av::Packet packet(av_packet_alloc());
    const av::Frame frame(av_frame_alloc());
    if (!packet || !frame)
        return std::nullopt;
    const auto drainDecoder = [&]() -> bool {
        while (avcodec_receive_frame(decoder.get(), frame.get()) >= 0) {
            const int64_t ts = frame->best_effort_timestamp;
            const double time = ts == AV_NOPTS_VALUE
                                    ? std::numeric_limits<double>::quiet_NaN()
                                    : ts * av_q2d(stream->time_base) - mediaStart - start;
            const bool ok = meter.take(frame.get(), time);
            av_frame_unref(frame.get());
            if (!ok)
                return false;
        }
        return true;
    };
    while (av_read_frame(opened, packet.get()) >= 0) {
        if (stop && stop())
            return std::nullopt;
        // A damaged packet is skipped, as the engines skip it.
        if (packet->stream_index == index)
            avcodec_send_packet(decoder.get(), packet.get());
        av_packet_unref(packet.get());
        if (!drainDecoder())
            return std::nullopt;
        if (meter.done())
            break;
    }
    avcodec_send_packet(decoder.get(), nullptr);
    if (!drainDecoder())
        return std::nullopt;
    return meter.finish();
}

}  // namespace MWLoudnessMeter

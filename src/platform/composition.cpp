#include "platform/composition.h"

#include "platform/compositionaudio.h"
#include "platform/compositionav.h"
#include "platform/compositionvideo.h"

#include <QFile>
#include <cmath>
#include <limits>
#include <optional>

namespace composition {

FramePtr newFrame()
{
    FramePtr f(av_frame_alloc());
    if (!f)
        throw Failure{av::errorText(AVERROR(ENOMEM))};
    return f;
}

PacketPtr newPacket()
{
    PacketPtr p(av_packet_alloc());
    if (!p)
        throw Failure{av::errorText(AVERROR(ENOMEM))};
    return p;
}

void encode(AVCodecContext* encoder, const AVFrame* frame, const PacketSink& sink)
{
    int rc = avcodec_send_frame(encoder, frame);
    if (rc < 0 && rc != AVERROR_EOF)
        throw Failure{av::errorText(rc)};
    PacketPtr packet = newPacket();
    for (;;) {
        rc = avcodec_receive_packet(encoder, packet.get());
        if (rc == AVERROR(EAGAIN) || rc == AVERROR_EOF)
            return;
        if (rc < 0)
            throw Failure{av::errorText(rc)};
        sink(packet.get());
        av_packet_unref(packet.get());
    }
}

namespace {

CodecPtr openDecoder(const AVStream* stream)
{
    const AVCodec* codec = avcodec_find_decoder(stream->codecpar->codec_id);
    if (!codec)
        return {};
    CodecPtr c(avcodec_alloc_context3(codec));
    if (!c || avcodec_parameters_to_context(c.get(), stream->codecpar) < 0)
        return {};
    c->pkt_timebase = stream->time_base;
    c->thread_count = 0;
    if (avcodec_open2(c.get(), codec, nullptr) < 0)
        return {};
    return c;
}

// One run of the pipeline: demux once, decode both tracks, encode, mux.
class Pipeline {
public:
    Pipeline(const MWComposition& c, const std::atomic<bool>& cancel, std::atomic<double>& progress)
        : c_(c), cancel_(cancel), progress_(progress), length_(c.end - c.start)
    {}
    ~Pipeline()
    {
        // Torn down before the file goes, so nothing writes to it any more.
        output_.reset();
        if (created_)
            QFile::remove(c_.output);
    }

    // True when the file is complete; false when cancelled.
    bool run()
    {
        try {
            return work();
        } catch (const Stopped&) {
            return false;
        }
    }

private:
    bool work()
    {
        openInput();
        while (!(video_->done() && (!audio_ || audio_->done()))) {
            if (cancel_)
                return false;
            const int rc = av_read_frame(input_.get(), packet_.get());
            if (rc < 0)
                break;  // the end, or damage that ends the input early
            const int index = packet_->stream_index;
            if (index == videoIndex_ && !video_->done())
                decode(videoDecoder_.get(), packet_.get(), true);
            else if (index == audioIndex_ && audio_ && !audio_->done())
                decode(audioDecoder_.get(), packet_.get(), false);
            av_packet_unref(packet_.get());
        }
        if (cancel_)
            return false;
        decode(videoDecoder_.get(), nullptr, true);
        if (audio_)
            decode(audioDecoder_.get(), nullptr, false);
        video_->finish();
        if (audio_)
            audio_->drain(true);
        if (cancel_)
            return false;
        const int rc = av_write_trailer(output_.get());  // moves the index to the front
        if (rc < 0)
            throw Failure{av::errorText(rc)};
        avio_closep(&output_->pb);
        created_ = false;  // complete: it stays
        return true;
    }

    void openInput()
    {
        AVFormatContext* in = nullptr;
        int rc = avformat_open_input(&in, av::fsPath(c_.source).constData(), nullptr, nullptr);
        if (rc < 0)
            throw Failure{av::errorText(rc)};
        input_.reset(in);
        rc = avformat_find_stream_info(in, nullptr);
        if (rc < 0)
            throw Failure{av::errorText(rc)};
        for (unsigned i = 0; i < in->nb_streams; ++i) {
            AVStream* st = in->streams[i];
            const AVMediaType type = st->codecpar->codec_type;
            if (videoIndex_ < 0 && type == AVMEDIA_TYPE_VIDEO &&
                !(st->disposition & AV_DISPOSITION_ATTACHED_PIC))
                videoIndex_ = int(i);
            else if (audioIndex_ < 0 && type == AVMEDIA_TYPE_AUDIO)
                audioIndex_ = int(i);
            else
                st->discard = AVDISCARD_ALL;
        }
        if (videoIndex_ < 0 || !(videoDecoder_ = openDecoder(in->streams[videoIndex_])))
            throw Failure{QStringLiteral("The video track can't be read.")};
        if (!avcodec_find_encoder_by_name("libx264"))
            throw Failure{QStringLiteral("Linux couldn't start the export.")};
        if (audioIndex_ >= 0 && (audioDecoder_ = openDecoder(in->streams[audioIndex_]))) {
            audio_.emplace(audioDecoder_.get(), length_, c_.audioFilters);
            if (!audio_->open())
                audio_.reset();  // the clip goes out without sound
        }
        mediaStart_ =
            in->start_time == AV_NOPTS_VALUE ? 0.0 : double(in->start_time) / AV_TIME_BASE;

        const AVCodecParameters* picture = in->streams[videoIndex_]->codecpar;
        video_.emplace(c_, QSize(picture->width, picture->height), picture->sample_aspect_ratio);
        video_->onStart = [this] { openOutput(); };
        video_->onFrame = [this] {
            if (cancel_)
                throw Stopped{};
            progress_ = 0.99 * video_->progress();
        };
        video_->sink = [this](AVPacket* p) { write(p, video_->encoder(), videoOut_); };
        if (audio_)
            audio_->sink = [this](AVPacket* p) { write(p, audio_->encoder(), audioOut_); };

        packet_ = newPacket();
        frame_ = newFrame();
        if (c_.start > 0) {
            // To the key frame at or before the start; decoding goes on from there.
            const auto ts = std::llround((c_.start + mediaStart_) * AV_TIME_BASE);
            avformat_seek_file(in, -1, std::numeric_limits<int64_t>::min(), ts, ts, 0);
        }
    }

    void decode(AVCodecContext* decoder, const AVPacket* packet, bool isVideo)
    {
        // A damaged packet is skipped, as players do.
        if (avcodec_send_packet(decoder, packet) < 0 && packet)
            return;
        const AVStream* st = input_->streams[isVideo ? videoIndex_ : audioIndex_];
        for (;;) {
            const int rc = avcodec_receive_frame(decoder, frame_.get());
            if (rc < 0)
                return;
            const int64_t ts = frame_->best_effort_timestamp;
            const double time = ts == AV_NOPTS_VALUE
                                    ? std::numeric_limits<double>::quiet_NaN()
                                    : ts * av_q2d(st->time_base) - mediaStart_ - c_.start;
            if (isVideo) {
                if (!std::isnan(time))
                    video_->push(frame_.get(), time);
            } else {
                audio_->push(frame_.get(), time);
                if (headerWritten_)
                    audio_->drain(false);
            }
            av_frame_unref(frame_.get());
            if (cancel_)
                return;
        }
    }

    // The first picture is ready: every stream's parameters are known now.
    void openOutput()
    {
        AVFormatContext* out = nullptr;
        const QByteArray path = av::fsPath(c_.output);
        if (avformat_alloc_output_context2(&out, nullptr, "mp4", path.constData()) < 0 || !out)
            throw Failure{QStringLiteral("Linux couldn't start the export.")};
        output_.reset(out);
        if (audio_ && audio_->refused())
            audio_.reset();  // refused at its first frame: the clip goes out without sound
        videoOut_ = addStream(video_->encoder());
        if (audio_)
            audioOut_ = addStream(audio_->encoder());
        QFile::remove(c_.output);
        int rc = avio_open(&out->pb, path.constData(), AVIO_FLAG_WRITE);
        if (rc < 0)
            throw Failure{av::errorText(rc)};
        created_ = true;
        AVDictionary* options = nullptr;
        // No edit lists (some platforms mishandle them): the picture's
        // reordering delay goes into negative composition offsets, and the
        // sound's priming is taken out of the clip (see AudioChain).
        av_dict_set(&options, "movflags", "+faststart+negative_cts_offsets", 0);
        av_dict_set(&options, "use_editlist", "0", 0);
        rc = avformat_write_header(out, &options);
        av_dict_free(&options);
        if (rc < 0)
            throw Failure{av::errorText(rc)};
        headerWritten_ = true;
        if (audio_)
            audio_->drain(false);
    }

    AVStream* addStream(const AVCodecContext* encoder)
    {
        AVStream* st = avformat_new_stream(output_.get(), nullptr);
        if (!st || avcodec_parameters_from_context(st->codecpar, encoder) < 0)
            throw Failure{QStringLiteral("Linux couldn't start the export.")};
        st->time_base = encoder->time_base;
        return st;
    }

    void write(AVPacket* packet, const AVCodecContext* encoder, AVStream* stream)
    {
        av_packet_rescale_ts(packet, encoder->time_base, stream->time_base);
        packet->stream_index = stream->index;
        const int rc = av_interleaved_write_frame(output_.get(), packet);
        if (rc < 0)
            throw Failure{av::errorText(rc)};
    }

    const MWComposition& c_;
    const std::atomic<bool>& cancel_;
    std::atomic<double>& progress_;
    const double length_;
    double mediaStart_ = 0;
    av::Input input_;
    av::Output output_;
    int videoIndex_ = -1;
    int audioIndex_ = -1;
    CodecPtr videoDecoder_;
    CodecPtr audioDecoder_;
    std::optional<VideoChain> video_;
    std::optional<AudioChain> audio_;
    AVStream* videoOut_ = nullptr;
    AVStream* audioOut_ = nullptr;
    PacketPtr packet_;
    FramePtr frame_;
    bool created_ = false;
    bool headerWritten_ = false;
};

}  // namespace

}  // namespace composition

MWCompositionExport::MWCompositionExport(MWComposition composition)
    : composition_(std::move(composition))
{}

MWCompositionExport::~MWCompositionExport() = default;

void MWCompositionExport::run()
{
    av::quiet();
    {
        std::lock_guard lock(mutex_);
        if (status_ != Status::waiting)
            return;
        status_ = Status::exporting;
    }
    if (cancelRequested_) {
        finish(Status::cancelled, {});
        return;
    }
    try {
        composition::Pipeline pipeline(composition_, cancelRequested_, progress_);
        if (pipeline.run()) {
            progress_ = 1.0;
            finish(Status::completed, {});
        } else {
            finish(Status::cancelled, {});
        }
    } catch (const composition::Failure& failure) {
        // A cancel that lands in the middle of a failing step is still a cancel.
        finish(cancelRequested_ ? Status::cancelled : Status::failed, failure.message);
    } catch (...) {
        // Nothing may leave the worker thread; the caller words the failure.
        finish(cancelRequested_ ? Status::cancelled : Status::failed, {});
    }
}

void MWCompositionExport::cancel()
{
    cancelRequested_ = true;
}

MWCompositionExport::Status MWCompositionExport::status() const
{
    std::lock_guard lock(mutex_);
    return status_;
}

QString MWCompositionExport::error() const
{
    std::lock_guard lock(mutex_);
    return error_;
}

void MWCompositionExport::finish(Status status, const QString& error)
{
    std::lock_guard lock(mutex_);
    status_ = status;
    error_ = error;
}

QString MWCompositionExport::orientationFilters(const QTransform& t)
{
    // Where the stored picture's x and y axes point once upright; only the
    // eight quarter-turn and mirror orientations exist in practice.
    const bool turned = std::abs(t.m12()) > std::abs(t.m11());
    if (!turned) {
        const bool hflip = t.m11() < 0;
        const bool vflip = t.m22() < 0;
        if (hflip && vflip)
            return QStringLiteral("hflip,vflip");
        if (hflip)
            return QStringLiteral("hflip");
        if (vflip)
            return QStringLiteral("vflip");
        return {};
    }
    const bool xDown = t.m12() > 0;  // stored rows become upright columns
    const bool yRight = t.m21() > 0;
    if (xDown && !yRight)
        return QStringLiteral("transpose=clock");
    if (!xDown && yRight)
        return QStringLiteral("transpose=cclock");
    if (xDown && yRight)
        return QStringLiteral("transpose=cclock_flip");
    return QStringLiteral("transpose=clock_flip");
}

#include "platform/framegenerator.h"

#include "model/mwerror.h"
#include "platform/asset.h"
#include "platform/avhandles.h"
#include "platform/filterchain.h"

#include <QFile>
#include <QTransform>
#include <QtEndian>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <optional>

extern "C" {
#include <libavfilter/avfilter.h>
#include <libavfilter/buffersink.h>
#include <libavfilter/buffersrc.h>
#include <libswscale/swscale.h>
}

namespace {

// Requested times are doubles and frame times rationals: a frame this close
// before the requested time counts as being at it.
constexpr double kSlack = 1e-3;

MWError failure(const QString& path)
{
    return MWError(QStringLiteral("No frame could be made of “%1”.")
                       .arg(QFile(path).fileName().section(QLatin1Char('/'), -1)));
}

// The full-range ("J") formats are deprecated in libswscale and warn on every
// context: name the plain format and say the range instead.
AVPixelFormat plainFormat(AVPixelFormat format, bool& fullRange)
{
    switch (format) {
    case AV_PIX_FMT_YUVJ420P:
        fullRange = true;
        return AV_PIX_FMT_YUV420P;
    case AV_PIX_FMT_YUVJ422P:
        fullRange = true;
        return AV_PIX_FMT_YUV422P;
    case AV_PIX_FMT_YUVJ444P:
        fullRange = true;
        return AV_PIX_FMT_YUV444P;
    case AV_PIX_FMT_YUVJ440P:
        fullRange = true;
        return AV_PIX_FMT_YUV440P;
    case AV_PIX_FMT_YUVJ411P:
        fullRange = true;
        return AV_PIX_FMT_YUV411P;
    default:
        return format;
    }
}

// The matrix the picture was encoded with; untagged HD is BT.709 and untagged
// SD BT.601, the same guess the player makes, so thumbnails match the viewer.
int colourMatrix(const AVFrame* frame)
{
    switch (frame->colorspace) {
    case AVCOL_SPC_BT709:
        return SWS_CS_ITU709;
    case AVCOL_SPC_BT470BG:
    case AVCOL_SPC_SMPTE170M:
        return SWS_CS_ITU601;
    case AVCOL_SPC_SMPTE240M:
        return SWS_CS_SMPTE240M;
    case AVCOL_SPC_FCC:
        return SWS_CS_FCC;
    case AVCOL_SPC_BT2020_NCL:
    case AVCOL_SPC_BT2020_CL:
        return SWS_CS_BT2020;
    default:
        return frame->height >= 720 || frame->width >= 1280 ? SWS_CS_ITU709 : SWS_CS_ITU601;
    }
}

}  // namespace

struct MWFrameGenerator::Decoder {
    av::Input format;
    av::CodecContext codec;
    av::Packet packet{av_packet_alloc()};
    av::Frame frame{av_frame_alloc()};
    av::Frame earlier{av_frame_alloc()};
    SwsContext* scaler = nullptr;
    // The picture filter's graph, for frames of the size and format it was made for.
    AVFilterGraph* graph = nullptr;
    AVFilterContext* graphIn = nullptr;
    AVFilterContext* graphOut = nullptr;
    QByteArray graphFor;
    av::Frame filtered{av_frame_alloc()};
    int index = -1;
    AVRational timeBase{1, 1};
    double start = 0;  // the container's start time
    double lastTime = NAN;

    ~Decoder()
    {
        sws_freeContext(scaler);
        avfilter_graph_free(&graph);
    }

    double seconds(int64_t ts) const
    {
        return ts == AV_NOPTS_VALUE ? NAN : double(ts) * av_q2d(timeBase) - start;
    }

    void open(const MWAsset& asset);
    void seek(double t);
    // frame scaled to w × h and through filter, as RGB24; null when the
    // graph cannot be made or gives nothing.
    const AVFrame* filter(AVFrame* frame, int w, int h, const QString& filter);
    struct Key {
        double at;      // from the index
        double seekTo;  // a backward seek to this time lands on the key frame
    };
    std::optional<Key> indexedKey(double t, int flags) const;
    std::optional<double> standIn(double t, const Options& options) const;
    AVFrame* find(double t, const Options& options, bool mayStopAtKey);
};

void MWFrameGenerator::Decoder::open(const MWAsset& asset)
{
    av::quiet();

    AVFormatContext* raw = nullptr;
    if (avformat_open_input(&raw, av::fsPath(asset.path).constData(), nullptr, nullptr) < 0)
        throw failure(asset.path);
    format.reset(raw);
    index = asset.videoStream;
    if (index < 0 || index >= int(raw->nb_streams) ||
        raw->streams[index]->codecpar->codec_type != AVMEDIA_TYPE_VIDEO) {
        // The header alone may not name every stream (MPEG streams).
        if (avformat_find_stream_info(raw, nullptr) < 0)
            throw failure(asset.path);
        index = av_find_best_stream(raw, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    }
    if (index < 0)
        throw failure(asset.path);
    AVStream* stream = raw->streams[index];
    // Reading only the picture's packets saves demuxing work on every seek.
    for (unsigned i = 0; i < raw->nb_streams; ++i)
        raw->streams[i]->discard = int(i) == index ? AVDISCARD_DEFAULT : AVDISCARD_ALL;
    const AVCodec* decoder = avcodec_find_decoder(stream->codecpar->codec_id);
    if (!decoder)
        throw failure(asset.path);
    codec.reset(avcodec_alloc_context3(decoder));
    if (!codec || avcodec_parameters_to_context(codec.get(), stream->codecpar) < 0)
        throw failure(asset.path);
    codec->pkt_timebase = stream->time_base;
    codec->thread_count = 0;
    codec->thread_type = FF_THREAD_FRAME | FF_THREAD_SLICE;
    if (avcodec_open2(codec.get(), decoder, nullptr) < 0)
        throw failure(asset.path);
    timeBase = stream->time_base;
    start = asset.startTime;
}

void MWFrameGenerator::Decoder::seek(double t)
{
    const int64_t ts = std::llround((std::max(t, 0.0) + start) / av_q2d(timeBase));
    // The key frame at or before t; a time before the first key frame goes to the start.
    if (av_seek_frame(format.get(), index, ts, AVSEEK_FLAG_BACKWARD) < 0 &&
        avformat_seek_file(format.get(), index, INT64_MIN, INT64_MIN, INT64_MAX, 0) < 0)
        throw MWError(QStringLiteral("The video could not be positioned."));
    avcodec_flush_buffers(codec.get());
}

// The key frame at or before t (AVSEEK_FLAG_BACKWARD) or at or after it (0),
// from the container's index; none where the index does not know (MPEG
// streams and files without one). Index times are decoding times, which may
// run ahead of the shown ones and which some demuxers shift when seeking: a
// backward seek halfway to the next key frame is sure to land on this one.
std::optional<MWFrameGenerator::Decoder::Key> MWFrameGenerator::Decoder::indexedKey(double t,
                                                                                    int flags) const
{
    AVStream* stream = format->streams[index];
    const int64_t ts = std::llround((t + start) / av_q2d(timeBase));
    const int at = av_index_search_timestamp(stream, ts, flags);
    const AVIndexEntry* entry = at < 0 ? nullptr : avformat_index_get_entry(stream, at);
    if (!entry || entry->timestamp == AV_NOPTS_VALUE)
        return std::nullopt;
    const int following = av_index_search_timestamp(stream, entry->timestamp + 1, 0);
    const AVIndexEntry* next =
        following < 0 ? nullptr : avformat_index_get_entry(stream, following);
    const double key = seconds(entry->timestamp);
    const double after =
        next && next->timestamp != AV_NOPTS_VALUE ? seconds(next->timestamp) : key + 1.0;
    return Key{key, (key + after) / 2};
}

// Where to seek for the key frame that may stand in for t; none where t itself
// is cheap enough or no key frame lies near it.
std::optional<double> MWFrameGenerator::Decoder::standIn(double t, const Options& options) const
{
    if (!(options.keyFrameReach > 0))
        return std::nullopt;
    const std::optional<Key> before = indexedKey(t, AVSEEK_FLAG_BACKWARD);
    if (!before ||
        t - before->at <= std::max({options.longestDecode, options.toleranceBefore, 0.0}))
        return std::nullopt;
    const std::optional<Key> after = indexedKey(t, 0);
    const double reach = options.keyFrameReach;
    const bool beforeNear = t - before->at <= reach;
    const bool afterNear = after && after->at - t <= reach;
    if (beforeNear && (!afterNear || t - before->at <= after->at - t))
        return before->seekTo;
    return afterNear ? std::optional(after->seekTo) : std::nullopt;
}

AVFrame* MWFrameGenerator::Decoder::find(double t, const Options& options, bool mayStopAtKey)
{
    const double from = t - std::max(options.toleranceBefore, 0.0);
    const double to = t + std::max(options.toleranceAfter, 0.0);
    // A key frame inside the tolerance after t is as good as one before it and
    // needs no decoding on the way.
    seek(options.keyFramesOnly ? t : to);

    bool first = true;
    bool alone = false;
    bool draining = false;
    bool haveEarlier = false;
    for (;;) {
        if (options.cancelled && options.cancelled())
            throw MWCancelled();
        const int received = avcodec_receive_frame(codec.get(), frame.get());
        if (received == 0) {
            const double at = seconds(frame->best_effort_timestamp);
            if (options.keyFramesOnly || !(at < from - kSlack)) {
                lastTime = at;
                return frame.get();
            }
            // Kept in case the file ends before the window: the last frame stands.
            av_frame_unref(earlier.get());
            av_frame_move_ref(earlier.get(), frame.get());
            haveEarlier = true;
            continue;
        }
        if (received == AVERROR_EOF) {
            if (haveEarlier) {
                av_frame_unref(frame.get());
                av_frame_move_ref(frame.get(), earlier.get());
                lastTime = seconds(frame->best_effort_timestamp);
                return frame.get();
            }
            if (alone && !options.keyFramesOnly)
                return nullptr;  // the lone key frame made no picture: decode normally
            throw MWError(QStringLiteral("The video has no picture at this time."));
        }
        if (received != AVERROR(EAGAIN) || draining)
            throw MWError(QStringLiteral("The video could not be decoded."));

        AVPacket* pkt = packet.get();
        if (av_read_frame(format.get(), pkt) < 0) {
            avcodec_send_packet(codec.get(), nullptr);
            draining = true;
            continue;
        }
        if (pkt->stream_index != index) {
            av_packet_unref(pkt);
            continue;
        }
        const double at = seconds(pkt->pts != AV_NOPTS_VALUE ? pkt->pts : pkt->dts);
        if (first) {
            first = false;
            const bool key = pkt->flags & AV_PKT_FLAG_KEY;
            alone = options.keyFramesOnly ||
                    (mayStopAtKey && key && at >= from - kSlack && at <= to + kSlack);
        }
        // Frames nothing refers to are only worth decoding once inside the window.
        codec->skip_frame = !alone && at < from - kSlack ? AVDISCARD_NONREF : AVDISCARD_DEFAULT;
        const int sent = avcodec_send_packet(codec.get(), pkt);
        av_packet_unref(pkt);
        if (sent < 0 && sent != AVERROR_INVALIDDATA)
            throw MWError(QStringLiteral("The video could not be decoded."));
        if (alone) {
            // The key frame alone answers: drain it out instead of waiting for
            // the frame threads to fill.
            avcodec_send_packet(codec.get(), nullptr);
            draining = true;
        }
    }
}

const AVFrame* MWFrameGenerator::Decoder::filter(AVFrame* frame, int w, int h,
                                                 const QString& chain)
{
    const QByteArray args =
        av::videoSourceArgs(frame->width, frame->height, frame->format, timeBase);
    // Scaled down first: the filter (zscale's tone mapping in floating point)
    // then works on a thumbnail's pixels, not a whole frame's.
    const QByteArray text =
        QStringLiteral("scale=%1:%2:flags=bilinear,%3,format=rgb24").arg(w).arg(h).arg(chain).toUtf8();
    if (!graph || graphFor != args + text) {
        avfilter_graph_free(&graph);
        graphFor.clear();
        graph = avfilter_graph_alloc();
        if (!av::buildChain(graph, "buffer", args, "buffersink", text, &graphIn, &graphOut)) {
            avfilter_graph_free(&graph);
            return nullptr;
        }
        graphFor = args + text;
    }
    av_frame_unref(filtered.get());
    if (av_buffersrc_add_frame_flags(graphIn, frame, AV_BUFFERSRC_FLAG_KEEP_REF) < 0 ||
        av_buffersink_get_frame(graphOut, filtered.get()) < 0 || filtered->width != w ||
        filtered->height != h || filtered->format != AV_PIX_FMT_RGB24)
        return nullptr;
    return filtered.get();
}

MWFrameGenerator::MWFrameGenerator(std::shared_ptr<const MWAsset> asset, Options options)
    : asset_(std::move(asset)), options_(std::move(options))
{}

MWFrameGenerator::~MWFrameGenerator() = default;

double MWFrameGenerator::actualTime() const
{
    return decoder_ ? decoder_->lastTime : NAN;
}

QImage MWFrameGenerator::image(double t)
{
    if (!asset_ || !std::isfinite(t))
        throw MWError(QStringLiteral("No frame was asked for."));
    if (unusable_)
        throw failure(asset_->path);
    if (!decoder_) {
        // Opened at the first request, so a job that asks for nothing never
        // touches the file; a file without a usable picture is tried once.
        auto decoder = std::make_unique<Decoder>();
        try {
            decoder->open(*asset_);
        } catch (const MWError&) {
            unusable_ = true;
            throw;
        }
        decoder_ = std::move(decoder);
    }
    Decoder& d = *decoder_;
    AVFrame* frame = nullptr;
    if (const std::optional<double> key = d.standIn(t, options_)) {
        Options alone = options_;
        alone.keyFramesOnly = true;
        frame = d.find(*key, alone, true);
    }
    if (!frame)
        frame = d.find(t, options_, true);
    if (!frame)
        frame = d.find(t, options_, false);

    // Orientation only: the translation part just moves the picture into view.
    const QTransform& m = asset_->preferredTransform;
    const QTransform turn(m.m11(), m.m12(), m.m21(), m.m22(), 0, 0);
    const bool sideways = std::abs(turn.m11()) < 0.5 && std::abs(turn.m22()) < 0.5;
    // Shown as the player shows it: stored pixels widened (or narrowed) to square ones.
    const double shownW = frame->width * asset_->pixelAspect;
    const double uprightW = sideways ? frame->height : shownW;
    const double uprightH = sideways ? shownW : frame->height;
    double scale = 1.0;
    const QSize box = options_.maximumSize;
    if (box.width() > 0)
        scale = std::min(scale, box.width() / uprightW);
    if (box.height() > 0)
        scale = std::min(scale, box.height() / uprightH);
    const int outW = std::max(1, int(std::lround(uprightW * scale)));
    const int outH = std::max(1, int(std::lround(uprightH * scale)));
    const int codedW = sideways ? outH : outW;
    const int codedH = sideways ? outW : outH;

    const bool grey = options_.pixels == Pixels::grey;
    // Three bytes a pixel: a filmstrip lives as long as its source, and a
    // fourth byte that is never drawn would cost a megabyte per 16:9 source.
    const QImage::Format format = grey ? QImage::Format_Grayscale8 : QImage::Format_RGB888;
    QImage image(codedW, codedH, format);
    if (image.isNull()) {
        av_frame_unref(frame);
        throw failure(asset_->path);
    }
    if (!grey && !options_.pictureFilter.isEmpty()) {
        const AVFrame* out = d.filter(frame, codedW, codedH, options_.pictureFilter);
        av_frame_unref(frame);
        if (!out)
            throw failure(asset_->path);
        for (int y = 0; y < codedH; ++y)
            std::memcpy(image.scanLine(y), out->data[0] + std::ptrdiff_t(y) * out->linesize[0],
                        size_t(codedW) * 3);
        av_frame_unref(d.filtered.get());
    } else {
        bool fullRange = frame->color_range == AVCOL_RANGE_JPEG;
        const AVPixelFormat source = plainFormat(AVPixelFormat(frame->format), fullRange);
        // QImage::Format_RGB888 is R, G, B bytes in that order, whatever the machine.
        const AVPixelFormat target = grey ? AV_PIX_FMT_GRAY8 : AV_PIX_FMT_RGB24;
        d.scaler = sws_getCachedContext(d.scaler, frame->width, frame->height, source, codedW,
                                        codedH, target, SWS_BILINEAR, nullptr, nullptr, nullptr);
        if (!d.scaler) {
            av_frame_unref(frame);
            throw failure(asset_->path);
        }
        const int matrix = colourMatrix(frame);
        sws_setColorspaceDetails(d.scaler, sws_getCoefficients(matrix), fullRange ? 1 : 0,
                                 sws_getCoefficients(SWS_CS_DEFAULT), 1, 0, 1 << 16, 1 << 16);
        uint8_t* planes[4] = {image.bits(), nullptr, nullptr, nullptr};
        const int strides[4] = {int(image.bytesPerLine()), 0, 0, 0};
        sws_scale(d.scaler, frame->data, frame->linesize, 0, frame->height, planes, strides);
        av_frame_unref(frame);
    }
    if (!turn.isIdentity()) {
        image = image.transformed(turn);
        // Turning may widen the pixels; the frame keeps its three bytes.
        if (image.format() != format)
            image.convertTo(format);
    }
    return image;
}

#include "platform/subtitledecoder.h"

#include "platform/avhandles.h"

#include <algorithm>
#include <cstring>

namespace {

// The bytes libav reads through a custom I/O context.
struct Memory {
    const QByteArray* bytes = nullptr;
    qint64 at = 0;
};

int readMemory(void* opaque, uint8_t* buffer, int size)
{
    auto* m = static_cast<Memory*>(opaque);
    const qint64 left = m->bytes->size() - m->at;
    if (left <= 0)
        return AVERROR_EOF;
    const int n = int(std::min<qint64>(left, size));
    std::memcpy(buffer, m->bytes->constData() + m->at, size_t(n));
    m->at += n;
    return n;
}

int64_t seekMemory(void* opaque, int64_t offset, int whence)
{
    auto* m = static_cast<Memory*>(opaque);
    const qint64 size = m->bytes->size();
    if (whence & AVSEEK_SIZE)
        return size;
    qint64 to = -1;
    switch (whence & ~AVSEEK_FORCE) {
    case SEEK_SET: to = offset; break;
    case SEEK_CUR: to = m->at + offset; break;
    case SEEK_END: to = size + offset; break;
    default: return -1;
    }
    if (to < 0 || to > size)
        return -1;
    m->at = to;
    return to;
}

struct IoFreer {
    void operator()(AVIOContext* io) const
    {
        if (io)
            av_freep(&io->buffer);
        avio_context_free(&io);
    }
};
using Io = std::unique_ptr<AVIOContext, IoFreer>;

struct SubtitleFreer {
    void operator()(AVSubtitle* s) const { avsubtitle_free(s); }
};

// The text field of an ASS event as the decoders write it
// ("ReadOrder,Layer,Style,Name,MarginL,MarginR,MarginV,Effect,Text").
QString dialogueText(const char* ass)
{
    const char* p = ass;
    for (int commas = 0; commas < 8; ++p) {
        if (!*p)
            return {};
        if (*p == ',')
            ++commas;
    }
    return QString::fromUtf8(p);
}

SubtitleDecoder::Events decodeStream(AVFormatContext* fmt, int index,
                                     SubtitleDecoder::Limits limits)
{
    SubtitleDecoder::Events out;
    AVStream* st = fmt->streams[index];
    const AVCodec* codec = avcodec_find_decoder(st->codecpar->codec_id);
    av::CodecContext dec(codec ? avcodec_alloc_context3(codec) : nullptr);
    if (!dec) {
        out.error = QStringLiteral("no decoder for these subtitles");
        return out;
    }
    int ret = avcodec_parameters_to_context(dec.get(), st->codecpar);
    dec->pkt_timebase = st->time_base;
    if (ret < 0 || (ret = avcodec_open2(dec.get(), codec, nullptr)) < 0) {
        out.error = av::errorText(ret);
        return out;
    }
    for (unsigned i = 0; i < fmt->nb_streams; ++i) {
        if (int(i) != index)
            fmt->streams[i]->discard = AVDISCARD_ALL;
    }
    const double unit = av_q2d(st->time_base);
    // The text demuxers know their event count from the start.
    if (st->nb_frames > 0)
        out.events.reserve(size_t(std::min<int64_t>(st->nb_frames, limits.mostEvents)));
    av::Packet pkt(av_packet_alloc());
    if (!pkt) {
        out.error = av::errorText(AVERROR(ENOMEM));
        return out;
    }
    while (av_read_frame(fmt, pkt.get()) >= 0) {
        const std::unique_ptr<AVPacket, void (*)(AVPacket*)> unref(pkt.get(), av_packet_unref);
        if (pkt->stream_index != index)
            continue;
        ++out.packets;
        if (pkt->pts == AV_NOPTS_VALUE || pkt->size > limits.longestPacket ||
            int(out.events.size()) >= limits.mostEvents) {
            ++out.unreadable;
            continue;
        }
        AVSubtitle sub{};
        const std::unique_ptr<AVSubtitle, SubtitleFreer> freeSub(&sub);
        int got = 0;
        if (avcodec_decode_subtitle2(dec.get(), &sub, &got, pkt.get()) < 0) {
            ++out.unreadable;
            continue;
        }
        if (!got)
            continue;
        QString text;
        for (unsigned r = 0; r < sub.num_rects; ++r) {
            const AVSubtitleRect* rect = sub.rects[r];
            QString part;
            if (rect->type == SUBTITLE_ASS && rect->ass)
                part = dialogueText(rect->ass);
            else if (rect->type == SUBTITLE_TEXT && rect->text)
                part = QString::fromUtf8(rect->text);
            if (part.isEmpty())
                continue;
            if (!text.isEmpty())
                text += QLatin1String("\\N");
            text += part;
        }
        const double start = double(pkt->pts) * unit;
        double end = start;
        if (pkt->duration > 0)
            end = start + double(pkt->duration) * unit;
        else if (sub.end_display_time > sub.start_display_time && sub.end_display_time != UINT32_MAX)
            end = start + sub.end_display_time / 1000.0;
        out.events.push_back({start, end, text});
    }
    return out;
}

}  // namespace

SubtitleDecoder::Events SubtitleDecoder::fromText(const QByteArray& utf8, const char* demuxer,
                                                  Limits limits)
{
    av::quiet();
    Events out;
    const AVInputFormat* format = av_find_input_format(demuxer);
    Memory memory{&utf8, 0};
    constexpr int kBuffer = 1 << 16;
    auto* buffer = static_cast<unsigned char*>(av_malloc(kBuffer));
    Io io(buffer ? avio_alloc_context(buffer, kBuffer, 0, &memory, readMemory, nullptr, seekMemory)
                 : nullptr);
    if (!io)
        av_free(buffer);
    AVFormatContext* raw = avformat_alloc_context();
    if (!format || !io || !raw) {
        avformat_free_context(raw);
        out.error = av::errorText(AVERROR(ENOMEM));
        return out;
    }
    raw->pb = io.get();
    raw->flags |= AVFMT_FLAG_CUSTOM_IO;
    // On failure avformat_open_input frees the context, never the I/O.
    const int ret = avformat_open_input(&raw, nullptr, format, nullptr);
    if (ret < 0) {
        out.error = av::errorText(ret);
        return out;
    }
    av::Input fmt(raw);
    if (fmt->nb_streams != 1) {
        out.error = av::errorText(AVERROR_INVALIDDATA);
        return out;
    }
    return decodeStream(fmt.get(), 0, limits);
}

namespace {

av::Input openFile(const QString& path, QString* error)
{
    av::quiet();
    AVFormatContext* raw = nullptr;
    int ret = avformat_open_input(&raw, av::fsPath(path).constData(), nullptr, nullptr);
    if (ret < 0) {
        *error = av::errorText(ret);
        return {};
    }
    av::Input fmt(raw);
    // Containers without a header (MPEG-TS, say) only show their streams once read.
    if ((fmt->ctx_flags & AVFMTCTX_NOHEADER) && (ret = avformat_find_stream_info(raw, nullptr)) < 0) {
        *error = av::errorText(ret);
        return {};
    }
    return fmt;
}

}  // namespace

SubtitleDecoder::Events SubtitleDecoder::fromStream(const QString& path, int stream, Limits limits)
{
    Events out;
    av::Input fmt = openFile(path, &out.error);
    if (!fmt)
        return out;
    if (stream < 0 || unsigned(stream) >= fmt->nb_streams ||
        fmt->streams[stream]->codecpar->codec_type != AVMEDIA_TYPE_SUBTITLE) {
        out.error = QStringLiteral("no subtitle stream %1").arg(stream);
        return out;
    }
    return decodeStream(fmt.get(), stream, limits);
}

SubtitleDecoder::Streams SubtitleDecoder::subtitleStreams(const QString& path)
{
    Streams out;
    av::Input fmt = openFile(path, &out.error);
    if (!fmt)
        return out;
    for (unsigned i = 0; i < fmt->nb_streams; ++i) {
        const AVStream* st = fmt->streams[i];
        if (st->codecpar->codec_type != AVMEDIA_TYPE_SUBTITLE)
            continue;
        Stream s;
        s.index = int(i);
        const AVCodecDescriptor* d = avcodec_descriptor_get(st->codecpar->codec_id);
        s.codec = QString::fromUtf8(d ? d->name : avcodec_get_name(st->codecpar->codec_id));
        s.description = d && d->long_name ? QString::fromUtf8(d->long_name) : s.codec;
        s.text = d && (d->props & AV_CODEC_PROP_TEXT_SUB);
        s.pictures = d && (d->props & AV_CODEC_PROP_BITMAP_SUB);
        s.decodable = avcodec_find_decoder(st->codecpar->codec_id) != nullptr;
        if (const AVDictionaryEntry* e = av_dict_get(st->metadata, "title", nullptr, 0))
            s.title = QString::fromUtf8(e->value);
        if (const AVDictionaryEntry* e = av_dict_get(st->metadata, "language", nullptr, 0))
            s.language = QString::fromUtf8(e->value);
        out.streams.append(s);
    }
    return out;
}

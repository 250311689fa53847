#pragma once

// Owning handles for the libav objects the platform layer opens, so that every
// early return and every exception releases them.

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

#include <QFile>
#include <QString>
#include <memory>

namespace av {

struct InputCloser {
    void operator()(AVFormatContext* c) const { avformat_close_input(&c); }
};
using Input = std::unique_ptr<AVFormatContext, InputCloser>;

// An output context together with the file it writes, closed in that order.
struct OutputCloser {
    void operator()(AVFormatContext* c) const
    {
        if (c && c->pb && !(c->oformat->flags & AVFMT_NOFILE))
            avio_closep(&c->pb);
        avformat_free_context(c);
    }
};
using Output = std::unique_ptr<AVFormatContext, OutputCloser>;

struct PacketFreer {
    void operator()(AVPacket* p) const { av_packet_free(&p); }
};
using Packet = std::unique_ptr<AVPacket, PacketFreer>;

struct CodecContextFreer {
    void operator()(AVCodecContext* c) const { avcodec_free_context(&c); }
};
using CodecContext = std::unique_ptr<AVCodecContext, CodecContextFreer>;

struct FrameFreer {
    void operator()(AVFrame* f) const { av_frame_free(&f); }
};
using Frame = std::unique_ptr<AVFrame, FrameFreer>;

// libav reports on the console by default; the application has no log, so it
// is silenced once before the first libav call.
inline void quiet()
{
    static const bool silenced = (av_log_set_level(AV_LOG_QUIET), true);
    (void)silenced;
}

// libav's own description of an error code.
inline QString errorText(int code)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return QString::fromUtf8(text);
}

// The path in the form libav expects: the file system's own bytes, behind the
// file protocol so that no name is ever taken for another protocol.
inline QByteArray fsPath(const QString& path)
{
    return QByteArrayLiteral("file:") + QFile::encodeName(path);
}

}  // namespace av

#include "platform/asset.h"

#include "model/mwerror.h"
#include "platform/avhandles.h"

extern "C" {
#include <libavutil/display.h>
#include <libavutil/pixdesc.h>
}

#include <QRectF>
#include <cmath>
#include <cstring>

namespace {

// Cover art travels as a one-picture video stream; it is not a video track.
bool isVideoTrack(const AVStream* st)
{
    return st->codecpar->codec_type == AVMEDIA_TYPE_VIDEO &&
           !(st->disposition & AV_DISPOSITION_ATTACHED_PIC);
}

bool isAudioTrack(const AVStream* st)
{
    return st->codecpar->codec_type == AVMEDIA_TYPE_AUDIO;
}

// The display matrix as an affine transform, moved so that the upright picture
// starts at the origin whatever translation the file carried.
QTransform displayTransform(const AVStream* st, QSizeF coded)
{
    size_t size = 0;
    const uint8_t* data = av_stream_get_side_data(st, AV_PKT_DATA_DISPLAYMATRIX, &size);
    if (!data || size < 9 * sizeof(int32_t))
        return {};
    int32_t m[9];
    std::memcpy(m, data, sizeof m);
    auto fixed = [](int32_t v) { return v / 65536.0; };
    const QTransform linear(fixed(m[0]), fixed(m[1]), fixed(m[3]), fixed(m[4]), 0, 0);
    if (!linear.isInvertible())
        return {};
    const QRectF upright = linear.mapRect(QRectF(QPointF(0, 0), coded));
    return QTransform(linear.m11(), linear.m12(), linear.m21(), linear.m22(), -upright.x(),
                      -upright.y());
}

AVRational frameRate(const AVStream* st)
{
    for (const AVRational r : {st->avg_frame_rate, st->r_frame_rate}) {
        if (r.num > 0 && r.den > 0)
            return r;
    }
    return AVRational{0, 1};
}

// Phones write variable-rate tracks: the real rate (the smallest frame step
// seen) then lies well away from the average. A 1 % slack keeps rounding in
// the container's clock from calling a steady track variable.
bool variableRate(const AVStream* st)
{
    const AVRational a = st->avg_frame_rate;
    const AVRational r = st->r_frame_rate;
    if (a.num <= 0 || a.den <= 0 || r.num <= 0 || r.den <= 0)
        return false;
    return std::abs(av_q2d(a) - av_q2d(r)) > 0.01 * av_q2d(r);
}

QString colourName(const char* name)
{
    return name && std::strcmp(name, "unknown") != 0 && std::strcmp(name, "unspecified") != 0
               ? QString::fromLatin1(name)
               : QString();
}

// A pixel aspect far from 1 is a broken header, not a picture anyone films:
// believing it would make the picture a sliver.
double pixelAspectOf(AVFormatContext* ctx, AVStream* st)
{
    const AVRational sar = av_guess_sample_aspect_ratio(ctx, st, nullptr);
    if (sar.num <= 0 || sar.den <= 0)
        return 1;
    const double aspect = av_q2d(sar);
    return aspect >= 1.0 / 16 && aspect <= 16 ? aspect : 1;
}

bool hasDecoder(const AVStream* st)
{
    return avcodec_find_decoder(st->codecpar->codec_id);
}

// What the remux copies (audio and video tracks) must have a QuickTime sample
// entry; other streams (data, subtitles, cover art) are left behind.
bool copiesIntoMov(const AVFormatContext* ctx)
{
    const AVOutputFormat* mov = av_guess_format("mov", nullptr, nullptr);
    if (!mov)
        return false;
    int copied = 0;
    for (unsigned i = 0; i < ctx->nb_streams; ++i) {
        const AVStream* st = ctx->streams[i];
        if (!isVideoTrack(st) && !isAudioTrack(st))
            continue;
        if (avformat_query_codec(mov, st->codecpar->codec_id, FF_COMPLIANCE_NORMAL) != 1)
            return false;
        ++copied;
    }
    return copied > 0;
}

}  // namespace

std::shared_ptr<const MWAsset> MWAsset::open(const QString& path)
{
    av::quiet();
    auto asset = std::make_shared<MWAsset>();
    asset->path = path;

    AVFormatContext* raw = nullptr;
    if (const int err = avformat_open_input(&raw, av::fsPath(path).constData(), nullptr, nullptr);
        err < 0)
        throw MWError(av::errorText(err));
    av::Input ctx(raw);
    const bool found = avformat_find_stream_info(ctx.get(), nullptr) >= 0;

    if (ctx->start_time != AV_NOPTS_VALUE)
        asset->startTime = ctx->start_time / double(AV_TIME_BASE);
    // libav's container duration already runs from the start time, as the
    // ffmpeg command line prints it.
    const bool timed = ctx->duration != AV_NOPTS_VALUE && ctx->duration > 0;
    if (timed)
        asset->duration = ctx->duration / double(AV_TIME_BASE);

    for (unsigned i = 0; i < ctx->nb_streams; ++i) {
        const AVStream* st = ctx->streams[i];
        if (isVideoTrack(st)) {
            if (asset->videoStream < 0)
                asset->videoStream = int(i);
            ++asset->videoTracks;
        } else if (isAudioTrack(st)) {
            if (asset->audioStream < 0)
                asset->audioStream = int(i);
            ++asset->audioTracks;
        }
    }
    asset->readable = found && (asset->videoTracks + asset->audioTracks) > 0 && timed;

    if (asset->videoStream >= 0) {
        AVStream* st = ctx->streams[asset->videoStream];
        asset->storedSize = QSizeF(st->codecpar->width, st->codecpar->height);
        asset->pixelAspect = pixelAspectOf(ctx.get(), st);
        asset->naturalSize =
            QSizeF(asset->storedSize.width() * asset->pixelAspect, asset->storedSize.height());
        asset->preferredTransform = displayTransform(st, asset->naturalSize);
        const AVRational rate = frameRate(st);
        asset->nominalFrameRate = float(av_q2d(rate));
        asset->frameRateNum = rate.num;
        asset->frameRateDen = rate.den;
        asset->variableFrameRate = variableRate(st);
        const AVCodecParameters* par = st->codecpar;
        asset->colorPrimaries = colourName(av_color_primaries_name(par->color_primaries));
        asset->colorTransfer = colourName(av_color_transfer_name(par->color_trc));
        asset->colorMatrix = colourName(av_color_space_name(par->color_space));
        asset->colorRange = colourName(av_color_range_name(par->color_range));
        asset->playable = hasDecoder(st);
    } else if (asset->audioStream >= 0) {
        asset->playable = hasDecoder(ctx->streams[asset->audioStream]);
    }
    asset->exportable = copiesIntoMov(ctx.get());
    return asset;
}

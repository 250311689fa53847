#include "platform/remux.h"

#include "model/mwerror.h"
#include "platform/avhandles.h"

#include <QFile>
#include <algorithm>
#include <cstring>
#include <vector>

namespace {

void check(int code)
{
    if (code < 0)
        throw MWError(av::errorText(code));
}

bool copied(const AVStream* st)
{
    const auto type = st->codecpar->codec_type;
    if (type == AVMEDIA_TYPE_VIDEO)
        return !(st->disposition & AV_DISPOSITION_ATTACHED_PIC);
    return type == AVMEDIA_TYPE_AUDIO;
}

void copy(const QString& src, const QString& dst, std::atomic<double>* progress)
{
    AVFormatContext* raw = nullptr;
    check(avformat_open_input(&raw, av::fsPath(src).constData(), nullptr, nullptr));
    av::Input in(raw);
    check(avformat_find_stream_info(in.get(), nullptr));

    raw = nullptr;
    check(avformat_alloc_output_context2(&raw, nullptr, "mov", av::fsPath(dst).constData()));
    av::Output out(raw);

    // Input stream index → output stream index, -1 for streams left behind.
    std::vector<int> map(in->nb_streams, -1);
    int count = 0;
    for (unsigned i = 0; i < in->nb_streams; ++i) {
        const AVStream* ist = in->streams[i];
        if (!copied(ist))
            continue;
        AVStream* ost = avformat_new_stream(out.get(), nullptr);
        if (!ost)
            check(AVERROR(ENOMEM));
        check(avcodec_parameters_copy(ost->codecpar, ist->codecpar));
        // The source container's tag may mean nothing in a movie: let the muxer choose.
        ost->codecpar->codec_tag = 0;
        ost->time_base = ist->time_base;
        if (const AVDictionaryEntry* lang = av_dict_get(ist->metadata, "language", nullptr, 0))
            av_dict_set(&ost->metadata, "language", lang->value, 0);
        // The display matrix carries the picture's orientation.
        size_t size = 0;
        if (const uint8_t* matrix =
                av_stream_get_side_data(ist, AV_PKT_DATA_DISPLAYMATRIX, &size)) {
            uint8_t* copy = av_stream_new_side_data(ost, AV_PKT_DATA_DISPLAYMATRIX, size);
            if (!copy)
                check(AVERROR(ENOMEM));
            std::memcpy(copy, matrix, size);
        }
        map[i] = count++;
    }
    if (count == 0)
        check(AVERROR_STREAM_NOT_FOUND);

    check(avio_open(&out->pb, av::fsPath(dst).constData(), AVIO_FLAG_WRITE));
    check(avformat_write_header(out.get(), nullptr));

    // Times in the copy count from the start of the media, as everywhere else.
    const int64_t start = in->start_time == AV_NOPTS_VALUE ? 0 : in->start_time;
    const double duration = in->duration > 0 ? in->duration / double(AV_TIME_BASE) : 0;
    av::Packet packet(av_packet_alloc());
    if (!packet)
        check(AVERROR(ENOMEM));
    for (;;) {
        const int read = av_read_frame(in.get(), packet.get());
        if (read == AVERROR_EOF)
            break;
        check(read);
        const int index = packet->stream_index;
        if (index < 0 || unsigned(index) >= map.size() || map[index] < 0) {
            av_packet_unref(packet.get());
            continue;
        }
        const AVStream* ist = in->streams[index];
        AVStream* ost = out->streams[map[index]];
        const int64_t offset = av_rescale_q(start, AV_TIME_BASE_Q, ist->time_base);
        if (packet->pts != AV_NOPTS_VALUE)
            packet->pts -= offset;
        if (packet->dts != AV_NOPTS_VALUE)
            packet->dts -= offset;
        if (progress && duration > 0 && packet->dts != AV_NOPTS_VALUE) {
            const double t = packet->dts * av_q2d(ist->time_base) / duration;
            if (t > progress->load())
                progress->store(std::min(t, 1.0));
        }
        av_packet_rescale_ts(packet.get(), ist->time_base, ost->time_base);
        packet->stream_index = map[index];
        packet->pos = -1;
        check(av_interleaved_write_frame(out.get(), packet.get()));
    }
    check(av_write_trailer(out.get()));
    check(avio_closep(&out->pb));
}

}  // namespace

void remuxToMov(const QString& src, const QString& dst, std::atomic<double>* progress)
{
    av::quiet();
    try {
        copy(src, dst, progress);
    } catch (...) {
        QFile::remove(dst);
        throw;
    }
    if (progress)
        progress->store(1);
}

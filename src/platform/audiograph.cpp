#include "platform/audiograph.h"

#include "platform/filterchain.h"

extern "C" {
#include <libavfilter/avfilter.h>
#include <libavfilter/buffersink.h>
#include <libavfilter/buffersrc.h>
#include <libavutil/channel_layout.h>
#include <libavutil/frame.h>
#include <libavutil/samplefmt.h>
}

#include <memory>

namespace av {

AudioGraph::~AudioGraph()
{
    avfilter_graph_free(&graph_);
    av_frame_free(&out_);
}

bool AudioGraph::open(int rate, int sampleFormat, const AVChannelLayout& layout,
                      const QString& filters)
{
    avfilter_graph_free(&graph_);
    source_ = sink_ = nullptr;
    const char* format = av_get_sample_fmt_name(AVSampleFormat(sampleFormat));
    if (rate <= 0 || !format || layout.nb_channels <= 0)
        return false;
    AVChannelLayout known{};
    if (layout.order == AV_CHANNEL_ORDER_UNSPEC)
        av_channel_layout_default(&known, layout.nb_channels);
    else
        av_channel_layout_copy(&known, &layout);
    char described[128] = {};
    const int named = av_channel_layout_describe(&known, described, sizeof described);
    av_channel_layout_uninit(&known);
    if (named < 0)
        return false;
    const QByteArray args = QStringLiteral("sample_rate=%1:sample_fmt=%2:channel_layout=%3:"
                                           "time_base=1/%1")
                                .arg(rate)
                                .arg(QString::fromUtf8(format), QString::fromUtf8(described))
                                .toUtf8();

    graph_ = avfilter_graph_alloc();
    if (!out_)
        out_ = av_frame_alloc();
    if (!graph_ || !out_)
        return false;
    // One thread: the chains are short, and the export's encoders have the cores.
    graph_->nb_threads = 1;
    const QByteArray chain = filters.isEmpty() ? QByteArray("anull") : filters.toUtf8();
    if (av::buildChain(graph_, "abuffer", args, "abuffersink", chain, &source_, &sink_))
        return true;
    avfilter_graph_free(&graph_);
    return false;
}

bool AudioGraph::push(const AVFrame* frame)
{
    if (!graph_)
        return false;
    // KEEP_REF: the caller's frame stays the caller's.
    return av_buffersrc_add_frame_flags(source_, const_cast<AVFrame*>(frame),
                                        AV_BUFFERSRC_FLAG_KEEP_REF) >= 0;
}

bool AudioGraph::pull(const std::function<void(const AVFrame*)>& take)
{
    if (!graph_)
        return false;
    for (;;) {
        const int rc = av_buffersink_get_frame(sink_, out_);
        if (rc == AVERROR(EAGAIN) || rc == AVERROR_EOF)
            return true;
        if (rc < 0)
            return false;
        // Released also when take throws, ready for the next frame.
        const std::unique_ptr<AVFrame, void (*)(AVFrame*)> lent(out_, av_frame_unref);
        take(out_);
    }
}

}  // namespace av

#include "platform/filterchain.h"

extern "C" {
#include <libavfilter/avfilter.h>
#include <libavutil/mem.h>
}

namespace av {

bool buildChain(AVFilterGraph* graph, const char* sourceName, const QByteArray& sourceArgs,
                const char* sinkName, const QByteArray& chain, AVFilterContext** source,
                AVFilterContext** sink)
{
    if (!graph ||
        avfilter_graph_create_filter(source, avfilter_get_by_name(sourceName), "in",
                                     sourceArgs.constData(), nullptr, graph) < 0 ||
        avfilter_graph_create_filter(sink, avfilter_get_by_name(sinkName), "out", nullptr,
                                     nullptr, graph) < 0)
        return false;
    AVFilterInOut* outputs = avfilter_inout_alloc();
    AVFilterInOut* inputs = avfilter_inout_alloc();
    if (outputs && inputs) {
        outputs->name = av_strdup("in");
        outputs->filter_ctx = *source;
        inputs->name = av_strdup("out");
        inputs->filter_ctx = *sink;
    }
    const int rc = outputs && inputs
                       ? avfilter_graph_parse_ptr(graph, chain.constData(), &inputs, &outputs,
                                                  nullptr)
                       : AVERROR(ENOMEM);
    avfilter_inout_free(&inputs);
    avfilter_inout_free(&outputs);
    return rc >= 0 && avfilter_graph_config(graph, nullptr) >= 0;
}

QByteArray videoSourceArgs(int w, int h, int format, AVRational timeBase, AVRational sar)
{
    return QByteArrayLiteral("video_size=") + QByteArray::number(w) + 'x' + QByteArray::number(h) +
           ":pix_fmt=" + QByteArray::number(format) + ":time_base=" +
           QByteArray::number(timeBase.num) + '/' + QByteArray::number(timeBase.den) +
           ":pixel_aspect=" + QByteArray::number(sar.num) + '/' + QByteArray::number(sar.den);
}

}  // namespace av

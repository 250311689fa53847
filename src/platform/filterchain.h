#pragma once

#include <QByteArray>

extern "C" {
#include <libavutil/rational.h>
}

struct AVFilterContext;
struct AVFilterGraph;

namespace av {

// One source through a chain of filters (libavfilter's text) to one sink:
// makes the source filter (sourceName with sourceArgs: "buffer", "abuffer")
// and the sink (sinkName) in graph, links them through chain and configures
// the graph. False when any step fails; the caller frees the graph.
bool buildChain(AVFilterGraph* graph, const char* sourceName, const QByteArray& sourceArgs,
                const char* sinkName, const QByteArray& chain, AVFilterContext** source,
                AVFilterContext** sink);

// The "buffer" source's arguments for frames of w × h in pixel format
// format, timed in timeBase, with pixels of aspect sar.
QByteArray videoSourceArgs(int w, int h, int format, AVRational timeBase,
                           AVRational sar = {1, 1});

}  // namespace av

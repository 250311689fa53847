#pragma once

#include <QByteArray>

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

}  // namespace av

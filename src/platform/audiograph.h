#pragma once

#include <QString>
#include <functional>

struct AVChannelLayout;
struct AVFilterContext;
struct AVFilterGraph;
struct AVFrame;

namespace av {

// A libavfilter chain for sound, fed frames of one format and read to its end:
// the loudness measurement and the composition export's sound both run their
// filter text through it.
class AudioGraph {
public:
    AudioGraph() = default;
    ~AudioGraph();
    AudioGraph(const AudioGraph&) = delete;
    AudioGraph& operator=(const AudioGraph&) = delete;

    // Builds the chain for sound of this rate, sample format and layout (an
    // unordered layout counts as the usual one for its channel count), its
    // times in 1/rate. An empty text passes the sound through. False when
    // libav refuses the text or the format.
    bool open(int rate, int sampleFormat, const AVChannelLayout& layout, const QString& filters);
    bool isOpen() const { return graph_ != nullptr; }

    // Offers a frame, or with nullptr the end of the sound. False on an error.
    bool push(const AVFrame* frame);
    // Hands every frame the chain has ready to take, in order; after the end,
    // everything that is left. The frame is only lent. False on an error.
    bool pull(const std::function<void(const AVFrame*)>& take);

private:
    AVFilterGraph* graph_ = nullptr;
    AVFilterContext* source_ = nullptr;
    AVFilterContext* sink_ = nullptr;
    AVFrame* out_ = nullptr;
};

}  // namespace av

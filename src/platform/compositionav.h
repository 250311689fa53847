#pragma once

// Shared pieces of the composition export's libav pipeline (composition.cpp,
// compositionvideo.cpp, compositionaudio.cpp); nothing outside them uses this.

#include "platform/avhandles.h"

#include <QString>
#include <functional>

namespace composition {

// A failure that ends the export with this message.
struct Failure {
    QString message;
};

// Thrown from deep inside the pipeline when a cancel is seen there.
struct Stopped {};

using FramePtr = av::Frame;
using PacketPtr = av::Packet;
using CodecPtr = av::CodecContext;

FramePtr newFrame();
PacketPtr newPacket();

// Receives each encoded packet, its time base still the encoder's.
using PacketSink = std::function<void(AVPacket*)>;

// Sends one frame (nullptr flushes) and hands every packet that comes out to
// sink. Throws Failure with libav's words on an encoder error.
void encode(AVCodecContext* encoder, const AVFrame* frame, const PacketSink& sink);

}  // namespace composition

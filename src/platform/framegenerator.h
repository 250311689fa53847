#pragma once

#include <QImage>
#include <QSize>
#include <QString>
#include <functional>
#include <memory>

class MWAsset;

// Still frames of one asset's first video track, for the filmstrip and the
// black-bar scan. One generator per job: it keeps its decoder open between
// requests, so frames asked for in ascending order cost one seek each.
// Not thread-safe; use it from one thread at a time.
class MWFrameGenerator {
public:
    enum class Pixels {
        colour,  // QImage::Format_RGB888
        grey,    // QImage::Format_Grayscale8, luma straight from the decoder, full range
    };

    struct Options {
        // The upright frame, in its shown shape (square pixels), is scaled
        // down (never up) to fit inside this box, keeping its proportions; a
        // side of 0 does not limit.
        QSize maximumSize;
        // Seconds before and after the requested time in which any frame will do.
        double toleranceBefore = 0;
        double toleranceAfter = 0;
        Pixels pixels = Pixels::colour;
        // Delivers the key frame at or before each time and decodes nothing
        // else: the cheapest frame there is, a yardstick for the real thing.
        bool keyFramesOnly = false;
        // Where reaching a time would mean decoding more than longestDecode
        // seconds on from the key frame before it, the key frame nearest the
        // time, if one lies within keyFrameReach seconds of it, stands in for
        // it and is decoded alone. 0 (the default) always decodes to the time.
        double keyFrameReach = 0;
        double longestDecode = 0;
        // libavfilter text the scaled picture goes through before it becomes
        // colour pixels (the tone mapping of HDR, as the viewer shows it);
        // empty for none. Not for grey pixels, which are the decoder's luma.
        QString pictureFilter;
        // Polled between decoded frames; true ends the request with MWCancelled.
        std::function<bool()> cancelled;
    };

    MWFrameGenerator(std::shared_ptr<const MWAsset> asset, Options options);
    ~MWFrameGenerator();
    MWFrameGenerator(const MWFrameGenerator&) = delete;
    MWFrameGenerator& operator=(const MWFrameGenerator&) = delete;

    // The first frame at or after t − toleranceBefore (seconds from the start of
    // the media), upright and scaled; past the last frame, the last frame.
    // Throws MWError when the file cannot be decoded or has no picture there,
    // MWCancelled when cancelled.
    QImage image(double t);

    // The time of the frame the last image() delivered.
    double actualTime() const;

private:
    struct Decoder;
    std::shared_ptr<const MWAsset> asset_;
    Options options_;
    std::unique_ptr<Decoder> decoder_;
    bool unusable_ = false;
};

#pragma once

#include <QSize>
#include <QSizeF>
#include <QString>

struct MWOpenedMedia;

// What every exported clip must meet so that the short-video platforms take it
// as it is, whichever engine writes it: a constant frame rate of at most 60,
// the H.264 level its size and rate need, a key frame at least every two
// seconds, and 4:2:0 8-bit BT.709 pictures (HDR tone-mapped down). Both the
// converter's command line and the composition pipeline are built from one
// ClipExporter::Delivery; the filter texts are libavfilter's, which both run.
namespace ClipExporter {

struct FrameRate {
    int num = 30;
    int den = 1;

    double value() const { return double(num) / den; }
    QString text() const;  // "30", "30000/1001"
    bool operator==(const FrameRate&) const = default;
};

// The source's colour as libav names it; empty where the file says nothing.
struct SourceColour {
    QString primaries;
    QString transfer;
    QString matrix;
    QString range;
    QSize storedSize;  // decides the matrix of an untagged picture

    bool isHdr() const;
};

struct Delivery {
    FrameRate frameRate;
    QString level;              // "3.1", "4", "4.2", … as every H.264 encoder here reads it
    int keyFrameInterval = 60;  // frames, at most two seconds' worth
    long long bitRate = 0;      // average; the peak is 1.5 × this, the buffer 2 ×
    // Filters from the cropped picture to the encoder's input at the render
    // size: the scale (which also turns SDR colour into BT.709), tone mapping
    // after it for HDR, and the pixel format.
    QString scale;
    QString afterScale;

    // The chain ending in pixelFormat; captions (captionFilter) are drawn on
    // the scaled picture before it takes that format.
    QString pictureChain(const QString& pixelFormat, const QString& captions = {}) const;
};

// The output rate: a nominal rate (the standard fraction it stands for) at or
// below 60 stays as it is; faster ones are halved until they fit, so that
// frames are dropped evenly and never repeated. 0 or less means unknown (30).
FrameRate deliveryFrameRate(int num, int den, bool variable);

// The lowest H.264 level (High profile) whose frame size, macroblock rate,
// bit rate and buffer hold this output.
QString h264Level(QSize render, FrameRate rate, long long peakBitRate, long long bufferBits);

// The converter's average bit rate for a render size at a frame rate: 0.16
// bit a pixel, never under 4 Mbit/s; rates above 60 (or unknown: 30) count as 60 (30).
long long fastBitRate(QSizeF render, float frameRate);

// The most frames between key frames that keeps them at most two seconds apart.
int keyFrameInterval(FrameRate rate);

// libavfilter texts turning the source's colour into limited-range BT.709:
// the scale to the render size, and for HDR the tone mapping after it.
QString scaleFilter(QSize render, const SourceColour& colour);
QString toneMapAfterScale(const SourceColour& colour);

SourceColour sourceColour(const MWOpenedMedia& media);

// What the player puts the picture through so that the viewer shows the
// colours the export will have: HDR's tone mapping, on a picture brought down
// to at most 1920 pixels a side first so that it keeps up with playback;
// empty for SDR, which the player shows as it is.
QString viewerFilter(const MWOpenedMedia& media);

// A file name as one option value inside a filter graph: escaped once for
// the option, once more for the graph.
QString filterPath(const QString& path);

// The filter that burns an ASS script's captions into the output picture.
// Both engines put it after the scale and the tone mapping, on output pixels
// (so the crop frame's place, zoom and moves never move the captions), and
// run it on the output's frame times from 0 at the clip's first frame.
QString captionFilter(const QString& scriptFile);
Delivery deliveryFor(const MWOpenedMedia& media, QSize render);

}  // namespace ClipExporter

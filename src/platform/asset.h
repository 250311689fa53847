#pragma once

#include <QSizeF>
#include <QString>
#include <QTransform>
#include <memory>

// A media file opened with libavformat and inspected once: everything the
// opener, the player, the frame generator and the exporters need to know.
// Opening reads the container header and stream info, nothing more.
class MWAsset {
public:
    QString path;
    bool readable = false;  // the container opened, streams were found, duration known
    bool playable = false;  // a decoder exists for the first video (or, audio-only, audio) stream
    // Every audio and video track can be stream-copied into a QuickTime movie (the
    // re-export leaves data, subtitle and cover-art streams behind).
    bool exportable = false;
    double duration = 0;   // seconds, counted from the container's start time
    double startTime = 0;  // the container's start time, seconds (subtracted everywhere)
    int videoTracks = 0;
    int audioTracks = 0;
    int videoStream = -1;  // libav stream index of the first video track, -1 without one
    int audioStream = -1;  // libav stream index of the first audio track
    // The first video track's picture in stored pixels, and the width ÷ height
    // of one stored pixel as it is shown: DVD, HDV and DV store pixels that
    // are not square. 1 when the file says nothing usable.
    QSizeF storedSize;
    double pixelAspect = 1;
    QSizeF naturalSize;             // storedSize shown with square pixels, before its transform
    QTransform preferredTransform;  // from the display matrix; identity when absent
    float nominalFrameRate = 0;     // average (else real) frame rate; 0 when unknown
    // The same rate exactly, as a fraction (0/1 when unknown), and whether the
    // frames come at a varying rate (the average and the real rate disagree),
    // as phones record.
    int frameRateNum = 0;
    int frameRateDen = 1;
    bool variableFrameRate = false;
    // The first video track's colour as libav names it ("bt709", "smpte2084",
    // "bt2020nc", "tv", …); empty where the file says nothing.
    QString colorPrimaries;
    QString colorTransfer;
    QString colorMatrix;
    QString colorRange;

    // Opens and inspects path. Throws MWError with libav's description when the
    // file cannot be opened at all.
    static std::shared_ptr<const MWAsset> open(const QString& path);
};

#pragma once

#include <QRect>
#include <QSize>
#include <QString>
#include <QTransform>
#include <atomic>
#include <mutex>
#include <utility>
#include <vector>

// What one composition export makes: a time range of the first video track
// (and of the first audio track, when there is one), turned upright, cropped
// and scaled to the output size, as an H.264/AAC MP4 with its index at the front.
struct MWComposition {
    QString source;    // the playable file
    double start = 0;  // seconds from the start of the media
    double end = 0;
    QTransform preferredTransform;  // stored picture → upright picture
    // Whole pixels of the upright picture as stored (not yet made square),
    // even width and height; the output has square pixels.
    QRect crop;
    // Where the crop moves: from each time (seconds after start, on the
    // output's frame grid) the output frames are cut at its rectangle, in the
    // pixels of crop. Empty: crop holds for the whole range.
    std::vector<std::pair<double, QRect>> cropMoves{};
    QSize renderSize;       // even output size
    int frameRateNum = 30;  // constant output frame rate, a fraction
    int frameRateDen = 1;
    long long videoBitRate = 4000000;  // the peak rate is held to 1.5 × this
    QString level{};                   // H.264 level ("4.2"); empty lets the encoder choose
    int keyFrameInterval = 0;          // most frames between key frames; 0 lets the encoder choose
    // libavfilter text from the cropped picture to 4:2:0 at renderSize; empty
    // scales as it is. With bt709 the text makes limited-range BT.709, and
    // the output is tagged so; without, the source's tags travel on.
    QString pictureFilters{};
    // libavfilter text drawn on each output frame (at renderSize, after
    // pictureFilters), which it sees at its time on the output grid: frame n
    // at n ÷ the frame rate, 0 the range's first frame. Empty draws nothing.
    QString captionFilters{};
    bool bt709 = false;
    QString output;  // the MP4 to write; replaced if it exists
    // libavfilter text for the sound once it is 48 kHz stereo, before it is
    // encoded (the loudness gain and limiter); empty leaves it as it is.
    QString audioFilters{};
};

// One export of an MWComposition on libav: the stand-in for an export
// session. run() works on the calling (worker) thread; cancel(), progress()
// and status() may be called from any thread at any time. A run that does not
// complete leaves no output file behind.
class MWCompositionExport {
public:
    enum class Status { waiting, exporting, completed, failed, cancelled };

    explicit MWCompositionExport(MWComposition composition);
    ~MWCompositionExport();
    MWCompositionExport(const MWCompositionExport&) = delete;
    MWCompositionExport& operator=(const MWCompositionExport&) = delete;

    // Does the whole export; returns when it has completed, failed or was
    // cancelled. A second call does nothing.
    void run();
    // Stops a running export within about one frame's work; before run() it
    // makes run() end at once. Has no effect on a finished export.
    void cancel();

    double progress() const { return progress_.load(); }  // 0…1
    Status status() const;
    // The failure in words when status() is failed; empty when none is known.
    QString error() const;

    // The upright orientation nearest to a preferred transform, as libavfilter
    // filters ("transpose=clock", "hflip,vflip", …); empty for upright pictures.
    static QString orientationFilters(const QTransform& transform);

private:
    void finish(Status status, const QString& error);

    const MWComposition composition_;
    std::atomic<bool> cancelRequested_{false};
    std::atomic<double> progress_{0};
    mutable std::mutex mutex_;
    Status status_ = Status::waiting;
    QString error_;
};

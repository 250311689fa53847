#pragma once

#include "platform/player.h"

#include <QPointer>
#include <QTimer>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

struct mpv_handle;
struct mpv_event;

// The player on libmpv: one core for the whole run, paused on load, keeping
// the last frame at the end, seeking frame-exactly. Main thread only; libmpv's
// own threads only ever post a wake-up to it.
class MWMpvPlayer : public Player {
    Q_OBJECT
public:
    struct Options {
        // Without video the picture is decoded and dropped (tests, no screen);
        // with it a video surface renders it.
        bool video = true;
        // Without audio nothing is played; with it a machine without sound
        // falls back to no audio by itself.
        bool audio = true;
    };

    // Throws MWError when libmpv cannot start (it needs LC_NUMERIC "C").
    explicit MWMpvPlayer(Options options, QObject* parent = nullptr);
    ~MWMpvPlayer() override;

    void replaceItem(std::shared_ptr<const MWAsset> asset) override;
    void preload(const QString& path) override;
    void setPictureFilter(const QString& filter) override { pictureFilter_ = filter; }
    void play() override;
    void pause() override;
    double rate() const override;
    void seekExact(double t) override;
    void endSeeking() override;
    double currentTime() const override;

    // The time of the frame on screen (currentTime() is the one asked for
    // while paused after a seek); NaN until the picture of the last load or
    // seek is in place.
    double shownTime() const;
    bool settled() const override;

    // Seek commands sent to the core so far. Exact seeks take the core up to a
    // few hundred milliseconds on long-GOP files, so only one is ever on its
    // way: asked for meanwhile, only the newest target is sent, once it lands.
    std::uint64_t seeksIssued() const { return seeks_; }

    // For the video surface.
    mpv_handle* handle() const { return mpv_; }
    bool hasVideoOutput() const { return options_.video; }
    // The render context of libmpv is one per core and must be freed before
    // the core: the surface that holds it registers how to free it. A second
    // surface takes over from the first (after it has freed its own).
    void attachRenderer(QObject* owner, std::function<void()> release);
    void detachRenderer(QObject* owner);
    // A render context exists now: an item opened before it has no picture yet.
    void videoOutputAttached();

signals:
    // The picture for a load or seek is in place; shownTime() is a number once
    // it is the newest request's.
    void restarted();

private:
    // The core's options, before it starts.
    void configure();
    static void wakeup(void* context);
    void drainEvents();
    void handle(const mpv_event& event);
    void command(std::initializer_list<const char*> args, std::uint64_t id = 0);
    void setPaused(bool paused);
    void issueSeek(double t, bool exact = true);
    // The seek on its way has landed or failed: send the one waiting, if any.
    // settled: the run has stopped, or a seek failed; run: the seek before it
    // has just landed and the targets may still be coming.
    enum class Pace { run, settled };
    bool sendWaitingSeek(Pace pace = Pace::settled);
    // Whether t is so far from the newest seek's target that a run of seeks
    // cannot keep up with exact frames.
    bool outpaced(double t) const;
    // Makes the file being preloaded the item, when asset is that file.
    bool adoptPreload(const std::shared_ptr<const MWAsset>& asset);

    Options options_;
    mpv_handle* mpv_ = nullptr;
    std::atomic<bool> drainPosted_ = false;

    std::shared_ptr<const MWAsset> item_;
    bool loaded_ = false;  // the current item's file is open in the core
    bool paused_ = true;
    bool eof_ = false;
    double speed_ = 1.0;
    double position_ = 0;  // the core's time-pos for the current item
    double duration_ = 0;
    std::optional<double> startAt_;    // a seek asked for before the file opened
    std::uint64_t generation_ = 0;     // counts replaced items
    std::int64_t expectedEntry_ = -1;  // the core's playlist entry of the current item
    std::int64_t startedEntry_ = -1;   // the entry the core is opening
    std::uint64_t seeks_ = 0;

    // While a load or seek is on its way, and after it while paused, the time
    // is the one asked for: the core's stale time must not pull the playhead
    // back, and a paused playhead stays where it was put.
    bool holding_ = false;
    double heldTime_ = 0;
    QString pictureFilter_;
    bool settled_ = false;               // the picture for the newest request is in place
    std::uint64_t lastSeek_ = 0;         // the id of the newest seek command
    bool seekQueued_ = false;            // the core has taken the newest seek
    bool seekBegun_ = false;             // ...and started on it: the next restart is its own
    bool seekExact_ = true;              // the newest seek is exact, not to a key frame
    double lastTarget_ = 0;              // the newest seek's target
    bool runOver_ = true;                // the targets have stopped coming (endSeeking)
    bool seekInFlight_ = false;          // a seek command is between sending and its restart
    std::optional<double> waitingSeek_;  // the newest target asked for meanwhile
    QTimer* seekWatchdog_ = nullptr;     // a restart that never comes must not stall seeking
    QTimer* seekSettle_ = nullptr;       // the targets stopped coming: the newest goes out now
    int pauseRequests_ = 0;              // pause changes on their way to the core
    QByteArray preloadPath_;             // opening without an item, to be taken over
    bool preloadOpened_ = false;         // its file is open in the core
    bool preloadShown_ = false;          // and its first picture is in place

    QPointer<QObject> renderer_;
    std::function<void()> releaseRenderer_;
};

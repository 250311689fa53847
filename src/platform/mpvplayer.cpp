#include "platform/mpvplayer.h"

#include "model/mwerror.h"
#include "platform/asset.h"
#include "platform/background.h"
#include "platform/launchtrace.h"

#include <QByteArray>
#include <QFileInfo>
#include <QMetaObject>
#include <QThread>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <thread>
#include <mpv/client.h>

namespace {

// reply_userdata of the observed properties and of our own requests.
enum : std::uint64_t {
    kTimePos = 1,
    kPause,
    kEofReached,
    kDuration,
    kSpeed,
    kPauseReply = 100,
    kLoadReply = 1ull << 32,  // + the load's generation
    kSeekReply = 1ull << 48,  // + the seek's number
};

// How far before an exact seek's target libmpv still keeps frames.
constexpr double kSeekTolerance = 0.005;
// Seconds between one seek of a run and the next beyond which the run goes
// by key frames until it stops.
constexpr double kOutpaced = 1.0;

std::int64_t entryOf(const mpv_node& result)
{
    if (result.format != MPV_FORMAT_NODE_MAP)
        return -1;
    const mpv_node_list* map = result.u.list;
    for (int i = 0; i < map->num; ++i) {
        if (std::strcmp(map->keys[i], "playlist_entry_id") == 0 &&
            map->values[i].format == MPV_FORMAT_INT64)
            return map->values[i].u.int64;
    }
    return -1;
}

}  // namespace

MWMpvPlayer::MWMpvPlayer(Options options, QObject* parent) : Player(parent), options_(options)
{
    seekWatchdog_ = new QTimer(this);
    seekWatchdog_->setSingleShot(true);
    seekWatchdog_->setInterval(2000);
    connect(seekWatchdog_, &QTimer::timeout, this, [this] {
        seekInFlight_ = false;
        sendWaitingSeek();
    });
    // While targets keep coming (a drag), one seek at a time keeps the
    // picture moving. Once they stop, the newest goes out without waiting for
    // the restart of the one in progress: the core takes it the moment that
    // one lands. (It does not drop an exact seek it has started, which is why
    // a run that outpaces the seeks goes from key frame to key frame.) The
    // pause is a little over two pointer events at 60 a second.
    seekSettle_ = new QTimer(this);
    seekSettle_->setSingleShot(true);
    seekSettle_->setInterval(40);
    connect(seekSettle_, &QTimer::timeout, this, &MWMpvPlayer::endSeeking);
    // The core's threads (playback, demuxer, decoders, video and sound
    // outputs) all descend from the thread that creates it, and take its
    // nice value: created from a background thread, they leave the processor
    // to the window's thread whenever both want it, so a drag that seeks
    // never waits behind the decoding it asks for.
    int started = -1;
    std::thread([this, &started] {
        CWBackground::yieldToWindow();
        mpv_ = mpv_create();
        if (!mpv_)
            return;
        configure();
        // Whatever threads starting the core makes, it makes on this thread too.
        started = mpv_initialize(mpv_);
    }).join();
    if (!mpv_)
        throw MWError(QStringLiteral("The video player could not start."));
    if (started < 0) {
        mpv_terminate_destroy(mpv_);
        mpv_ = nullptr;
        throw MWError(QStringLiteral("The video player could not start."));
    }
    mpv_observe_property(mpv_, kTimePos, "time-pos", MPV_FORMAT_DOUBLE);
    mpv_observe_property(mpv_, kPause, "pause", MPV_FORMAT_FLAG);
    mpv_observe_property(mpv_, kEofReached, "eof-reached", MPV_FORMAT_FLAG);
    mpv_observe_property(mpv_, kDuration, "duration", MPV_FORMAT_DOUBLE);
    mpv_observe_property(mpv_, kSpeed, "speed", MPV_FORMAT_DOUBLE);
    mpv_set_wakeup_callback(mpv_, &MWMpvPlayer::wakeup, this);
}

void MWMpvPlayer::configure()
{
    const auto set = [this](const char* name, const char* value) {
        mpv_set_option_string(mpv_, name, value);
    };
    // Nothing of the user's mpv set-up, no console, no keys, no on-screen text.
    set("config", "no");
    set("terminal", "no");
    set("msg-level", "all=no");
    set("load-scripts", "no");
    set("ytdl", "no");
    set("input-default-bindings", "no");
    set("input-vo-keyboard", "no");
    set("osc", "no");
    // Nor the built-in scripts: each starts a thread and a Lua state at launch
    // for an overlay or a console nobody can call up without mpv's keys.
    set("load-stats-overlay", "no");
    set("load-osd-console", "no");
    set("load-auto-profiles", "no");
    set("osd-level", "0");
    set("sub-auto", "no");
    set("audio-file-auto", "no");
    set("audio-display", "no");
    set("vo", options_.video ? "libmpv" : "null");
    // No hardware decoding, so no probing of GPU interops (which prints).
    set("hwdec", "no");
    set("gpu-hwdec-interop", "no");
    if (options_.audio) {
        // The desktop's sound servers and the card itself, no more: SDL and
        // OpenAL only wrap these again, and on a machine without sound each
        // costs the first picture tens of milliseconds before giving up.
        set("ao", "pipewire,pulse,alsa,jack");
        set("audio-fallback-to-null", "yes");
    } else
        set("ao", "null");
    // Loaded items wait paused on their first frame; the end keeps the last one.
    set("pause", "yes");
    set("keep-open", "yes");
    set("idle", "yes");
    set("hr-seek", "yes");
    // One decoding thread per core: frame threading keeps one frame in
    // flight per thread, and a thread beyond the cores adds a frame's latency
    // to every exact seek without decoding any faster.
    set("vd-lavc-threads",
        QByteArray::number(std::clamp(QThread::idealThreadCount(), 1, 16)).constData());
    // The memory surface scales through libswscale: libmpv's zimg path reads
    // BT.601 pictures with the wrong matrix.
    set("sws-allow-zimg", "no");
}

MWMpvPlayer::~MWMpvPlayer()
{
    // The render context goes before the core, or libmpv stops the program.
    if (renderer_ && releaseRenderer_) {
        const auto release = std::move(releaseRenderer_);
        renderer_ = nullptr;
        release();
    }
    mpv_set_wakeup_callback(mpv_, nullptr, nullptr);
    mpv_terminate_destroy(mpv_);
}

void MWMpvPlayer::wakeup(void* context)
{
    // Called on libmpv's threads: no client call here, only a note to the main thread.
    auto* self = static_cast<MWMpvPlayer*>(context);
    if (!self->drainPosted_.exchange(true))
        QMetaObject::invokeMethod(self, &MWMpvPlayer::drainEvents, Qt::QueuedConnection);
}

void MWMpvPlayer::drainEvents()
{
    drainPosted_ = false;
    while (mpv_) {
        const mpv_event* event = mpv_wait_event(mpv_, 0);
        if (event->event_id == MPV_EVENT_NONE)
            break;
        handle(*event);
    }
}

void MWMpvPlayer::handle(const mpv_event& event)
{
    switch (event.event_id) {
    case MPV_EVENT_PROPERTY_CHANGE: {
        const auto* property = static_cast<const mpv_event_property*>(event.data);
        const bool isDouble = property->format == MPV_FORMAT_DOUBLE;
        const bool isFlag = property->format == MPV_FORMAT_FLAG;
        switch (event.reply_userdata) {
        case kTimePos:
            // Until the current item has opened, times are the previous one's.
            if (loaded_)
                position_ = isDouble ? *static_cast<double*>(property->data) : NAN;
            break;
        case kPause:
            // A change from before our own request is stale.
            if (isFlag && pauseRequests_ == 0)
                paused_ = *static_cast<int*>(property->data) != 0;
            break;
        case kEofReached:
            eof_ = isFlag && *static_cast<int*>(property->data) != 0;
            break;
        case kDuration:
            if (isDouble)
                duration_ = *static_cast<double*>(property->data);
            break;
        case kSpeed:
            if (isDouble)
                speed_ = *static_cast<double*>(property->data);
            break;
        default:
            break;
        }
        break;
    }
    case MPV_EVENT_SET_PROPERTY_REPLY:
        if (event.reply_userdata == kPauseReply && pauseRequests_ > 0)
            --pauseRequests_;
        break;
    case MPV_EVENT_COMMAND_REPLY:
        if (event.reply_userdata == kLoadReply + generation_) {
            const auto* reply = static_cast<const mpv_event_command*>(event.data);
            expectedEntry_ = event.error < 0 ? -1 : entryOf(reply->result);
            if (event.error < 0) {
                holding_ = false;
                preloadPath_.clear();
            }
        } else if (event.reply_userdata == lastSeek_) {
            seekQueued_ = true;
            if (event.error < 0) {
                seekInFlight_ = false;
                if (!sendWaitingSeek())
                    holding_ = false;
            }
        }
        break;
    case MPV_EVENT_START_FILE:
        startedEntry_ = static_cast<const mpv_event_start_file*>(event.data)->playlist_entry_id;
        break;
    case MPV_EVENT_FILE_LOADED:
        CWLaunchTrace::mark("player opened the file");
        if (startedEntry_ != expectedEntry_ || expectedEntry_ < 0)
            break;  // a file replaced before it opened
        if (!item_) {
            preloadOpened_ = !preloadPath_.isEmpty();
            break;
        }
        loaded_ = true;
        position_ = NAN;
        if (startAt_) {
            issueSeek(*startAt_);
            startAt_.reset();
        } else {
            seekQueued_ = seekBegun_ = true;  // the load's own restart ends the hold
        }
        break;
    case MPV_EVENT_END_FILE: {
        const auto* end = static_cast<const mpv_event_end_file*>(event.data);
        if (end->playlist_entry_id == expectedEntry_ && end->reason == MPV_END_FILE_REASON_ERROR) {
            loaded_ = false;
            holding_ = false;
        }
        break;
    }
    case MPV_EVENT_SEEK:
        // A restart between taking a seek and starting on it belongs to the
        // seek it replaced, whose frame is not the one asked for.
        if (seekQueued_)
            seekBegun_ = true;
        break;
    case MPV_EVENT_PLAYBACK_RESTART:
        CWLaunchTrace::mark("player has the picture");
        // The time of the frame now shown. Its change notice may still be on
        // its way (a busy machine delivers it after this event), and until
        // it arrives the observed time is the seek's aim, not a frame's.
        if (!item_ && preloadOpened_)
            preloadShown_ = true;
        if (loaded_) {
            double shown = NAN;
            if (mpv_get_property(mpv_, "time-pos", MPV_FORMAT_DOUBLE, &shown) >= 0)
                position_ = shown;
        }
        if (seekQueued_ && seekBegun_) {
            seekInFlight_ = false;
            // A newer target waited for this one: the picture is not settled
            // until that one lands. A run that stopped on a key frame still
            // owes its exact frame.
            const bool landedExact = seekExact_;
            const bool sent = sendWaitingSeek(runOver_ ? Pace::settled : Pace::run);
            if (!sent && !landedExact) {
                // On a key frame: the exact frame follows once the targets
                // stop, or at once if they have.
                if (runOver_)
                    issueSeek(heldTime_);
                else
                    seekSettle_->start();
            } else if (!sent) {
                settled_ = true;
                if (!paused_)
                    holding_ = false;
            }
        }
        emit restarted();
        break;
    default:
        break;
    }
}

void MWMpvPlayer::command(std::initializer_list<const char*> args, std::uint64_t id)
{
    std::vector<const char*> list(args);
    list.push_back(nullptr);
    mpv_command_async(mpv_, id, list.data());
}

void MWMpvPlayer::preload(const QString& path)
{
    const QByteArray absolute = QFileInfo(path).absoluteFilePath().toUtf8();
    // Opened without a render context, the file would have no picture.
    if (item_ || absolute == preloadPath_ || (options_.video && !renderer_))
        return;
    ++generation_;
    preloadPath_ = absolute;
    preloadOpened_ = preloadShown_ = false;
    loaded_ = false;
    expectedEntry_ = -1;
    mpv_set_property_string(mpv_, "vf", "");
    command({"loadfile", absolute.constData(), "replace"}, kLoadReply + generation_);
}

bool MWMpvPlayer::adoptPreload(const std::shared_ptr<const MWAsset>& asset)
{
    const QByteArray preloaded = std::exchange(preloadPath_, QByteArray());
    if (!asset || preloaded.isEmpty() || !pictureFilter_.isEmpty() ||
        QFileInfo(asset->path).absoluteFilePath().toUtf8() != preloaded)
        return false;
    // The core goes on with the load it has: the item is what it opens.
    item_ = asset;
    loaded_ = preloadOpened_;
    settled_ = preloadShown_;
    // Not open yet: its opening ends the hold, as a load's does. Open: the
    // restart to come is the load's own. Shown: nothing more to come.
    seekQueued_ = seekBegun_ = preloadOpened_ && !preloadShown_;
    position_ = NAN;
    if (preloadShown_) {
        double shown = NAN;
        if (mpv_get_property(mpv_, "time-pos", MPV_FORMAT_DOUBLE, &shown) >= 0)
            position_ = shown;
        // Whoever waits for the picture hears of it as of any load's.
        QMetaObject::invokeMethod(
            this, [this, asset] { if (item_ == asset && settled_) emit restarted(); },
            Qt::QueuedConnection);
    }
    return true;
}

void MWMpvPlayer::replaceItem(std::shared_ptr<const MWAsset> asset)
{
    eof_ = false;
    duration_ = asset ? asset->duration : 0;
    startAt_.reset();
    lastSeek_ = 0;
    seekInFlight_ = false;
    seekExact_ = true;
    waitingSeek_.reset();
    seekWatchdog_->stop();
    seekSettle_->stop();
    heldTime_ = 0;
    holding_ = bool(asset);
    if (adoptPreload(asset))
        return;
    item_ = std::move(asset);
    ++generation_;
    loaded_ = false;
    position_ = NAN;
    expectedEntry_ = -1;
    seekQueued_ = seekBegun_ = false;
    settled_ = false;
    if (!item_) {
        command({"stop"});
        return;
    }
    // mpv runs the same libavfilter as the exports, so the picture shown is
    // the picture written; brackets keep the graph's own commas and colons.
    // mpv keeps the colour the file declared whatever the filters made of it:
    // the pictures are SDR BT.709 now, and it is told so.
    const QByteArray filters =
        pictureFilter_.isEmpty()
            ? QByteArray()
            : "lavfi=[" + pictureFilter_.toUtf8() +
                  "],format=colormatrix=bt.709:colorlevels=limited:primaries=bt.709:gamma=bt.1886:"
                  "light=display:sig-peak=1";
    mpv_set_property_string(mpv_, "vf", filters.constData());
    const QByteArray path = QFileInfo(item_->path).absoluteFilePath().toUtf8();
    command({"loadfile", path.constData(), "replace"}, kLoadReply + generation_);
}

void MWMpvPlayer::setPaused(bool paused)
{
    paused_ = paused;
    ++pauseRequests_;
    int flag = paused ? 1 : 0;
    mpv_set_property_async(mpv_, kPauseReply, "pause", MPV_FORMAT_FLAG, &flag);
}

void MWMpvPlayer::play()
{
    if (!item_)
        return;
    setPaused(false);
    if (settled_)
        holding_ = false;
}

void MWMpvPlayer::pause()
{
    setPaused(true);
}

double MWMpvPlayer::rate() const
{
    // Like a platform player, a play request counts while the item still opens.
    return item_ && !paused_ && !eof_ ? speed_ : 0.0;
}

void MWMpvPlayer::seekExact(double t)
{
    if (!item_ || !std::isfinite(t))
        return;
    heldTime_ = t;
    holding_ = true;
    settled_ = false;
    eof_ = false;
    runOver_ = false;
    if (loaded_)
        issueSeek(t, seekExact_ || !outpaced(t));
    else
        startAt_ = t;
}

void MWMpvPlayer::endSeeking()
{
    runOver_ = true;
    if (!loaded_)
        return;
    if (seekInFlight_) {
        if (waitingSeek_) {
            seekInFlight_ = false;
            sendWaitingSeek();
        }
        return;  // a seek to a key frame sends the exact one when it lands
    }
    if (!seekExact_)
        issueSeek(heldTime_);
}

bool MWMpvPlayer::outpaced(double t) const
{
    return std::abs(t - lastTarget_) > kOutpaced;
}

void MWMpvPlayer::issueSeek(double t, bool exact)
{
    if (seekInFlight_) {
        waitingSeek_ = t;
        seekSettle_->start();
        return;
    }
    seekInFlight_ = true;
    seekWatchdog_->start();
    lastSeek_ = kSeekReply + ++seeks_;
    seekQueued_ = seekBegun_ = false;
    seekExact_ = exact;
    lastTarget_ = t;
    if (!exact) {
        command({"seek", QByteArray::number(t, 'f', 6).constData(), "absolute+keyframes"},
                lastSeek_);
        return;
    }
    // libmpv's exact seek keeps frames from 5 ms before its target, so a time
    // just after a frame would show that frame. Aiming 5 ms later (less a
    // microsecond of rounding, the export's own allowance) shows the first
    // frame at or after t, the one the exports start with.
    const QByteArray target = QByteArray::number(t + kSeekTolerance - 1e-6, 'f', 6);
    command({"seek", target.constData(), "absolute+exact"}, lastSeek_);
}

bool MWMpvPlayer::sendWaitingSeek(Pace pace)
{
    seekWatchdog_->stop();
    seekSettle_->stop();
    if (!waitingSeek_ || !loaded_)
        return false;
    const double t = *waitingSeek_;
    waitingSeek_.reset();
    // Mid-run, a target far from the last one means the targets outpace the
    // seeks: the exact frame would be stale by the time it was decoded, and
    // the core finishes an exact seek before it takes the next, so the final
    // frame would wait behind it. A key frame near the target keeps the
    // picture moving; the run's last target is always exact.
    issueSeek(t, pace == Pace::settled || !outpaced(t));
    return true;
}

double MWMpvPlayer::currentTime() const
{
    if (!item_)
        return NAN;
    // Paused after a seek the time is the one asked for (the picture is the
    // first frame at or after it), as the timeline put it.
    if (holding_ || !loaded_)
        return heldTime_;
    // At the end the time is the item's end, as the last frame stays up.
    if (eof_ && duration_ > 0)
        return duration_;
    return std::isfinite(position_) ? position_ : heldTime_;
}

bool MWMpvPlayer::settled() const
{
    return !item_ || (loaded_ && settled_);
}

double MWMpvPlayer::shownTime() const
{
    return loaded_ && settled_ ? position_ : NAN;
}

void MWMpvPlayer::attachRenderer(QObject* owner, std::function<void()> release)
{
    if (renderer_ && renderer_ != owner && releaseRenderer_) {
        const auto release = std::move(releaseRenderer_);
        renderer_ = nullptr;
        release();
    }
    renderer_ = owner;
    releaseRenderer_ = std::move(release);
}

void MWMpvPlayer::videoOutputAttached()
{
    // An item opened without a render context has no picture (libmpv gives
    // up on the video output), and one whose context was freed lost it: open
    // it again where it stood.
    preloadPath_.clear();
    if (!item_)
        return;
    const double t = currentTime();
    replaceItem(item_);
    if (std::isfinite(t) && t > 0)
        seekExact(t);
}

void MWMpvPlayer::detachRenderer(QObject* owner)
{
    if (renderer_ == owner) {
        preloadPath_.clear();
        renderer_ = nullptr;
        releaseRenderer_ = nullptr;
    }
}

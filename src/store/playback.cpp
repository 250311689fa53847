// The current source in the player, the playhead and the transport.
#include "export/delivery.h"
#include "platform/launchtrace.h"
#include "platform/player.h"
#include "store/store.h"

#include <algorithm>
#include <cmath>

void CWStore::observeTime()
{
    double t = player_->currentTime();
    if (!std::isfinite(t))
        t = 0;
    if (time_ != t) {
        assign(time_, t, Field::time);
        followFrame();
    }
    const bool running = player_->rate() != 0;
    if (playing_ != running)
        assign(playing_, running, Field::playing);
    const Clip* clip = selectedClip();
    if (running && clip && clip->sourceID == currentSourceID_ && clip->outTime <= time_) {
        const double out = clip->outTime;
        player_->pause();
        seek(out);
    }
}

void CWStore::select(QUuid id)
{
    const CWSource* source = nullptr;
    for (const CWSource& s : sources_) {
        if (s.id == id) {
            source = &s;
            break;
        }
    }
    // The video already shown stays as it is: its marks may be a selected
    // clip's, and a reset here would be written into that clip.
    if (!source || currentSourceID_ == id)
        return;
    // A copy: whoever hears of the change may remove the source, and with it
    // what a pointer into the list would read.
    const MWOpenedMedia media = source->media;
    player_->pause();
    assign(currentSourceID_, std::optional<QUuid>(id), Field::currentSourceID);
    if (currentSourceID_ != id)
        return;  // removed, or another chosen, by a listener meanwhile
    player_->setPictureFilter(ClipExporter::viewerFilter(media));
    CWLaunchTrace::mark("player loads the file");
    player_->replaceItem(media.asset);
    assign(time_, 0.0, Field::time);
    assign(inMark_, 0.0, Field::inMark);
    assign(outMark_, std::min(media.duration, 15.0), Field::outMark);
    assign(trimFocus_, std::optional<int>(), Field::trimFocus);
    const Clip* clip = selectedClip();
    if (clip && clip->sourceID != id)
        setSelectedClipID(std::nullopt);
}

void CWStore::seek(double t)
{
    const double d = currentDuration();
    const double target = std::min(std::max(t, 0.0), std::max(d, 0.0));
    assign(time_, target, Field::time);
    player_->seekExact(target);
    followFrame();
}

void CWStore::togglePlay()
{
    if (!current())
        return;
    if (player_->rate() != 0) {
        player_->pause();
    } else {
        const Clip* clip = selectedClip();
        if (clip && clip->sourceID == currentSourceID_) {
            if (time_ < clip->inTime - 0.05 || time_ >= clip->outTime - 0.05)
                seek(clip->inTime);
        } else if (time_ >= currentDuration() - 0.05) {
            seek(0);
        }
        player_->play();
    }
    assign(playing_, player_->rate() != 0, Field::playing);
}

void CWStore::step(int frames)
{
    const double fps = currentFrameRate();
    player_->pause();
    seek(time_ + frames / std::max(fps, 1.0));
}

void CWStore::nudgeTrim(int frames)
{
    if (!trimFocus_ || !current())
        return;
    const double dt = frames / std::max(currentFrameRate(), 1.0);
    player_->pause();
    if (*trimFocus_ == 0) {
        setIn(inMark_ + dt);
        seek(inMark_);
    } else {
        setOut(outMark_ + dt);
        seek(outMark_);
    }
}

#pragma once

#include <QObject>
#include <QString>
#include <memory>

class MWAsset;

// The one media player of a run. Items are replaced, never the player.
// Times are seconds from the start of the media.
class Player : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~Player() override = default;

    // Loads asset as the current item (paused at 0); nullptr clears the item.
    virtual void replaceItem(std::shared_ptr<const MWAsset> asset) = 0;
    // The file that is about to become the first item, while nothing is
    // current: the player may start opening it before the asset is ready. A
    // replaceItem with that file (and no picture filter) takes over what is
    // already open; any other item, or nullptr, drops it.
    virtual void preload(const QString& path) { (void)path; }
    // libavfilter text the picture goes through before it is shown (the
    // exports' tone mapping of HDR); empty for none. From the next replaceItem.
    virtual void setPictureFilter(const QString& filter) { (void)filter; }
    virtual void play() = 0;
    virtual void pause() = 0;
    // 0 when paused, stopped or without an item.
    virtual double rate() const = 0;
    // Frame-exact: shows the first frame at or after t.
    virtual void seekExact(double t) = 0;
    // A run of seeks (a drag) has ended: the newest target goes out now,
    // rather than after the pause that otherwise tells the run's end.
    virtual void endSeeking() {}
    // The current position; may be NaN or infinite while nothing is loaded.
    virtual double currentTime() const = 0;
    // Whether the picture of the newest load or seek is in place. Work that
    // would compete with the player for the processor can wait for it.
    virtual bool settled() const { return true; }
};

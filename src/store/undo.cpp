// Undo and Redo: recording each user operation as one step of the history and
// putting a step's state back.
#include "platform/player.h"
#include "store/store.h"

#include <algorithm>

CWStore::Step::Step(CWStore* store, CWHistory::Change change) : store_(store)
{
    if (store_->stepDepth_++ == 0)
        store_->change_ = std::move(change);
}

CWStore::Step::~Step()
{
    if (--store_->stepDepth_ > 0)
        return;
    store_->change_.reset();
    if (std::exchange(store_->stepRecorded_, false)) {
        store_->history_.dropIfUnchanged(store_->historyState());
        emit store_->historyChanged();
    }
}

CWStore::Unrecorded::Unrecorded(CWStore* store) : store_(store)
{
    ++store_->unrecorded_;
}

CWStore::Unrecorded::~Unrecorded()
{
    if (--store_->unrecorded_ > 0)
        return;
    store_->history_.clear();
    emit store_->historyChanged();
}

void CWStore::willChange()
{
    if (unrecorded_ > 0 || (stepDepth_ > 0 && stepRecorded_))
        return;
    history_.record(change_.value_or(CWHistory::Change{}), historyState(),
                    saveHolds_ > 0 ? gestures_ : 0);
    if (stepDepth_ > 0)
        stepRecorded_ = true;
    else
        emit historyChanged();
}

CWHistory::State CWStore::historyState() const
{
    return {sources_, clips_, pendingSources_, pendingClips_, currentSourceID_};
}

void CWStore::endUndoRun()
{
    history_.endRun();
}

void CWStore::undo()
{
    if (const std::optional<CWHistory::State> state = history_.undo(historyState()))
        putBack(*state);
}

void CWStore::redo()
{
    if (const std::optional<CWHistory::State> state = history_.redo(historyState()))
        putBack(*state);
}

void CWStore::putBack(const CWHistory::State& state)
{
    // Nothing done on the way back is a step of its own.
    ++unrecorded_;
    const auto has = [](const QList<CWSource>& list, const std::optional<QUuid>& id) {
        return id && std::any_of(list.begin(), list.end(),
                                 [&](const CWSource& s) { return s.id == *id; });
    };
    const QList<CWSource> before = sources_;
    // A list the step did not touch still shares its data: the bin is not
    // rebuilt for a clip's change.
    const auto same = [](const auto& a, const auto& b) {
        return a.size() == b.size() && a.constData() == b.constData();
    };
    if (!same(sources_, state.sources)) {
        sources_ = state.sources;
        emit changed(Field::sources);
    }
    pendingSources_ = state.pendingSources;
    pendingClips_ = state.pendingClips;
    clips_ = state.clips;
    emit changed(Field::clips);

    // The video shown stays, unless it went away or the step brings back the
    // one that was shown then (undoing the removal of the current video).
    std::optional<QUuid> show = currentSourceID_;
    if (has(sources_, state.currentSourceID) && !has(before, state.currentSourceID))
        show = state.currentSourceID;
    else if (!has(sources_, currentSourceID_))
        show = has(sources_, state.currentSourceID) ? state.currentSourceID
               : sources_.isEmpty()                 ? std::nullopt
                                                    : std::optional(sources_.first().id);
    if (show != currentSourceID_) {
        if (show) {
            select(*show);
        } else {
            assign(currentSourceID_, std::optional<QUuid>(), Field::currentSourceID);
            player_->replaceItem(nullptr);
        }
    }
    // A clip that is gone is no longer being edited; one that is still
    // selected shows its marks and frame as they now are.
    if (selectedClipID_ && indexOfClip(*selectedClipID_) < 0)
        setSelectedClipID(std::nullopt);
    else
        showSelectedClip();
    --unrecorded_;
    history_.endRun();
    emit historyChanged();
    save();
}

void CWStore::showSelectedClip()
{
    const Clip* selected = selectedClip();
    if (!selected)
        return;
    const Clip clip = *selected;
    if (clip.sourceID == currentSourceID_) {
        if (inMark_ != clip.inTime)
            assign(inMark_, clip.inTime, Field::inMark);
        if (outMark_ != clip.outTime)
            assign(outMark_, clip.outTime, Field::outMark);
    }
    // The working frame follows without writing into the clip again.
    loading_ = true;
    if (aspect_ != clip.aspect)
        setAspect(clip.aspect);
    if (zoom_ != clip.zoom)
        setZoom(clip.zoom);
    if (centerX_ != clip.centerX)
        setCenterX(clip.centerX);
    if (centerY_ != clip.centerY)
        setCenterY(clip.centerY);
    loading_ = false;
    followFrame();
}

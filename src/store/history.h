#pragma once

#include "model/clip.h"
#include "model/session.h"
#include "model/source.h"

#include <QList>
#include <QString>
#include <QUuid>
#include <functional>
#include <optional>

// The store's Undo and Redo: for every step, the whole state the session is
// made of as it was before the step. A step is undone by putting that state
// back, so no change can escape a hand-written inverse; the lists share their
// data with the store's until one side changes, so keeping them costs little.
// Lives while the program runs; nothing of it is saved.
class CWHistory {
public:
    // What a step can change: everything the session file holds, with each
    // video whole (its opened media and filmstrip), so a removed video comes
    // back without opening its file again; and the video shown at the time.
    struct State {
        QList<CWSource> sources;
        QList<Clip> clips;
        QList<CWSession::Source> pendingSources;
        QList<Clip> pendingClips;
        std::optional<QUuid> currentSourceID;

        // The same session file would be written: the videos (by id, file and
        // black-bar trimming), the clips and what waits for a missing file.
        bool sameSession(const State& other) const;
    };

    // How a change may join the step before it instead of being one of its own.
    enum class Joining {
        never,   // adding, deleting, Apply to all: each is its own step
        typing,  // the same kind on the same clip, until the run is ended
        burst,   // the same kind on the same clip within a second (a knob turned, a key held)
    };

    struct Change {
        QString label;  // "Delete Clip": the menu says "Undo Delete Clip"
        QString kind;   // what may join, with the clip it touches; empty joins nothing
        Joining joining = Joining::never;
    };

    static constexpr qsizetype limit = 200;
    static constexpr qint64 burstMs = 1000;

    CWHistory();

    // A change is about to be made to `before`. gesture names the pointer
    // gesture in progress (0 for none): all of one gesture's changes are one
    // step. Whatever could be redone is gone.
    void record(const Change& change, const State& before, quint64 gesture);
    // The step being made ends up changing nothing (a drag let go where it
    // began, a name typed back): it is forgotten.
    void dropIfUnchanged(const State& now);
    // The next change begins a step of its own.
    void endRun();
    void clear();

    bool canUndo() const { return !undo_.isEmpty(); }
    bool canRedo() const { return !redo_.isEmpty(); }
    // The label of the step Undo or Redo would take back; empty when none.
    QString undoLabel() const;
    QString redoLabel() const;
    qsizetype undoCount() const { return undo_.size(); }

    // The state to go back to; now is kept for Redo. Nothing when there is none.
    std::optional<State> undo(const State& now);
    std::optional<State> redo(const State& now);

    // Applies a change every kept state must share (a filmstrip that arrived
    // after the step was recorded).
    void updateStates(const std::function<void(State&)>& change);

    // Milliseconds on a steady clock; replaceable so the bursts can be tested.
    std::function<qint64()> clock;

private:
    struct Step {
        QString label;
        State state;  // before the step on the undo side, after it on the redo side
        QString kind;
        Joining joining = Joining::never;
        quint64 gesture = 0;
        qint64 last = 0;  // when a change last joined it
        bool open = false;
    };
    bool joins(const Step& top, const Change& change, quint64 gesture, qint64 now) const;
    // Takes the last step of from, gives back its state and moves it to to,
    // holding now (the state it takes back to the other way).
    static std::optional<State> flip(QList<Step>& from, QList<Step>& to, const State& now);

    QList<Step> undo_;
    QList<Step> redo_;
};

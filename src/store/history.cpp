#include "store/history.h"

#include <QElapsedTimer>
#include <algorithm>

namespace {
bool sameSources(const QList<CWSource>& a, const QList<CWSource>& b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](const CWSource& x, const CWSource& y) {
                          return x.id == y.id && x.trimBorders == y.trimBorders &&
                                 x.captions == y.captions &&
                                 x.media.original == y.media.original;
                      });
}
}  // namespace

bool CWHistory::State::sameSession(const State& other) const
{
    // Lists that still share their data compare at once.
    return clips == other.clips && sameSources(sources, other.sources) &&
           pendingSources == other.pendingSources && pendingClips == other.pendingClips;
}

CWHistory::CWHistory()
    : clock([] {
          static QElapsedTimer timer = [] {
              QElapsedTimer t;
              t.start();
              return t;
          }();
          return timer.elapsed();
      })
{}

bool CWHistory::joins(const Step& top, const Change& change, quint64 gesture, qint64 now) const
{
    if (!top.open)
        return false;
    if (gesture != 0 || top.gesture != 0)
        return gesture == top.gesture;
    if (change.kind.isEmpty() || change.kind != top.kind || change.joining != top.joining)
        return false;
    switch (change.joining) {
    case Joining::typing:
        return true;
    case Joining::burst:
        return now - top.last < burstMs;
    case Joining::never:
        break;
    }
    return false;
}

void CWHistory::record(const Change& change, const State& before, quint64 gesture)
{
    redo_.clear();
    const qint64 now = clock();
    if (!undo_.isEmpty() && joins(undo_.last(), change, gesture, now)) {
        undo_.last().last = now;
        return;
    }
    if (!undo_.isEmpty())
        undo_.last().open = false;
    undo_.append(Step{change.label, before, change.kind, change.joining, gesture, now, true});
    if (undo_.size() > limit)
        undo_.removeFirst();
}

void CWHistory::dropIfUnchanged(const State& now)
{
    if (!undo_.isEmpty() && undo_.last().open && undo_.last().state.sameSession(now))
        undo_.removeLast();
}

void CWHistory::endRun()
{
    if (!undo_.isEmpty())
        undo_.last().open = false;
}

void CWHistory::clear()
{
    undo_.clear();
    redo_.clear();
}

QString CWHistory::undoLabel() const
{
    return undo_.isEmpty() ? QString() : undo_.last().label;
}

QString CWHistory::redoLabel() const
{
    return redo_.isEmpty() ? QString() : redo_.last().label;
}

std::optional<CWHistory::State> CWHistory::flip(QList<Step>& from, QList<Step>& to,
                                                const State& now)
{
    if (from.isEmpty())
        return std::nullopt;
    Step step = from.takeLast();
    State other = std::move(step.state);
    step.state = now;
    step.open = false;
    to.append(std::move(step));
    return other;
}

std::optional<CWHistory::State> CWHistory::undo(const State& now)
{
    return flip(undo_, redo_, now);
}

std::optional<CWHistory::State> CWHistory::redo(const State& now)
{
    return flip(redo_, undo_, now);
}

void CWHistory::updateStates(const std::function<void(State&)>& change)
{
    for (QList<Step>* side : {&undo_, &redo_}) {
        for (Step& step : *side)
            change(step.state);
    }
}

#pragma once

#include <QAccessibleInterface>

class CWTimelineTrack;

// The selected clip's frame points as a screen reader meets them: buttons on
// the track after its bars, named by place, time and kind, with the actions
// of a mark's menu. The marks are only drawn, so these stand on their own.
namespace TimelinePointAccess {

// How many points the track shows marks for.
int count(const CWTimelineTrack* track);
// The interface of the point at index; the caller registers it.
QAccessibleInterface* make(CWTimelineTrack* track, int index);

}  // namespace TimelinePointAccess

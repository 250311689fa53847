#pragma once

#include <QAccessibleInterface>
#include <QPointer>

class CWTimelineTrack;

// Something only drawn on the track that a screen reader meets as a child of
// it (a clip's bar, a frame point's mark): no object, no children, no
// relations; it finds what it stands for again at every question.
class CWTrackPartAccess : public QAccessibleInterface {
public:
    explicit CWTrackPartAccess(CWTimelineTrack* track);

    QObject* object() const override { return nullptr; }
    QWindow* window() const override;
    QList<QPair<QAccessibleInterface*, QAccessible::Relation>>
    relations(QAccessible::Relation) const override
    {
        return {};
    }
    QAccessibleInterface* focusChild() const override { return nullptr; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessibleInterface* parent() const override;
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }

protected:
    QPointer<CWTimelineTrack> track_;
};

// The selected clip's frame points as a screen reader meets them: buttons on
// the track after its bars, named by place, time and kind, with the actions
// of a mark's menu. The marks are only drawn, so these stand on their own.
namespace TimelinePointAccess {

// How many points the track shows marks for.
int count(const CWTimelineTrack* track);
// The interface of the point at index; the caller registers it.
QAccessibleInterface* make(CWTimelineTrack* track, int index);

}  // namespace TimelinePointAccess

#include "views/timelinepointaccess.h"

#include "model/mwtime.h"
#include "store/store.h"
#include "theme/mwui.h"
#include "views/timelinegeometry.h"
#include "views/timelinetrack.h"

#include <QCoreApplication>
#include <QPointer>
#include <QWindow>

CWTrackPartAccess::CWTrackPartAccess(CWTimelineTrack* track) : track_(track) {}

QWindow* CWTrackPartAccess::window() const
{
    return track_ ? track_->window()->windowHandle() : nullptr;
}

QAccessibleInterface* CWTrackPartAccess::parent() const
{
    return QAccessible::queryAccessibleInterface(track_.data());
}

namespace {

QString say(const char* text)
{
    return QCoreApplication::translate("CWTimelineAccess", text);
}

// A frame point of the selected clip, by its place in the clip's list: a
// mark drawn on the bar. Pressing goes to it; Cut and Glide set how the
// frame reaches it, as its menu does.
class PointAccess : public CWTrackPartAccess, public QAccessibleActionInterface {
public:
    PointAccess(CWTimelineTrack* track, int index) : CWTrackPartAccess(track), index_(index) {}

    const Clip* clip() const
    {
        const CWStore* store = track_ ? track_->store() : nullptr;
        const Clip* c = store ? store->selectedClip() : nullptr;
        const CWSource* source = store ? store->current() : nullptr;
        return c && source && c->sourceID == source->id && size_t(index_) < c->points.size()
                   ? c
                   : nullptr;
    }
    const FramePoint& point() const { return clip()->points[size_t(index_)]; }

    bool isValid() const override { return clip() != nullptr; }
    QString text(QAccessible::Text t) const override
    {
        if (!clip() || t != QAccessible::Name)
            return {};
        return say("Frame point %1, %2, %3")
            .arg(index_ + 1)
            .arg(MWTime::clock(point().time, true), point().cut ? say("cut") : say("glide"));
    }
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override
    {
        if (!clip())
            return {};
        const double duration = track_->store()->current()->media.duration;
        const TrimMath::Track t =
            TimelineGeometry::track(track_->width(), duration, MWUI::shared()->zoom());
        const QRect local =
            TimelineGeometry::pointMark(t, point().time, track_->height(), MWUI::shared()->zoom())
                .toAlignedRect();
        return QRect(track_->mapToGlobal(local.topLeft()), local.size());
    }
    QAccessible::Role role() const override { return QAccessible::Button; }
    QAccessible::State state() const override
    {
        QAccessible::State s;
        s.invalid = !clip();
        return s;
    }
    void* interface_cast(QAccessible::InterfaceType type) override
    {
        return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this)
                                                    : nullptr;
    }

    static QString cutAction() { return QStringLiteral("Cut"); }
    static QString glideAction() { return QStringLiteral("Glide"); }
    static QString removeAction() { return QStringLiteral("Remove"); }
    QStringList actionNames() const override
    {
        return {pressAction(), cutAction(), glideAction(), removeAction()};
    }
    QString localizedActionDescription(const QString& name) const override
    {
        if (name == pressAction())
            return say("Go to the frame point");
        if (name == cutAction())
            return say("Hold the frame and jump at this point");
        if (name == glideAction())
            return say("Glide to this point");
        return name == removeAction() ? say("Remove the frame point") : QString();
    }
    void doAction(const QString& name) override
    {
        if (!clip())
            return;
        CWStore* store = track_->store();
        if (name == pressAction())
            store->seek(point().time);
        else if (name == cutAction() || name == glideAction())
            store->setPointCut(index_, name == cutAction());
        else if (name == removeAction())
            store->removePoint(index_);
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

private:
    int index_;
};

}  // namespace

namespace TimelinePointAccess {

int count(const CWTimelineTrack* track)
{
    const CWStore* store = track ? track->store() : nullptr;
    const Clip* clip = store ? store->selectedClip() : nullptr;
    const CWSource* source = store ? store->current() : nullptr;
    return clip && source && clip->sourceID == source->id ? int(clip->points.size()) : 0;
}

QAccessibleInterface* make(CWTimelineTrack* track, int index)
{
    return new PointAccess(track, index);
}

}  // namespace TimelinePointAccess

#include "views/timelineaccess.h"

#include "model/mwtime.h"
#include "store/store.h"
#include "theme/mwui.h"
#include "views/rackchip.h"
#include "views/timelinegeometry.h"
#include "views/timelinehandle.h"
#include "views/timelinepointaccess.h"
#include "views/timelinetrack.h"

#include <QAccessibleWidget>
#include <QCoreApplication>
#include <QHash>
#include <QPointer>
#include <QSet>
#include <QWindow>
#include <optional>

namespace {

QString say(const char* text)
{
    return QCoreApplication::translate("CWTimelineAccess", text);
}

// A clip of the track's current video, and its number in the rack.
struct Bar {
    Clip clip;
    int number = 0;
};

QList<Bar> barsOf(const CWTimelineTrack* track)
{
    QList<Bar> bars;
    const CWStore* store = track ? track->store() : nullptr;
    const CWSource* source = store ? store->current() : nullptr;
    if (!source)
        return bars;
    const QList<Clip>& clips = store->clips();
    for (qsizetype i = 0; i < clips.size(); ++i)
        if (clips[i].sourceID == source->id)
            bars.append({clips[i], int(i + 1)});
    return bars;
}

// One clip bar. Bars are drawn, not widgets, so this stands on its own and
// finds its clip again at every question: it answers for a clip that is gone
// as no longer valid.
class BarAccess : public CWTrackPartAccess, public QAccessibleActionInterface {
public:
    BarAccess(CWTimelineTrack* track, const QUuid& id) : CWTrackPartAccess(track), id_(id) {}

    std::optional<Bar> bar() const
    {
        for (const Bar& b : barsOf(track_))
            if (b.clip.id == id_)
                return b;
        return std::nullopt;
    }
    QUuid id() const { return id_; }

    bool isValid() const override { return bar().has_value(); }
    QString text(QAccessible::Text t) const override
    {
        const std::optional<Bar> b = bar();
        if (!b)
            return {};
        if (t == QAccessible::Name)
            return CWRackChip::spokenName(b->clip, b->number);
        if (t == QAccessible::Description) {
            QString text =
                say("From %1 to %2")
                    .arg(MWTime::clock(b->clip.inTime, true), MWTime::clock(b->clip.outTime, true));
            // The marks are drawn only; their times are heard here, and the
            // Clip menu's frame point items reach them from the keyboard.
            QStringList points;
            for (const FramePoint& p : b->clip.points)
                points
                    << (p.cut ? say("%1 cut") : say("%1 glide")).arg(MWTime::clock(p.time, true));
            if (!points.isEmpty())
                text += say("; frame points at %1").arg(points.join(QStringLiteral(", ")));
            return text;
        }
        return {};
    }
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override
    {
        const std::optional<Bar> b = bar();
        if (!b)
            return {};
        const double duration = track_->store()->current()->media.duration;
        const TrimMath::Track t =
            TimelineGeometry::track(track_->width(), duration, MWUI::shared()->zoom());
        const QRect local =
            TimelineGeometry::clipBar(t, b->clip.inTime, b->clip.outTime, track_->height())
                .toAlignedRect();
        return QRect(track_->mapToGlobal(local.topLeft()), local.size());
    }
    QAccessible::Role role() const override { return QAccessible::Button; }
    QAccessible::State state() const override
    {
        QAccessible::State s;
        const std::optional<Bar> b = bar();
        if (!b) {
            s.invalid = true;
            return s;
        }
        s.selectable = true;
        s.selected = track_->store()->selectedClipID() == id_;
        return s;
    }
    void* interface_cast(QAccessible::InterfaceType type) override
    {
        return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this)
                                                    : nullptr;
    }

    QStringList actionNames() const override { return {pressAction()}; }
    QString localizedActionDescription(const QString& name) const override
    {
        return name == pressAction() ? say("Select the clip for editing") : QString();
    }
    void doAction(const QString& name) override
    {
        if (const std::optional<Bar> b = bar(); b && name == pressAction())
            track_->store()->selectClip(b->clip);
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

private:
    QUuid id_;
};

// The track: its handles (widgets) first, then a bar per clip of the current
// video, then the selected clip's frame points. Bar interfaces are made when
// asked for and dropped with their clip; point interfaces stand for a place
// in the list, and those past its end go.
class TrackAccess : public QAccessibleWidget {
public:
    explicit TrackAccess(CWTimelineTrack* track) : QAccessibleWidget(track, QAccessible::Pane) {}
    ~TrackAccess() override
    {
        for (QAccessible::Id id : std::as_const(ids_))
            QAccessible::deleteAccessibleInterface(id);
        for (QAccessible::Id id : std::as_const(points_))
            QAccessible::deleteAccessibleInterface(id);
    }

    CWTimelineTrack* track() const { return static_cast<CWTimelineTrack*>(widget()); }

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name && widget()->accessibleName().isEmpty())
            return say("Timeline");
        return QAccessibleWidget::text(t);
    }
    int childCount() const override
    {
        return QAccessibleWidget::childCount() + int(barsOf(track()).size()) +
               TimelinePointAccess::count(track());
    }
    QAccessibleInterface* child(int index) const override
    {
        const int widgets = QAccessibleWidget::childCount();
        if (index < widgets)
            return QAccessibleWidget::child(index);
        const QList<Bar> bars = barsOf(track());
        if (index - widgets >= bars.size())
            return point(index - widgets - int(bars.size()));
        prune(bars);
        const QUuid id = bars[index - widgets].clip.id;
        if (!ids_.contains(id))
            ids_.insert(id, QAccessible::registerAccessibleInterface(new BarAccess(track(), id)));
        return QAccessible::accessibleInterface(ids_.value(id));
    }
    int indexOfChild(const QAccessibleInterface* child) const override
    {
        if (const auto* bar = dynamic_cast<const BarAccess*>(child)) {
            const QUuid id = bar->id();
            const QList<Bar> bars = barsOf(track());
            for (qsizetype i = 0; i < bars.size(); ++i)
                if (bars[i].clip.id == id)
                    return QAccessibleWidget::childCount() + int(i);
            return -1;
        }
        for (auto it = points_.cbegin(); it != points_.cend(); ++it)
            if (QAccessible::accessibleInterface(it.value()) == child)
                return QAccessibleWidget::childCount() + int(barsOf(track()).size()) + it.key();
        return QAccessibleWidget::indexOfChild(child);
    }
    QAccessibleInterface* childAt(int x, int y) const override
    {
        // The marks lie on a bar; the widget's own search would find the bar first.
        const int marks = QAccessibleWidget::childCount() + int(barsOf(track()).size());
        for (int i = childCount() - 1; i >= marks; --i)
            if (QAccessibleInterface* mark = child(i); mark && mark->rect().contains(x, y))
                return mark;
        if (QAccessibleInterface* handle = QAccessibleWidget::childAt(x, y))
            return handle;
        // The bar drawn last is on top.
        for (int i = childCount() - 1; i >= QAccessibleWidget::childCount(); --i)
            if (QAccessibleInterface* bar = child(i); bar && bar->rect().contains(x, y))
                return bar;
        return nullptr;
    }

private:
    QAccessibleInterface* point(int index) const
    {
        const int count = TimelinePointAccess::count(track());
        for (auto it = points_.begin(); it != points_.end();) {
            if (it.key() < count) {
                ++it;
                continue;
            }
            QAccessible::deleteAccessibleInterface(it.value());
            it = points_.erase(it);
        }
        if (index < 0 || index >= count)
            return nullptr;
        if (!points_.contains(index))
            points_.insert(index, QAccessible::registerAccessibleInterface(
                                      TimelinePointAccess::make(track(), index)));
        return QAccessible::accessibleInterface(points_.value(index));
    }

    // Interfaces of bars whose clips are gone (or on another video) go.
    void prune(const QList<Bar>& bars) const
    {
        QSet<QUuid> live;
        for (const Bar& b : bars)
            live.insert(b.clip.id);
        for (auto it = ids_.begin(); it != ids_.end();) {
            if (live.contains(it.key())) {
                ++it;
                continue;
            }
            QAccessible::deleteAccessibleInterface(it.value());
            it = ids_.erase(it);
        }
    }

    mutable QHash<QUuid, QAccessible::Id> ids_;
    mutable QHash<int, QAccessible::Id> points_;
};

class HandleAccess : public QAccessibleWidget, public QAccessibleValueInterface {
public:
    explicit HandleAccess(CWTrimHandle* handle) : QAccessibleWidget(handle, QAccessible::Slider) {}

    CWTrimHandle* handle() const { return static_cast<CWTrimHandle*>(widget()); }

    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        // Selected while the arrow keys move this point: the focus ring the
        // track draws around it.
        s.selectable = true;
        s.selected = handle()->holdsArrows();
        return s;
    }
    void* interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::ValueInterface)
            return static_cast<QAccessibleValueInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }
    QStringList actionNames() const override
    {
        return {increaseAction(), decreaseAction(), setFocusAction()};
    }
    void doAction(const QString& name) override
    {
        if (name == increaseAction())
            handle()->nudge(1);
        else if (name == decreaseAction())
            handle()->nudge(-1);
        else
            QAccessibleWidget::doAction(name);
    }

    QVariant currentValue() const override { return handle()->value(); }
    void setCurrentValue(const QVariant& value) override { handle()->setValue(value.toDouble()); }
    QVariant maximumValue() const override { return handle()->maximum(); }
    QVariant minimumValue() const override { return 0.0; }
    QVariant minimumStepSize() const override { return handle()->step(); }
};

QAccessibleInterface* factory(const QString& className, QObject* object)
{
    if (className == QLatin1String("CWTrimHandle"))
        return new HandleAccess(static_cast<CWTrimHandle*>(object));
    if (className == QLatin1String("CWTimelineTrack"))
        return new TrackAccess(static_cast<CWTimelineTrack*>(object));
    return nullptr;
}

}  // namespace

void CWTimelineAccess::install()
{
    static const bool once = [] {
        QAccessible::installFactory(factory);
        return true;
    }();
    Q_UNUSED(once);
}

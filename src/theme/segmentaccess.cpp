#include "theme/segmentaccess.h"

#include "theme/access.h"
#include "theme/kit.h"
#include "theme/segment.h"

#include <QAccessibleActionInterface>
#include <QHash>
#include <QPointer>
#include <QWindow>

namespace {

// One item of a segment: not a widget, so an interface of its own kind,
// registered with Qt's cache and owned by it.
class ItemAccessible : public QAccessibleInterface, public QAccessibleActionInterface {
public:
    ItemAccessible(MWSegment* segment, int index) : segment_(segment), index_(index) {}

    bool isValid() const override { return segment_ && index_ < segment_->items().size(); }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override
    {
        return segment_ ? segment_->window()->windowHandle() : nullptr;
    }
    QAccessibleInterface* focusChild() const override { return nullptr; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessibleInterface* parent() const override
    {
        return QAccessible::queryAccessibleInterface(segment_.data());
    }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name && isValid())
            return segment_->items().at(index_).label;
        return {};
    }
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override
    {
        if (!isValid())
            return {};
        const QRect local = segment_->itemRect(index_).toAlignedRect();
        return QRect(segment_->mapToGlobal(local.topLeft()), local.size());
    }
    QAccessible::Role role() const override { return QAccessible::RadioButton; }
    QAccessible::State state() const override
    {
        QAccessible::State s;
        if (!isValid())
            return s;
        const bool checked = segment_->selectedIndex() == index_;
        s.checkable = true;
        s.checked = checked;
        s.focusable = true;
        s.focused = checked && segment_->hasFocus();
        s.disabled = !segment_->isEnabled();
        s.invisible = !segment_->isVisible();
        return s;
    }
    void* interface_cast(QAccessible::InterfaceType type) override
    {
        return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this)
                                                    : nullptr;
    }

    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString& name) override
    {
        if (name == pressAction() && isValid() && segment_->isEnabled())
            segment_->choose(index_);
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

private:
    QPointer<MWSegment> segment_;
    int index_;
};

// The segment as a group of its items; the group's name is what the caller
// calls the choice ("Output quality"), its description the chosen item.
class SegmentAccessible : public MWAccessibleWidget {
public:
    // The items' interfaces stay in Qt's cache until the program ends (they
    // turn invalid with their segment): deleting them here, while the cache
    // may be tearing itself down, is not safe.
    explicit SegmentAccessible(QWidget* widget) : MWAccessibleWidget(widget, QAccessible::Grouping)
    {}

    int childCount() const override { return int(segment()->items().size()); }
    QAccessibleInterface* child(int index) const override
    {
        if (index < 0 || index >= childCount())
            return nullptr;
        if (const auto id = items_.constFind(index); id != items_.constEnd())
            return QAccessible::accessibleInterface(*id);
        auto* item = new ItemAccessible(segment(), index);
        items_.insert(index, QAccessible::registerAccessibleInterface(item));
        return item;
    }
    int indexOfChild(const QAccessibleInterface* child) const override
    {
        for (auto it = items_.constBegin(); it != items_.constEnd(); ++it)
            if (QAccessible::accessibleInterface(it.value()) == child)
                return it.key() < childCount() ? it.key() : -1;
        return -1;
    }
    QAccessibleInterface* childAt(int x, int y) const override
    {
        const QPointF local = segment()->mapFromGlobal(QPoint(x, y));
        for (int i = 0; i < childCount(); ++i)
            if (segment()->itemRect(i).contains(local))
                return child(i);
        return nullptr;
    }
    QAccessibleInterface* focusChild() const override
    {
        return segment()->hasFocus() ? child(segment()->selectedIndex()) : nullptr;
    }

protected:
    QString valueText() const override
    {
        const int index = segment()->selectedIndex();
        return index < 0 ? QString() : segment()->items().at(index).label;
    }

private:
    MWSegment* segment() const { return static_cast<MWSegment*>(widget()); }
    mutable QHash<int, QAccessible::Id> items_;
};

QAccessibleInterface* itemOf(MWSegment* segment, int index)
{
    QAccessibleInterface* group = QAccessible::queryAccessibleInterface(segment);
    return group && index >= 0 ? group->child(index) : nullptr;
}

}  // namespace

void mwSegmentAccessibility()
{
    mwRegisterAccessible(QStringLiteral("MWSegment"), [](QWidget* w) -> QAccessibleInterface* {
        return new SegmentAccessible(w);
    });
}

void mwSegmentSelectionMoved(MWSegment* segment, int from, int to)
{
    if (!QAccessible::isActive())
        return;
    QAccessible::State checked;
    checked.checked = true;
    for (int index : {from, to}) {
        if (QAccessibleInterface* item = itemOf(segment, index)) {
            QAccessibleStateChangeEvent event(item, checked);
            QAccessible::updateAccessibility(&event);
        }
    }
    mwAccessibleChanged(segment, QAccessible::DescriptionChanged);
    if (segment->hasFocus())
        mwSegmentFocused(segment);
}

void mwSegmentFocused(MWSegment* segment)
{
    if (!QAccessible::isActive())
        return;
    if (QAccessibleInterface* item = itemOf(segment, segment->selectedIndex())) {
        QAccessibleEvent event(item, QAccessible::Focus);
        QAccessible::updateAccessibility(&event);
    }
}

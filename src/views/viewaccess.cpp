#include "views/viewaccess.h"

#include "model/aspect.h"
#include "store/store.h"
#include "theme/access.h"
#include "theme/kit.h"
#include "views/cropframewidget.h"
#include "views/exportqueue.h"
#include "views/positionpad.h"
#include "views/shapetile.h"

#include <QAccessibleValueInterface>
#include <QLabel>
#include <QPointer>
#include <QWindow>

namespace {

// One axis of the pad as a slider from 0 to 1: a reader can hear and set
// where the centre stands across or down; a value set goes through the crop
// frame rule as a click on the pad does.
class PadAxisAccessible : public QAccessibleInterface, public QAccessibleValueInterface {
public:
    PadAxisAccessible(CWPositionPad* pad, bool across) : pad_(pad), across_(across) {}

    bool isValid() const override { return pad_; }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return pad_ ? pad_->window()->windowHandle() : nullptr; }
    QAccessibleInterface* focusChild() const override { return nullptr; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessibleInterface* parent() const override
    {
        return QAccessible::queryAccessibleInterface(pad_.data());
    }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name)
            return across_ ? QObject::tr("Across") : QObject::tr("Down");
        if ((t == QAccessible::Value || t == QAccessible::Description) && pad_)
            return mwPercent(currentValue().toDouble());
        return {};
    }
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override
    {
        return pad_ ? QRect(pad_->mapToGlobal(QPoint(0, 0)), pad_->size()) : QRect();
    }
    QAccessible::Role role() const override { return QAccessible::Slider; }
    QAccessible::State state() const override
    {
        QAccessible::State s;
        s.invisible = !pad_ || !pad_->isVisible();
        s.disabled = !pad_ || !pad_->isEnabled();
        return s;
    }
    void* interface_cast(QAccessible::InterfaceType type) override
    {
        return type == QAccessible::ValueInterface ? static_cast<QAccessibleValueInterface*>(this)
                                                   : nullptr;
    }

    QVariant currentValue() const override
    {
        if (!pad_)
            return 0.0;
        return across_ ? pad_->store()->centerX() : pad_->store()->centerY();
    }
    void setCurrentValue(const QVariant& value) override
    {
        if (!pad_ || !pad_->isEnabled())
            return;
        const CWStore* store = pad_->store();
        const double v = value.toDouble();
        pad_->place(across_ ? QPointF(v, store->centerY()) : QPointF(store->centerX(), v));
    }
    QVariant maximumValue() const override { return 1.0; }
    QVariant minimumValue() const override { return 0.0; }
    QVariant minimumStepSize() const override { return 0.01; }

private:
    QPointer<CWPositionPad> pad_;
    bool across_;
};

// The pad: named "Position", telling where the frame's centre stands, and
// holding its two axes. The axes' interfaces stay in Qt's cache until the
// program ends, as a segment's items do.
class PadAccessible : public MWAccessibleWidget {
public:
    explicit PadAccessible(QWidget* widget) : MWAccessibleWidget(widget, QAccessible::Grouping) {}

    int childCount() const override { return 2; }
    QAccessibleInterface* child(int index) const override
    {
        if (index < 0 || index > 1)
            return nullptr;
        if (!axes_[index]) {
            auto* axis = new PadAxisAccessible(static_cast<CWPositionPad*>(widget()), index == 0);
            axes_[index] = QAccessible::registerAccessibleInterface(axis);
        }
        return QAccessible::accessibleInterface(axes_[index]);
    }
    int indexOfChild(const QAccessibleInterface* child) const override
    {
        for (int i = 0; i < 2; ++i)
            if (axes_[i] && QAccessible::accessibleInterface(axes_[i]) == child)
                return i;
        return -1;
    }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }

protected:
    QString valueText() const override
    {
        const CWStore* store = static_cast<CWPositionPad*>(widget())->store();
        return cwCentreText(store->centerX(), store->centerY());
    }

private:
    mutable QAccessible::Id axes_[2] = {0, 0};
};

// The frame over the picture: its shape and where it stands. It moves with
// the mouse only (the position pad and the inspector move it otherwise).
class CropFrameAccessible : public MWAccessibleWidget {
public:
    explicit CropFrameAccessible(QWidget* widget) : MWAccessibleWidget(widget, QAccessible::Graphic)
    {}

protected:
    QString valueText() const override
    {
        const CWStore* store = static_cast<CWCropOverlay*>(widget())->store();
        if (!store->current())
            return {};
        return rawValue(store->aspect()) + QStringLiteral(", ") +
               cwCentreText(store->centerX(), store->centerY()).toLower();
    }
};

// A shape tile is one of four radio buttons: the current shape is checked.
class TileAccessible : public MWAccessibleWidget {
public:
    explicit TileAccessible(QWidget* widget) : MWAccessibleWidget(widget, QAccessible::RadioButton)
    {}
    QAccessible::State state() const override
    {
        QAccessible::State s = MWAccessibleWidget::state();
        s.checkable = true;
        s.checked = static_cast<CWShapeTile*>(widget())->selected();
        return s;
    }
    // The tooltip says what the name already does.
    QString text(QAccessible::Text t) const override
    {
        return t == QAccessible::Description ? QString() : MWAccessibleWidget::text(t);
    }
    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString& name) override
    {
        if (name == pressAction() && widget()->isEnabled())
            static_cast<CWShapeTile*>(widget())->click();
    }
};

// A progress out of 1.0 read as a value with its percentage in words.
class FractionAccessible : public MWAccessibleWidget, public QAccessibleValueInterface {
public:
    using MWAccessibleWidget::MWAccessibleWidget;
    void* interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::ValueInterface)
            return static_cast<QAccessibleValueInterface*>(this);
        return MWAccessibleWidget::interface_cast(type);
    }
    void setCurrentValue(const QVariant&) override {}  // a progress is only read
    QVariant maximumValue() const override { return 1.0; }
    QVariant minimumValue() const override { return 0.0; }
    QVariant minimumStepSize() const override { return 0.0; }
};

// The bar under a queue row, named by the row's clip.
class QueueBarAccessible : public FractionAccessible {
public:
    explicit QueueBarAccessible(QWidget* widget)
        : FractionAccessible(widget, QAccessible::ProgressBar)
    {}
    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name)
            if (auto* row = qobject_cast<CWQueueRow*>(widget()->parentWidget()))
                return row->row().name;
        return FractionAccessible::text(t);
    }
    QVariant currentValue() const override { return static_cast<CWQueueBar*>(widget())->value(); }

protected:
    QString valueText() const override
    {
        return mwPercent(static_cast<CWQueueBar*>(widget())->value());
    }
};

// A row of the queue: the clip's output name, and its state in words, with
// the share done while it is being exported.
class QueueRowAccessible : public MWAccessibleWidget {
public:
    explicit QueueRowAccessible(QWidget* widget) : MWAccessibleWidget(widget, QAccessible::ListItem)
    {}
    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name)
            return static_cast<CWQueueRow*>(widget())->row().name;
        return MWAccessibleWidget::text(t);
    }

protected:
    QString valueText() const override
    {
        return CWQueueRow::spokenState(static_cast<CWQueueRow*>(widget())->row());
    }
};

// The queue over the window: named by its title, with the batch's progress
// (the rows' mean) as its value.
class QueueAccessible : public FractionAccessible {
public:
    explicit QueueAccessible(QWidget* widget) : FractionAccessible(widget, QAccessible::Dialog) {}
    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name)
            return queue()->title()->text();
        return FractionAccessible::text(t);
    }
    QVariant currentValue() const override { return queue()->overall(); }

protected:
    QString valueText() const override { return queue()->overallText(); }

private:
    CWExportQueue* queue() const { return static_cast<CWExportQueue*>(widget()); }
};

template <typename Interface> QAccessibleInterface* make(QWidget* widget)
{
    return new Interface(widget);
}

}  // namespace

QString cwCentreText(double centerX, double centerY)
{
    return QObject::tr("Centre %1, %2").arg(mwPercent(centerX), mwPercent(centerY));
}

void cwPadAccessibility()
{
    mwRegisterAccessible(QStringLiteral("CWPositionPad"), make<PadAccessible>);
}

void cwCropFrameAccessibility()
{
    mwRegisterAccessible(QStringLiteral("CWCropOverlay"), make<CropFrameAccessible>);
}

void cwShapeTileAccessibility()
{
    mwRegisterAccessible(QStringLiteral("CWShapeTile"), make<TileAccessible>);
}

void cwQueueAccessibility()
{
    mwRegisterAccessible(QStringLiteral("CWQueueBar"), make<QueueBarAccessible>);
    mwRegisterAccessible(QStringLiteral("CWQueueRow"), make<QueueRowAccessible>);
    mwRegisterAccessible(QStringLiteral("CWExportQueue"), make<QueueAccessible>);
}

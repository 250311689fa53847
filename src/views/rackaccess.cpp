#include "views/rackaccess.h"

#include "views/rackchip.h"

#include <QAccessibleWidget>
#include <QCoreApplication>

namespace {

QString deleteAction()
{
    return QCoreApplication::translate("CWRackAccess", "Delete clip");
}

class ChipAccess : public QAccessibleWidget {
public:
    explicit ChipAccess(CWRackChip* chip) : QAccessibleWidget(chip, QAccessible::ListItem) {}

    CWRackChip* chip() const { return static_cast<CWRackChip*>(widget()); }

    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.selectable = true;
        s.selected = chip()->selected();
        // Only one chip is on the Tab chain at a time, yet each takes the focus.
        s.focusable = true;
        return s;
    }
    QStringList actionNames() const override
    {
        return {pressAction(), setFocusAction(), deleteAction()};
    }
    QString localizedActionDescription(const QString& name) const override
    {
        if (name == pressAction())
            return QCoreApplication::translate("CWRackAccess", "Select the clip for editing");
        if (name == deleteAction())
            return deleteAction();
        return QAccessibleWidget::localizedActionDescription(name);
    }
    void doAction(const QString& name) override
    {
        if (name == pressAction())
            chip()->choose();
        else if (name == deleteAction())
            chip()->remove();
        else if (name == setFocusAction())
            chip()->setFocus(Qt::OtherFocusReason);
    }
};

QAccessibleInterface* factory(const QString& className, QObject* object)
{
    if (className == QLatin1String("CWRackChip"))
        return new ChipAccess(static_cast<CWRackChip*>(object));
    if (className == QLatin1String("QWidget") &&
        object->objectName() == QLatin1String(CWRackAccess::listName))
        return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::List);
    return nullptr;
}

}  // namespace

void CWRackAccess::install()
{
    static const bool once = [] {
        QAccessible::installFactory(factory);
        return true;
    }();
    Q_UNUSED(once);
}

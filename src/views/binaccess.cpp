#include "views/binaccess.h"

#include "views/binrow.h"

#include <QAccessibleWidget>
#include <QCoreApplication>

namespace {

class RowAccess : public QAccessibleWidget {
public:
    explicit RowAccess(CWBinRow* row) : QAccessibleWidget(row, QAccessible::ListItem) {}

    CWBinRow* row() const { return static_cast<CWBinRow*>(widget()); }

    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.selectable = true;
        s.selected = row()->selected();
        return s;
    }
    QStringList actionNames() const override { return {pressAction(), setFocusAction()}; }
    QString localizedActionDescription(const QString& name) const override
    {
        if (name == pressAction())
            return QCoreApplication::translate("CWBinAccess", "Show this video");
        return QAccessibleWidget::localizedActionDescription(name);
    }
    void doAction(const QString& name) override
    {
        if (name == pressAction())
            row()->choose();
        else if (name == setFocusAction())
            row()->setFocus(Qt::OtherFocusReason);
    }
};

QAccessibleInterface* factory(const QString& className, QObject* object)
{
    if (className == QLatin1String("CWBinRow"))
        return new RowAccess(static_cast<CWBinRow*>(object));
    if (className == QLatin1String("QWidget") &&
        object->objectName() == QLatin1String(CWBinAccess::listName))
        return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::List);
    return nullptr;
}

}  // namespace

void CWBinAccess::install()
{
    static const bool once = [] {
        QAccessible::installFactory(factory);
        return true;
    }();
    Q_UNUSED(once);
}

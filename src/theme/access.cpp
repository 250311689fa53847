#include "theme/access.h"

#include "theme/kit.h"

#include <QWidget>
#include <cmath>

namespace {
const char* const kRoleProperty = "mwAccessibleRole";
}

void mwSetAccessibleRole(QWidget* widget, QAccessible::Role role)
{
    mwInstallAccessibility();
    widget->setProperty(kRoleProperty, int(role));
    // A plain widget may have been given Qt's generic interface before it had
    // a role of its own (an event of its construction asks for it): drop it so
    // the next question makes the one that knows the role.
    QAccessibleInterface* made = QAccessible::queryAccessibleInterface(widget);
    if (made && made->role() != role)
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(made));
}

MWAccessibleWidget::MWAccessibleWidget(QWidget* widget, QAccessible::Role role)
    : QAccessibleWidget(widget, role)
{}

QAccessible::Role MWAccessibleWidget::role() const
{
    const QVariant given = widget()->property(kRoleProperty);
    return given.isValid() ? QAccessible::Role(given.toInt()) : QAccessibleWidget::role();
}

QAccessible::State MWAccessibleWidget::state() const
{
    QAccessible::State s = QAccessibleWidget::state();
    if (role() == QAccessible::StaticText)
        s.readOnly = true;  // a readout, as Qt marks its own labels
    return s;
}

QString MWAccessibleWidget::text(QAccessible::Text t) const
{
    switch (t) {
    case QAccessible::Name:
        return widget()->accessibleName();
    case QAccessible::Value:
        return valueText();
    case QAccessible::Description:
        if (!widget()->accessibleDescription().isEmpty())
            return widget()->accessibleDescription();
        if (const QString value = valueText(); !value.isEmpty())
            return value;
        return widget()->toolTip();
    default:
        return QAccessibleWidget::text(t);
    }
}

void mwAccessibleChanged(QWidget* widget, QAccessible::Event type)
{
    if (!QAccessible::isActive())
        return;
    QAccessibleEvent event(widget, type);
    QAccessible::updateAccessibility(&event);
}

void mwAccessibleValueChanged(QWidget* widget, const QVariant& value)
{
    if (!QAccessible::isActive())
        return;
    QAccessibleValueChangeEvent event(widget, value);
    QAccessible::updateAccessibility(&event);
    // The words of the value travel as the description (see MWAccessibleWidget).
    QAccessibleEvent words(widget, QAccessible::DescriptionChanged);
    QAccessible::updateAccessibility(&words);
}

QString mwPercent(double fraction)
{
    return QStringLiteral("%1 %").arg(std::lround(fraction * 100));
}

#pragma once

#include <QAccessible>
#include <QAccessibleWidget>
#include <QString>

class QWidget;

// What the kit and the views share to tell a screen reader about their
// self-drawn controls.

// Gives widget the role a screen reader announces it by where its class alone
// does not say it: a panel that is the window's tool bar, a plain row that is
// its status line. Only for containers: a label or a field keeps Qt's own.
void mwSetAccessibleRole(QWidget* widget, QAccessible::Role role);

// The interface the kit's and the views' own widgets start from: the role
// given with mwSetAccessibleRole, else the class's own; the name the widget
// was given (never a symbol's); and as description the widget's own, else
// its value text, else its tooltip. The value text goes into the description
// because Qt's AT-SPI bridge carries no value text of its own: a reader would
// otherwise say "1.5" for a zoom of "1.50×", and nothing at all for a place.
class MWAccessibleWidget : public QAccessibleWidget {
public:
    MWAccessibleWidget(QWidget* widget, QAccessible::Role role);
    QAccessible::Role role() const override;
    QAccessible::State state() const override;
    QString text(QAccessible::Text t) const override;

protected:
    // What the control shows as its value, in words; empty for none.
    virtual QString valueText() const { return {}; }
};

// Tells listening screen readers that widget's name, description or value
// changed; nothing when none listens.
void mwAccessibleChanged(QWidget* widget, QAccessible::Event type);
void mwAccessibleValueChanged(QWidget* widget, const QVariant& value);

// "50 %": a fraction as a reader says it, rounded to a whole percent.
QString mwPercent(double fraction);

#include "app/keys.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMenuBar>
#include <QLineEdit>
#include <QPointer>
#include <QWidget>
#include <memory>

namespace {

bool editsText(const QWidget* w)
{
    return w && w->testAttribute(Qt::WA_InputMethodEnabled) &&
           w->inputMethodQuery(Qt::ImEnabled).toBool() &&
           !w->inputMethodQuery(Qt::ImReadOnly).toBool();
}

bool redoKey(const QKeyEvent& key)
{
    const QKeyCombination combination = key.keyCombination();
    return key.matches(QKeySequence::Redo) ||
           combination == QKeyCombination(Qt::CTRL | Qt::SHIFT, Qt::Key_Z) ||
           combination == QKeyCombination(Qt::CTRL, Qt::Key_Y);
}

// The keys of the Edit menu's Undo and Redo, and the platform's own.
bool historyKey(const QKeyEvent& key)
{
    return key.matches(QKeySequence::Undo) ||
           key.keyCombination() == QKeyCombination(Qt::CTRL, Qt::Key_Z) || redoKey(key);
}

// Undo and Redo pressed in a text field being edited are the field's own: its
// typing is undone there, never a clip behind it. The shortcut is overridden
// so the field gets the key; a Redo key the field does not know as its own
// (Ctrl+Y outside KDE) redoes there all the same.
bool leftToTextField(QWidget* widget, QEvent* event)
{
    if (event->type() != QEvent::ShortcutOverride && event->type() != QEvent::KeyPress)
        return false;
    auto* key = static_cast<QKeyEvent*>(event);
    if (widget != QApplication::focusWidget() || !editsText(widget) || !historyKey(*key))
        return false;
    if (event->type() == QEvent::ShortcutOverride) {
        key->accept();
        return true;
    }
    auto* field = qobject_cast<QLineEdit*>(widget);
    if (!field || !redoKey(*key) || key->matches(QKeySequence::Redo))
        return false;
    field->redo();
    return true;
}

class Monitor : public QObject {
public:
    Monitor(QWidget* window, MWKeys::Handler handler)
        : window_(window), handler_(std::move(handler))
    {}

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        auto* widget = qobject_cast<QWidget*>(watched);
        if (widget && leftToTextField(widget, event))
            return true;
        if (event->type() != QEvent::KeyPress)
            return false;
        // A key press visits its window, the focus widget and then each parent
        // in turn: only its first widget counts, so it is acted on once.
        QWidget* focus = QApplication::focusWidget();
        if (!widget || !window_ || widget != (focus ? focus : widget->window()) ||
            widget->window() != window_)
            return false;
        // Keys with Ctrl are the menus' (Qt offers shortcuts before the key
        // press, also while a text field has focus).
        auto* key = static_cast<QKeyEvent*>(event);
        if (editsText(widget) || (key->modifiers() & Qt::ControlModifier))
            return false;
        // The menu bar walked from the keyboard (F10, Alt) takes its arrows,
        // Return and Space; a focused chip, row or handle names the plain keys
        // it acts on itself.
        if (qobject_cast<QMenuBar*>(widget) ||
            widget->property("cwTakesKeys").toList().contains(key->key()))
            return false;
        return handler_(*key);
    }

private:
    QPointer<QWidget> window_;
    MWKeys::Handler handler_;
};

std::unique_ptr<Monitor>& installed()
{
    static std::unique_ptr<Monitor> monitor;
    return monitor;
}

}  // namespace

namespace MWKeys {

void install(QWidget* window, Handler handler)
{
    uninstall();
    installed() = std::make_unique<Monitor>(window, std::move(handler));
    qApp->installEventFilter(installed().get());
}

void uninstall()
{
    if (installed() && qApp)
        qApp->removeEventFilter(installed().get());
    installed().reset();
}

}  // namespace MWKeys

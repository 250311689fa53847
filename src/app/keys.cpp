#include "app/keys.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
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

bool isMenuShortcut(const QWidget* window, const QKeyEvent& event)
{
    const QKeySequence pressed(event.keyCombination());
    const auto actions = window->findChildren<QAction*>();
    for (const QAction* action : actions) {
        if (!action->isEnabled())
            continue;
        for (const QKeySequence& shortcut : action->shortcuts()) {
            if (shortcut.matches(pressed) == QKeySequence::ExactMatch)
                return true;
        }
    }
    return false;
}

class Monitor : public QObject {
public:
    Monitor(QWidget* window, MWKeys::Handler handler)
        : window_(window), handler_(std::move(handler))
    {}

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        const QEvent::Type type = event->type();
        if (type != QEvent::KeyPress && type != QEvent::ShortcutOverride)
            return false;
        // A key press visits its window, the focus widget and then each parent
        // in turn: only its first widget counts, so it is acted on once.
        auto* widget = qobject_cast<QWidget*>(watched);
        QWidget* focus = QApplication::focusWidget();
        if (!widget || !window_ || widget != (focus ? focus : widget->window()) ||
            widget->window() != window_)
            return false;
        auto* key = static_cast<QKeyEvent*>(event);
        const bool ctrl = key->modifiers() & Qt::ControlModifier;
        if (type == QEvent::ShortcutOverride) {
            // A line edit would take Ctrl+K (delete to the end) and Ctrl+E (go
            // to the end) for itself; the menu commands go first, as they do
            // on every other key.
            if (ctrl && editsText(widget) && isMenuShortcut(window_, *key)) {
                key->ignore();
                return true;
            }
            return false;
        }
        if (editsText(widget) || ctrl)
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

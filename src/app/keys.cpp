#include "app/keys.h"

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

class Monitor : public QObject {
public:
    Monitor(QWidget* window, MWKeys::Handler handler)
        : window_(window), handler_(std::move(handler))
    {}

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        // A key press visits its window, the focus widget and then each parent
        // in turn: only its first widget counts, so it is acted on once.
        auto* widget = qobject_cast<QWidget*>(watched);
        QWidget* focus = QApplication::focusWidget();
        if (!widget || !window_ || widget != (focus ? focus : widget->window()) ||
            widget->window() != window_)
            return false;
        // Keys with Ctrl are the menus' (Qt offers shortcuts before the key
        // press, also while a text field has focus).
        auto* key = static_cast<QKeyEvent*>(event);
        if (editsText(widget) || (key->modifiers() & Qt::ControlModifier))
            return false;
        // A focused chip, row or handle names the plain keys it acts on itself.
        if (widget->property("cwTakesKeys").toList().contains(key->key()))
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

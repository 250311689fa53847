#pragma once

#include <functional>

class QKeyEvent;
class QWidget;

// The key monitor: one application-wide event filter that offers the plain
// keys pressed in one window to that window's handler.
namespace MWKeys {
// A handler returns true when it acted on the key, which is then consumed.
using Handler = std::function<bool(const QKeyEvent&)>;

// Replaces the monitor installed before, if any. Keys reach the handler only
// when pressed in window itself, without Ctrl, and not into an editable text
// widget, the menu bar, or a widget whose "cwTakesKeys" property is true
// (a control that uses arrows, Return or Space itself).
void install(QWidget* window, Handler handler);
void uninstall();
}  // namespace MWKeys

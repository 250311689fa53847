#pragma once

#include <QString>

class QMenu;
class QMenuBar;
class MWUI;

// The Help menu: "<app> Help" (Ctrl+? and F1), "Quick Start", "Keyboard
// Shortcuts", a separator, "Visit Marrowick", then "About <app>" with the about
// role (on Linux Qt keeps that item in the Help menu).
namespace MWHelpCommands {
// Fills help with the items, after anything it already holds.
void addTo(QMenu* help, const QString& appName);
// Adds a "&Help" menu with the items to bar and returns it.
QMenu* addTo(QMenuBar* bar, const QString& appName);
}  // namespace MWHelpCommands

// The View menu's group: "Zoom In" (Ctrl+=), "Zoom Out" (Ctrl+-), "Actual Size
// (100%)" (Ctrl+0), the unclickable "Interface Zoom: N%" that follows the zoom, a
// separator, the "Theme" choice with a check on the current finish, and a
// separator. Every item acts on ui, by default the shared one.
namespace MWViewCommands {
void addTo(QMenu* view, MWUI* ui = nullptr);
}  // namespace MWViewCommands

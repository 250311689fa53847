#pragma once

#include <functional>

class CWStore;
class QMenuBar;

// Fills the window's menu bar in the desktop's order: File, Edit, View, Clip, Help.
// Every command reads CWApp::store() when chosen and does nothing without one;
// quit is the application's orderly quit.
void cwBuildMenuBar(QMenuBar* bar, const std::function<void()>& quit);

// Keeps the Edit menu's items saying what Undo and Redo would take back in
// store, and enabled only when there is something.
void cwFollowHistory(QMenuBar* bar, CWStore* store);

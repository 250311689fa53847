#pragma once

#include <functional>

class QMenuBar;

// Fills the window's menu bar in the desktop's order: File, View, Clip, Help.
// Every command reads CWApp::store() when chosen and does nothing without one;
// quit is the application's orderly quit.
void cwBuildMenuBar(QMenuBar* bar, const std::function<void()>& quit);

#pragma once

#include <QString>

class QWidget;
class MWAboutView;

// The one about window: made on first use, 420 × 380 at 100 % and as much
// larger as the zoom makes its content (within the screen), not resizable by
// the user, only hidden when closed, and showing a fresh MWAboutView on every
// opening.
namespace MWAbout {
// Opens (or brings forward) the about window for appName, "MWSO Cutwright".
void show(const QString& appName);

// The window and its current view; nullptr until first shown.
QWidget* window();
MWAboutView* view();
}  // namespace MWAbout

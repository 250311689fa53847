#pragma once

#include "help/helpblock.h"

#include <QString>

class QWidget;
class MWHelpView;

// The one help window of the program. It is made on first use, only hidden when
// the user closes it, and shows a fresh MWHelpView on every opening.
namespace MWHelpWindow {
// The application's display name, "MWSO Cutwright"; names the window and the
// common pages.
QString appName();
void setAppName(const QString& name);

// The whole manual in order; until set, the catalogue for appName().
QList<HelpPage> pages();
void setPages(const QList<HelpPage>& pages);

// Opens the help at page (an id; none opens the first page) with the search
// cleared, and brings the window to the front. A window left narrower than its
// minimum is reset to 900 × 640 and centred.
void show(const QString& page = QString());

// The window and its current view; nullptr until the help was first shown.
QWidget* window();
MWHelpView* view();
}  // namespace MWHelpWindow

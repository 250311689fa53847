#pragma once

#include <QStringList>

class QWidget;

namespace testutil {

// What a reader of the window would call broken, found from the widgets
// alone, over every visible widget under root:
// - two widgets placed by the same layout overlap;
// - a widget placed by a layout reaches outside its parent;
// - a layout gave a widget less than the minimum it asks for (a squeezed
//   button or title draws its text cut), unless it is a list that scrolls;
// - a label is narrower than its text (or, wrapping, shorter than its lines)
//   though it does not offer to elide (a minimum narrower than its text);
// - a list that never scrolls sideways holds content wider than itself.
// Each fault is one line naming the widgets by class, object name and text.
QStringList layoutFaults(const QWidget* root);

}  // namespace testutil

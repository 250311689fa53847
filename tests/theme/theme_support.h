#pragma once

#include "common/theme_state.h"
#include "theme/mwui.h"

#include <QColor>
#include <QImage>
#include <QWidget>

namespace themetest {

// Whether the picture shows something: some pixels are not transparent and
// they are not all one colour.
bool drawn(const QImage& image);
// A widget's picture at its size hint, as the screen would show it.
QImage render(QWidget& widget);
// How far apart two colours are (largest channel difference, 0…255).
int distance(QColor a, QColor b);

}  // namespace themetest

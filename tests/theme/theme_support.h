#pragma once

#include "theme/mwui.h"

#include <QColor>
#include <QImage>
#include <QWidget>

namespace themetest {

// Puts the shared interface back to its finish and zoom when the test ends.
class SharedState {
public:
    SharedState() : theme_(MWUI::shared()->theme()), zoom_(MWUI::shared()->zoom()) {}
    ~SharedState()
    {
        MWUI::shared()->setTheme(theme_);
        MWUI::shared()->setZoom(zoom_);
    }
    SharedState(const SharedState&) = delete;
    SharedState& operator=(const SharedState&) = delete;

private:
    MWTheme theme_;
    double zoom_;
};

// Whether the picture shows something: some pixels are not transparent and
// they are not all one colour.
bool drawn(const QImage& image);
// A widget's picture at its size hint, as the screen would show it.
QImage render(QWidget& widget);
// How far apart two colours are (largest channel difference, 0…255).
int distance(QColor a, QColor b);

}  // namespace themetest

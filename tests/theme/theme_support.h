#pragma once

#include "common/theme_state.h"
#include "theme/mwui.h"

#include <QColor>
#include <QImage>
#include <QPixmap>
#include <QWidget>
#include <algorithm>
#include <cstdlib>

namespace themetest {

// Whether the picture shows something: some pixels are not transparent and
// they are not all one colour.
inline bool drawn(const QImage& picture)
{
    const QImage image = picture.convertToFormat(QImage::Format_ARGB32);
    bool opaque = false;
    bool varied = false;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            opaque = opaque || qAlpha(image.pixel(x, y)) > 0;
            varied = varied || image.pixel(x, y) != image.pixel(0, 0);
        }
    }
    return opaque && varied;
}

// A widget's picture at its size hint, as the screen would show it.
inline QImage render(QWidget& widget)
{
    widget.resize(widget.sizeHint());
    return widget.grab().toImage();
}

// How far apart two colours are (largest channel difference, 0…255).
inline int distance(QColor a, QColor b)
{
    return std::max({std::abs(a.red() - b.red()), std::abs(a.green() - b.green()),
                     std::abs(a.blue() - b.blue())});
}

}  // namespace themetest

#pragma once

#include "common/theme_state.h"
#include "theme/mwui.h"

#include <QColor>
#include <QImage>
#include <algorithm>
#include <cstdlib>

namespace themetest {

// Whether the picture shows something: not all one colour. Premultiplied,
// every transparent pixel reads 0, so a pixel unlike the first is ink.
inline bool drawn(const QImage& picture)
{
    const QImage image = picture.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) != image.pixel(0, 0))
                return true;
    return false;
}

// How far apart two colours are (largest channel difference, 0…255).
inline int distance(QColor a, QColor b)
{
    return std::max({std::abs(a.red() - b.red()), std::abs(a.green() - b.green()),
                     std::abs(a.blue() - b.blue())});
}

}  // namespace themetest

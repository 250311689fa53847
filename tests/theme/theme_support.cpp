#include "theme_support.h"

#include <QPixmap>
#include <algorithm>
#include <cstdlib>

namespace themetest {

bool drawn(const QImage& picture)
{
    const QImage image = picture.convertToFormat(QImage::Format_ARGB32);
    bool opaque = false;
    bool varied = false;
    const QRgb first = image.pixel(0, 0);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            opaque = opaque || qAlpha(pixel) > 0;
            varied = varied || pixel != first;
        }
    }
    return opaque && varied;
}

QImage render(QWidget& widget)
{
    widget.resize(widget.sizeHint());
    return widget.grab().toImage();
}

int distance(QColor a, QColor b)
{
    return std::max({std::abs(a.red() - b.red()), std::abs(a.green() - b.green()),
                     std::abs(a.blue() - b.blue())});
}

}  // namespace themetest

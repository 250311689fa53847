#include "export/borders.h"

#include "model/mwerror.h"
#include "platform/background.h"
#include "platform/framegenerator.h"

#include <QCoroFuture>
#include <QtConcurrent/QtConcurrentRun>
#include <algorithm>
#include <cmath>

namespace CWBorders {

namespace {

// A line is picture as soon as its mean reaches 22 or any pixel 60.
bool dark(qint64 sum, int count, int brightest)
{
    return sum / count <= 21 && brightest <= 59;
}

bool darkRow(const QImage& grey, int y)
{
    const uchar* line = grey.constScanLine(y);
    qint64 sum = 0;
    int brightest = 0;
    for (int x = 0; x < grey.width(); ++x) {
        sum += line[x];
        brightest = std::max<int>(brightest, line[x]);
    }
    return dark(sum, grey.width(), brightest);
}

bool darkColumn(const QImage& grey, int x)
{
    qint64 sum = 0;
    int brightest = 0;
    for (int y = 0; y < grey.height(); ++y) {
        const uchar v = grey.constScanLine(y)[x];
        sum += v;
        brightest = std::max<int>(brightest, v);
    }
    return dark(sum, grey.height(), brightest);
}

QImage greyOf(const QImage& image)
{
    if (image.format() == QImage::Format_Grayscale8)
        return image;
    if (!image.hasAlphaChannel())
        return image.convertToFormat(QImage::Format_Grayscale8);
    // A translucent frame is judged as drawn over black.
    QImage over = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    over.reinterpretAsFormat(QImage::Format_RGB32);
    return over.convertToFormat(QImage::Format_Grayscale8);
}

}  // namespace

std::optional<Edges> edges(const QImage& image)
{
    const int w = image.width();
    const int h = image.height();
    if (w < 8 || h < 8)
        return std::nullopt;
    const QImage grey = greyOf(image);
    if (grey.isNull() || grey.width() != w || grey.height() != h)
        return std::nullopt;

    Edges e{w, h, h / 2, h / 2, 0, 0};
    for (int y = 0; y < h / 2; ++y) {
        if (!darkRow(grey, y)) {
            e.top = y;
            break;
        }
    }
    for (int k = 0; k < h / 2; ++k) {
        if (!darkRow(grey, h - 1 - k)) {
            e.bottom = k;
            break;
        }
    }
    const int limit = std::max(w / 2, 1);
    e.left = e.right = limit;
    for (int x = 0; x < limit; ++x) {
        if (!darkColumn(grey, x)) {
            e.left = x;
            break;
        }
    }
    for (int k = 0; k < limit; ++k) {
        if (!darkColumn(grey, w - 1 - k)) {
            e.right = k;
            break;
        }
    }
    return e;
}

std::optional<QRectF> pictureRect(const Edges& m, int counted, QSizeF size)
{
    if (counted < 3 || m.w == 0 || m.h == 0)
        return std::nullopt;
    // A bar thinner than 2 % is noise (a soft edge, a stray dark line); a real
    // one loses one line more, where the bar blends into the picture.
    const auto bar = [](int found, int across) {
        return double(found) / across >= 0.02 ? found + 1 : 0;
    };
    const int top = bar(m.top, m.h);
    const int bottom = bar(m.bottom, m.h);
    const int left = bar(m.left, m.w);
    const int right = bar(m.right, m.w);
    if (top == 0 && bottom == 0 && left == 0 && right == 0)
        return std::nullopt;

    const double sx = size.width() / m.w;
    const double sy = size.height() / m.h;
    const double x = left * sx;
    const double y = top * sy;
    const double width = size.width() - (left + right) * sx;
    const double height = size.height() - (top + bottom) * sy;
    // So much "bar" means a dark scene, not bars.
    if (width < size.width() / 2 || height < size.height() / 2)
        return std::nullopt;

    // Even origin and size for the encoder; the far edges stay put.
    const double evenX = std::ceil(x / 2) * 2;
    const double evenY = std::ceil(y / 2) * 2;
    const double evenW = std::floor((x + width - evenX) / 2) * 2;
    const double evenH = std::floor((y + height - evenY) / 2) * 2;
    return QRectF(evenX, evenY, evenW, evenH);
}

std::optional<QRectF> detectNow(const std::shared_ptr<const MWAsset>& asset, double duration,
                                QSizeF size)
{
    if (!(duration > 0) || !std::isfinite(duration) || size.width() < 16 || size.height() < 16 ||
        !asset)
        return std::nullopt;
    MWFrameGenerator::Options options;
    options.maximumSize = QSize(480, 480);
    options.toleranceBefore = 0.5;
    options.toleranceAfter = 0.5;
    options.pixels = MWFrameGenerator::Pixels::grey;
    MWFrameGenerator generator(asset, options);

    Edges minimum;
    int counted = 0;
    for (int k = 0; k <= 6; ++k) {
        const double t = duration * (0.1 + k * 0.8 / 6);
        std::optional<Edges> e;
        try {
            e = edges(generator.image(t));
        } catch (const MWError&) {
            continue;
        }
        if (!e)
            continue;
        if (counted == 0) {
            minimum = *e;
        } else {
            if (e->w != minimum.w || e->h != minimum.h)
                continue;
            minimum.top = std::min(minimum.top, e->top);
            minimum.bottom = std::min(minimum.bottom, e->bottom);
            minimum.left = std::min(minimum.left, e->left);
            minimum.right = std::min(minimum.right, e->right);
        }
        ++counted;
    }
    return pictureRect(minimum, counted, size);
}

QCoro::Task<std::optional<QRectF>> detect(std::shared_ptr<const MWAsset> asset, double duration,
                                          QSizeF size)
{
    if (!(duration > 0) || size.width() < 16 || size.height() < 16)
        co_return std::nullopt;
    // Named, not a temporary inside co_await: GCC 12 destroys such temporaries
    // on the early co_return above as well, releasing the asset twice.
    auto work =
        QtConcurrent::run([asset, duration, size] {
            CWBackground::yieldToWindow();
            return detectNow(asset, duration, size);
        });
    co_return co_await work;
}

}  // namespace CWBorders

#include "model/cropmath.h"

#include "model/nametext.h"

#include <algorithm>
#include <cmath>

namespace CropMath {

QRectF cropFrame(Aspect aspect, double zoom, double centerX, double centerY, QSizeF naturalSize,
                 std::optional<QRectF> picture)
{
    const QRectF full(0, 0, naturalSize.width(), naturalSize.height());
    // QRectF::intersected is empty for disjoint rectangles, which step 3 refuses.
    const QRectF p = picture ? picture->intersected(full) : full;
    if (p.isEmpty() || !(p.width() > 0) || !(p.height() > 0))
        return {};

    const double r = ratio(aspect);
    QSizeF base = p.width() / p.height() > r ? QSizeF(p.height() * r, p.height())
                                             : QSizeF(p.width(), p.width() / r);
    const double z = std::isnan(zoom) ? 1.0 : std::clamp(zoom, 1.0, 4.0);
    const QSizeF size = base / z;

    const double cx = centerX * full.width();
    const double cy = centerY * full.height();
    double x = cx - size.width() / 2;
    double y = cy - size.height() / 2;
    x = std::min(std::max(x, p.left()), p.right() - size.width());
    y = std::min(std::max(y, p.top()), p.bottom() - size.height());
    return {x, y, size.width(), size.height()};
}

namespace {
long long rounded(double v)
{
    return std::llround(v);  // halves away from zero
}
long long evenDown(long long v)
{
    return v & ~1LL;
}
}  // namespace

PixelRect pixelCrop(const QRectF& rect, QSizeF source)
{
    const long long sw = rounded(source.width());
    const long long sh = rounded(source.height());
    long long w = std::max(evenDown(rounded(rect.width())), 2LL);
    long long h = std::max(evenDown(rounded(rect.height())), 2LL);
    w = std::min(w, evenDown(sw));
    h = std::min(h, evenDown(sh));
    long long x = std::max(rounded(rect.left()), 0LL);
    x = std::min(x, sw - w);
    long long y = std::max(rounded(rect.top()), 0LL);
    y = std::min(y, sh - h);
    return {w, h, x, y};
}

namespace {
bool forbidden(QChar c)
{
    switch (c.unicode()) {
    case 0x00:  // ends the name for the file system, so ".mp4" would be lost
    case '/':
    case '\\':
    case ':':
    case '*':
    case '?':
    case '"':
    case '<':
    case '>':
    case '|':
        return true;
    default:
        break;
    }
    // Every newline character: LF, VT, FF, CR, NEL, LS, PS.
    switch (c.unicode()) {
    case 0x0A:
    case 0x0B:
    case 0x0C:
    case 0x0D:
    case 0x85:
    case 0x2028:
    case 0x2029:
        return true;
    default:
        return false;
    }
}
}  // namespace

QString fileName(const QString& name, Aspect aspect, int index)
{
    QString cleaned;
    cleaned.reserve(name.size());
    for (QChar c : name)
        cleaned += forbidden(c) ? QChar(u'-') : c;

    qsizetype start = 0;
    qsizetype end = cleaned.size();
    auto blank = [](QChar c) { return c == u' ' || c == u'\t'; };
    while (start < end && blank(cleaned[start]))
        ++start;
    while (end > start && blank(cleaned[end - 1]))
        --end;
    const QString trimmed = cleaned.mid(start, end - start);

    const QString prefix = QString::asprintf("%02d ", index);
    const QString tail = QStringLiteral(" (") + fileTag(aspect) + QStringLiteral(").mp4");
    // The name must fit the file system's limit even with the largest counter
    // the export may add before ".mp4" to keep names unique (" 2147483647").
    const qsizetype room = NameText::kNameMax - NameText::fileBytes(prefix) -
                           NameText::fileBytes(tail) - qsizetype(sizeof " 2147483647" - 1);
    const QString base = trimmed.isEmpty()
                             ? QStringLiteral("Clip")
                             : NameText::fitBytes(NameText::firstCharacters(trimmed, 80), room);
    return prefix + base + tail;
}

}  // namespace CropMath

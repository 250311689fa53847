#include "model/nametext.h"

#include <QTextBoundaryFinder>

namespace NameText {

QString firstCharacters(const QString& text, int n)
{
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    qsizetype end = 0;
    for (int i = 0; i < n; ++i) {
        const qsizetype next = finder.toNextBoundary();
        if (next < 0)
            break;
        end = next;
    }
    return text.left(end);
}

namespace {
// Bytes of the code point that starts at i, and how many UTF-16 units it takes.
qsizetype codePointBytes(const QString& text, qsizetype i, qsizetype& units)
{
    const char16_t u = text[i].unicode();
    units = 1;
    if (u < 0x80)
        return 1;
    if (u < 0x800)
        return 2;
    if (QChar::isHighSurrogate(u) && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
        units = 2;
        return 4;
    }
    return 3;  // the rest of the BMP, and a lone surrogate as U+FFFD
}

// Where the start that fits maxBytes ends when cut only between code points.
qsizetype fitCodePoints(const QString& text, qsizetype maxBytes)
{
    qsizetype used = 0;
    qsizetype i = 0;
    while (i < text.size()) {
        qsizetype units = 1;
        used += codePointBytes(text, i, units);
        if (used > maxBytes)
            break;
        i += units;
    }
    return i;
}
}  // namespace

qsizetype fileBytes(const QString& text)
{
    qsizetype total = 0;
    for (qsizetype i = 0; i < text.size();) {
        qsizetype units = 1;
        total += codePointBytes(text, i, units);
        i += units;
    }
    return total;
}

QString fitBytes(const QString& text, qsizetype maxBytes)
{
    const qsizetype fits = fitCodePoints(text, maxBytes);
    if (fits == text.size())
        return text;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    finder.setPosition(fits);
    if (finder.isAtBoundary())
        return text.left(fits);
    const qsizetype boundary = finder.toPreviousBoundary();
    // One character longer than the whole room: whole code points of it.
    return text.left(boundary > 0 ? boundary : fits);
}

}  // namespace NameText

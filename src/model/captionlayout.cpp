#include "model/captionlayout.h"

#include "model/safezones.h"

#include <QTextBoundaryFinder>
#include <algorithm>
#include <cmath>
#include <vector>

namespace Captions {

namespace {

// East Asian wide characters and the emoji blocks: about a font size each.
bool wide(char32_t c)
{
    return (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0xA4CF) ||
           (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) ||
           (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60) ||
           (c >= 0xFFE0 && c <= 0xFFE6) || (c >= 0x2600 && c <= 0x27BF) ||
           (c >= 0x1F000 && c <= 0x1FAFF) || (c >= 0x20000 && c <= 0x3FFFD);
}

double graphemeWidth(const QString& grapheme)
{
    const QList<uint> points = grapheme.toUcs4();
    if (points.isEmpty())
        return 0;
    const char32_t c = points.first();
    if (wide(c))
        return 1.0;
    switch (QChar::category(c)) {
    case QChar::Mark_NonSpacing:
    case QChar::Mark_SpacingCombining:
    case QChar::Mark_Enclosing:
    case QChar::Other_Format:
        return 0;
    case QChar::Separator_Space:
        return 0.26;
    case QChar::Letter_Uppercase:
        return 0.72;
    default:
        return 0.6;
    }
}

QStringList graphemes(const QString& text)
{
    QStringList list;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    qsizetype from = 0;
    while (finder.toNextBoundary() > 0) {
        list << text.mid(from, finder.position() - from);
        from = finder.position();
    }
    return list;
}

// The pieces of a paragraph between the places Unicode allows a line break,
// each with the spaces that follow it.
QStringList breakable(const QString& text)
{
    QStringList list;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Line, text);
    qsizetype from = 0;
    while (finder.toNextBoundary() > 0) {
        if (finder.position() > from)
            list << text.mid(from, finder.position() - from);
        from = finder.position();
    }
    return list;
}

QString trimmedEnd(const QString& text)
{
    qsizetype n = text.size();
    while (n > 0 && text.at(n - 1).isSpace())
        --n;
    return text.left(n);
}

// The pieces a line may break between, words too wide for a line split into
// their characters.
QStringList fitting(const QStringList& parts, double lineWidth)
{
    QStringList list;
    for (const QString& part : parts) {
        if (textWidth(trimmedEnd(part)) > lineWidth)
            list << graphemes(part);
        else
            list << part;
    }
    return list;
}

QString joined(const QStringList& parts)
{
    return trimmedEnd(parts.join(QString()));
}

// Greedy filling: each line takes the pieces that fit.
std::vector<QStringList> greedy(const QStringList& parts, double lineWidth)
{
    std::vector<QStringList> lines;
    QStringList line;
    double width = 0;
    for (const QString& part : fitting(parts, lineWidth)) {
        if (!line.isEmpty() && width + textWidth(trimmedEnd(part)) > lineWidth) {
            lines.push_back(line);
            line.clear();
            width = 0;
        }
        line << part;
        width += textWidth(part);
    }
    if (!joined(line).isEmpty())
        lines.push_back(line);
    return lines;
}

// Two lines' pieces broken where the longer line is shortest.
QString balanced(const QStringList& parts, double lineWidth)
{
    QString best;
    double bestWidth = 0;
    for (qsizetype i = 1; i < parts.size(); ++i) {
        const QString a = joined(parts.mid(0, i));
        const QString b = joined(parts.mid(i));
        const double w = std::max(textWidth(a), textWidth(b));
        if (a.isEmpty() || b.isEmpty() || w > lineWidth)
            continue;
        if (best.isEmpty() || w < bestWidth) {
            best = a + QLatin1Char('\n') + b;
            bestWidth = w;
        }
    }
    return best;
}

int shownCharacters(const QString& text)
{
    int n = 0;
    for (const QString& g : graphemes(text))
        if (!g.trimmed().isEmpty())
            ++n;
    return n;
}

}  // namespace

Placement placement(QSize render, Aspect aspect, const Style& style)
{
    const double w = render.width();
    const double h = render.height();
    Placement p;
    double bottom = 0;
    switch (aspect) {
    case Aspect::vertical: {
        // Inside what the apps leave clear, a little in from its edges.
        const QRectF clear = SafeZones::clearArea(aspect);
        p.fontSize = 0.064 * w;
        p.left = (clear.left() + 0.02) * w;
        p.right = (1 - clear.right() + 0.02) * w;
        bottom = 1 - clear.bottom() + 0.02;
        break;
    }
    case Aspect::portrait:
        p.fontSize = 0.05 * w;
        p.left = p.right = 0.07 * w;
        bottom = 0.07;
        break;
    case Aspect::square:
        p.fontSize = 0.048 * w;
        p.left = p.right = 0.07 * w;
        bottom = 0.07;
        break;
    case Aspect::wide:
        p.fontSize = 0.052 * h;
        p.left = p.right = 0.1 * w;
        bottom = 0.08;
        break;
    }
    const double raise = std::clamp(style.raise, -kMostRaise, kMostRaise);
    p.bottom = std::max(0.01, bottom + raise) * h;
    p.border = (style.look == Look::box ? 0.25 : 0.09) * p.fontSize;
    p.lineWidth = std::max(1.0, (w - p.left - p.right - 2 * p.border) / p.fontSize);
    return p;
}

double textWidth(const QString& text)
{
    double sum = 0;
    for (const QString& g : graphemes(text))
        sum += graphemeWidth(g);
    return sum;
}

QStringList wrapped(const QString& text, double lineWidth)
{
    QStringList lines;
    for (const QString& paragraph : text.split(QLatin1Char('\n')))
        for (const QStringList& line : greedy(breakable(paragraph.trimmed()), lineWidth))
            lines << joined(line);
    return lines;
}

Cues pieces(const Cue& cue, double lineWidth)
{
    QStringList paragraphs;
    for (const QString& raw : cue.text.split(QLatin1Char('\n')))
        if (!raw.trimmed().isEmpty())
            paragraphs << raw.trimmed();
    std::vector<QString> texts;
    if (paragraphs.size() == 2 && wrapped(cue.text, lineWidth).size() == 2) {
        // Two lines as written.
        texts.push_back(paragraphs.join(QLatin1Char('\n')));
    } else {
        // Written line breaks that do not fit are the source's own wrapping
        // for another shape: the words flow again, two lines at a time.
        const std::vector<QStringList> lines =
            greedy(breakable(paragraphs.join(QLatin1Char(' '))), lineWidth);
        for (size_t i = 0; i < lines.size(); i += 2) {
            if (i + 1 == lines.size()) {
                texts.push_back(joined(lines[i]));
                continue;
            }
            const QString pair = balanced(lines[i] + lines[i + 1], lineWidth);
            texts.push_back(pair.isEmpty()
                                ? joined(lines[i]) + QLatin1Char('\n') + joined(lines[i + 1])
                                : pair);
        }
    }
    if (texts.size() <= 1)
        return {{cue.start, cue.end, texts.empty() ? QString() : texts.front()}};

    std::vector<int> weights;
    int total = 0;
    for (const QString& t : texts) {
        weights.push_back(std::max(1, shownCharacters(t)));
        total += weights.back();
    }
    Cues list;
    int before = 0;
    for (size_t i = 0; i < texts.size(); ++i) {
        const double from = cue.start + (cue.end - cue.start) * before / total;
        before += weights[i];
        const double to =
            i + 1 == texts.size() ? cue.end : cue.start + (cue.end - cue.start) * before / total;
        list.push_back({from, to, texts[i]});
    }
    return list;
}

}  // namespace Captions

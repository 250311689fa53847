#include "theme/fonts.h"

#include "theme/mwui.h"

#include <QFontDatabase>
#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

namespace {

QString resolve(const QString& wanted, QFontDatabase::SystemFont fallback)
{
    if (QFontDatabase::families().contains(wanted, Qt::CaseInsensitive))
        return wanted;
    return QFontDatabase::systemFont(fallback).family();
}

}  // namespace

QString mwFontFamily(MWDesign design)
{
    // Looked up once: the font database does not change while the program runs.
    static const QString regular = resolve(QStringLiteral("Inter"), QFontDatabase::GeneralFont);
    static const QString rounded = [] {
        const QString family = resolve(QStringLiteral("Quicksand"), QFontDatabase::GeneralFont);
        return family.compare(QStringLiteral("Quicksand"), Qt::CaseInsensitive) == 0 ? family
                                                                                     : regular;
    }();
    static const QString mono = resolve(QStringLiteral("JetBrains Mono"), QFontDatabase::FixedFont);
    switch (design) {
    case MWDesign::Regular:
        return regular;
    case MWDesign::Rounded:
        return rounded;
    case MWDesign::Monospaced:
        return mono;
    }
    return regular;
}

namespace {

QFont makeFont(double size, double zoom, QFont::Weight weight, MWDesign design)
{
    QFont font(mwFontFamily(design));
    font.setPixelSize(std::max(1, int(std::lround(size * zoom))));
    font.setWeight(weight);
    if (design == MWDesign::Monospaced) {
        font.setStyleHint(QFont::Monospace);
        font.setFixedPitch(true);
    }
    return font;
}

}  // namespace

QFont mwFontAt(double size, double zoom, QFont::Weight weight, MWDesign design)
{
    // Controls ask for their fonts on every paint and layout; a font made once
    // per size, zoom, weight and design keeps its resolved engine.
    struct Key {
        double size;
        double zoom;
        int weight;
        int design;
        bool operator==(const Key&) const = default;
    };
    static std::vector<std::pair<Key, QFont>> made;
    const Key key{size, zoom, int(weight), int(design)};
    for (const auto& [k, font] : made) {
        if (k == key)
            return font;
    }
    if (made.size() > 256)
        made.clear();
    made.emplace_back(key, makeFont(size, zoom, weight, design));
    return made.back().second;
}

QFont mwFont(double size, QFont::Weight weight, MWDesign design)
{
    return mwFontAt(size, MWUI::shared()->zoom(), weight, design);
}

QFont mwMono(double size, QFont::Weight weight)
{
    return mwFontAt(size, MWUI::shared()->zoom(), weight, MWDesign::Monospaced);
}

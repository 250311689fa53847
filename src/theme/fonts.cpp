#include "theme/fonts.h"

#include "theme/mwui.h"

#include <QFontDatabase>
#include <algorithm>
#include <cmath>

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

QFont mwFontAt(double size, double zoom, QFont::Weight weight, MWDesign design)
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

QFont mwFont(double size, QFont::Weight weight, MWDesign design)
{
    return mwFontAt(size, MWUI::shared()->zoom(), weight, design);
}

QFont mwMono(double size, QFont::Weight weight)
{
    return mwFontAt(size, MWUI::shared()->zoom(), weight, MWDesign::Monospaced);
}

#pragma once

#include <QFont>
#include <QString>

// The three designs of the interface's text. Each is a family from Debian's
// font packages (see CW_THEME_DEB_DEPENDS), with the desktop's own font as the
// fallback when the family is not installed:
//   Regular    "Inter"           (fonts-inter)
//   Rounded    "Quicksand"       (fonts-quicksand)
//   Monospaced "JetBrains Mono"  (fonts-jetbrains-mono)
enum class MWDesign { Regular, Rounded, Monospaced };

// The family used for a design on this machine: the chosen family when it is
// installed, else the desktop's general (or fixed-width) font.
QString mwFontFamily(MWDesign design);

// The interface font of size points at 100 % times MWUI::shared()->zoom(), with
// that weight and design. Sizes are whole pixels so text stays crisp at every
// zoom step.
QFont mwFont(double size, QFont::Weight weight = QFont::Normal,
             MWDesign design = MWDesign::Regular);
// The monospaced design, for times and numbers.
QFont mwMono(double size, QFont::Weight weight = QFont::Normal);
// The same at an explicit zoom, for callers that are not the shared interface.
QFont mwFontAt(double size, double zoom, QFont::Weight weight, MWDesign design);

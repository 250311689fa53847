#pragma once

#include <QColor>
#include <QIcon>
#include <QPixmap>
#include <QRectF>
#include <QString>
#include <QStringList>
#include <optional>

class QPainter;

// The interface names its pictures by symbol names such as "scissors" or
// "play.fill". One table maps each to a glyph of the Material Icons font
// (Debian's fonts-material-design-icons-iconfont), drawn in any colour and size.
// A name missing from the table draws nothing; the theme tests fail on it.
namespace MWSymbols {

struct Glyph {
    char32_t codepoint = 0;
    bool mirrored = false;  // drawn flipped left to right (the set has only one direction)
};

// The font family the glyphs come from.
QString fontFamily();
// Whether that family is installed; without it symbols draw nothing.
bool available();

// The glyph of a symbol name, nothing when the name has no mapping.
std::optional<Glyph> glyph(const QString& name);
// Every mapped name.
QStringList names();

// Draws the symbol centred in rect, as large as fits, in colour.
void paint(QPainter* painter, const QRectF& rect, const QString& name, const QColor& colour);
// The symbol on a transparent square of side logical pixels, made at the device
// pixel ratio dpr so it stays crisp on a HiDPI screen.
QPixmap pixmap(const QString& name, const QColor& colour, double side, double dpr = 1.0);
// An icon that draws the symbol at whatever size and scale it is asked for; the
// disabled mode is drawn faded.
QIcon icon(const QString& name, const QColor& colour);

}  // namespace MWSymbols

#include "theme/symbols.h"

#include <QFontDatabase>
#include <QHash>
#include <QIconEngine>
#include <QPainter>
#include <cmath>

namespace {

// Chosen for the shape of each picture, not for the name of the Material icon.
const QHash<QString, MWSymbols::Glyph>& table()
{
    static const QHash<QString, MWSymbols::Glyph> glyphs = {
        {"scissors", {0xe14e}},                       // content_cut
        {"play.fill", {0xe037}},                      // play_arrow
        {"pause.fill", {0xe034}},                     // pause
        {"backward.frame.fill", {0xe045}},            // skip_previous
        {"forward.frame.fill", {0xe044}},             // skip_next
        {"arrow.left.to.line", {0xe31c, true}},       // keyboard_tab, flipped
        {"arrow.right.to.line", {0xe31c}},            // keyboard_tab
        {"plus", {0xe145}},                           // add
        {"plus.rectangle.on.rectangle", {0xe02e}},    // library_add
        {"square.and.arrow.up.on.square", {0xe9a3}},  // drive_folder_upload
        {"square.and.arrow.up.on.square.fill", {0xe9a3}},
        {"square.and.arrow.up", {0xe6b8}},                 // ios_share
        {"square.and.arrow.down", {0xe171}},               // save_alt
        {"rectangle.portrait.and.arrow.right", {0xe9ba}},  // logout
        {"film.stack", {0xe04a}},                          // video_library
        {"xmark", {0xe5cd}},                               // close
        {"xmark.circle.fill", {0xe5c9}},                   // cancel
        {"chevron.compact.left", {0xe5cb}},                // chevron_left
        {"chevron.compact.right", {0xe5cc}},               // chevron_right
        {"info.circle.fill", {0xe88e}},                    // info
        {"crop", {0xe3be}},                                // crop
        {"bolt.fill", {0xea0b}},                           // bolt
        {"slider.horizontal.3", {0xe429}},                 // tune
        {"timeline.selection", {0xeb85}},                  // view_timeline
        {"keyboard", {0xe312}},                            // keyboard
        {"lightbulb.fill", {0xe0f0}},                      // lightbulb
        {"paintpalette.fill", {0xe40a}},                   // palette
    };
    return glyphs;
}

class SymbolEngine : public QIconEngine {
public:
    SymbolEngine(QString name, QColor colour) : name_(std::move(name)), colour_(colour) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State) override
    {
        MWSymbols::paint(painter, rect, name_, colourFor(mode));
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override
    {
        return scaledPixmap(size, mode, state, 1.0);
    }
    // QIcon asks with the size already in device pixels.
    QPixmap scaledPixmap(const QSize& device, QIcon::Mode mode, QIcon::State, qreal scale) override
    {
        QPixmap pixmap(device);
        pixmap.fill(Qt::transparent);
        {
            QPainter painter(&pixmap);
            MWSymbols::paint(&painter, QRectF(QPointF(0, 0), QSizeF(device)), name_,
                             colourFor(mode));
        }
        pixmap.setDevicePixelRatio(scale);
        return pixmap;
    }
    QIconEngine* clone() const override { return new SymbolEngine(name_, colour_); }
    QString key() const override { return QStringLiteral("MWSymbols"); }

private:
    QColor colourFor(QIcon::Mode mode) const
    {
        QColor colour = colour_;
        if (mode == QIcon::Disabled)
            colour.setAlphaF(colour.alphaF() * 0.4f);
        return colour;
    }

    QString name_;
    QColor colour_;
};

}  // namespace

QString MWSymbols::fontFamily()
{
    return QStringLiteral("Material Icons");
}

bool MWSymbols::available()
{
    static const bool installed = QFontDatabase::families().contains(fontFamily());
    return installed;
}

std::optional<MWSymbols::Glyph> MWSymbols::glyph(const QString& name)
{
    const auto found = table().constFind(name);
    if (found == table().constEnd())
        return std::nullopt;
    return *found;
}

QStringList MWSymbols::names()
{
    QStringList names = table().keys();
    names.sort();
    return names;
}

void MWSymbols::paint(QPainter* painter, const QRectF& rect, const QString& name,
                      const QColor& colour)
{
    const std::optional<Glyph> found = glyph(name);
    const double side = std::min(rect.width(), rect.height());
    if (!found || !available() || side <= 0)
        return;
    // The set is drawn on a 24-unit grid whose em is the whole square.
    QFont font(fontFamily());
    font.setPixelSize(std::max(1, int(std::lround(side))));
    font.setHintingPreference(QFont::PreferNoHinting);
    const char32_t code = found->codepoint;
    const QString text = QString::fromUcs4(&code, 1);

    painter->save();
    painter->setRenderHint(QPainter::TextAntialiasing);
    painter->setFont(font);
    painter->setPen(colour);
    const QPointF centre = rect.center();
    painter->translate(centre);
    if (found->mirrored)
        painter->scale(-1, 1);
    const QRectF square(-side / 2, -side / 2, side, side);
    painter->drawText(square, Qt::AlignCenter, text);
    painter->restore();
}

QPixmap MWSymbols::pixmap(const QString& name, const QColor& colour, double side, double dpr)
{
    const int device = std::max(1, int(std::ceil(side * dpr)));
    QPixmap pixmap(device, device);
    pixmap.fill(Qt::transparent);
    {
        QPainter painter(&pixmap);
        paint(&painter, QRectF(0, 0, device, device), name, colour);
    }
    pixmap.setDevicePixelRatio(dpr);
    return pixmap;
}

QIcon MWSymbols::icon(const QString& name, const QColor& colour)
{
    return QIcon(new SymbolEngine(name, colour));
}

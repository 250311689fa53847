#include "theme/buttons.h"

#include "theme/fonts.h"
#include "theme/mwui.h"
#include "theme/symbols.h"

#include <QEvent>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>
#include <QRegularExpression>
#include <QStyleOptionButton>
#include <algorithm>
#include <cmath>

namespace {

double zoom()
{
    return MWUI::shared()->zoom();
}

QColor alpha(QColor colour, double opacity)
{
    colour.setAlphaF(float(opacity));
    return colour;
}

// Room around a face for the focus ring, in points at 100 %.
constexpr double kRing = 3;

// The same gradient lit from below, as on a key pushed in.
QGradientStops flipped(QGradientStops stops)
{
    for (QGradientStop& stop : stops)
        stop.first = 1.0 - stop.first;
    std::reverse(stops.begin(), stops.end());
    return stops;
}

QString stateName(const QAbstractButton* button)
{
    if (!button->isEnabled())
        return QStringLiteral("off");
    if (button->isDown() || button->isChecked())
        return QStringLiteral("down");
    if (button->underMouse())
        return QStringLiteral("hover");
    return QStringLiteral("up");
}

}  // namespace

MWChromeButton::MWChromeButton(const QString& text, QWidget* parent) : QPushButton(text, parent)
{
    setAttribute(Qt::WA_Hover);
    setCursor(Qt::PointingHandCursor);
    mwFollowInterface(this);
}

void MWChromeButton::setProminent(bool prominent)
{
    prominent_ = prominent;
    update();
}

void MWChromeButton::setCompact(bool compact)
{
    compact_ = compact;
    updateGeometry();
    update();
}

void MWChromeButton::setSymbol(const QString& symbol)
{
    symbol_ = symbol;
    updateGeometry();
    update();
}

void MWChromeButton::setSymbolOnly(bool symbolOnly)
{
    if (symbolOnly_ == symbolOnly)
        return;
    symbolOnly_ = symbolOnly;
    updateGeometry();
    update();
}

bool MWChromeButton::event(QEvent* event)
{
    if (event->type() == QEvent::HoverEnter || event->type() == QEvent::HoverLeave)
        update();
    return QPushButton::event(event);
}

QSize MWChromeButton::sizeHint() const
{
    return sizeHintShowing(!symbolOnly_);
}

QSize MWChromeButton::sizeHintShowing(bool withText) const
{
    const double z = zoom();
    const QFontMetricsF metrics(mwFont(textSize(), QFont::DemiBold));
    const double height = (compact_ ? 22 : 30) * z;
    const QString shown = withText || symbol_.isEmpty() ? text() : QString();
    double width = metrics.horizontalAdvance(shown) + 2 * (compact_ ? 10 : 16) * z;
    if (!symbol_.isEmpty())
        width += metrics.height() + (shown.isEmpty() ? 0 : 5 * z);
    if (menu())
        width += 14 * z;
    width = std::max(width, height);
    const double ring = 2 * kRing * z;
    return QSize(int(std::ceil(width + ring)), int(std::ceil(height + ring)));
}

QSize MWChromeButton::minimumSizeHint() const
{
    return sizeHint();
}

QString MWChromeButton::shownText() const
{
    return symbolOnly_ && !symbol_.isEmpty() ? QString() : text();
}

void MWChromeButton::paintEvent(QPaintEvent*)
{
    const double z = zoom();
    const QString variant = QStringLiteral("%1|%2|%3|%4|%5")
                                .arg(stateName(this), shownText(), symbol_)
                                .arg(prominent_)
                                .arg(menu() != nullptr);
    QPainter painter(this);
    painter.drawPixmap(0, 0,
                       face_.get(QWidget::size(), devicePixelRatioF(), variant,
                                 [this](QPainter& p, const QSizeF&) { drawFace(p); }));
    if (hasFocus()) {
        const QRectF face = QRectF(rect()).adjusted(kRing * z, kRing * z, -kRing * z, -kRing * z);
        mwPaintFocusRing(painter, face.adjusted(-1.5 * z, -1.5 * z, 1.5 * z, 1.5 * z), -1, z);
    }
}

void MWChromeButton::drawFace(QPainter& painter)
{
    const double z = zoom();
    const QRectF face = QRectF(rect()).adjusted(kRing * z, kRing * z, -kRing * z, -kRing * z);
    const QString state = stateName(this);
    const bool prominent = prominent_;
    const auto draw = [prominent, state](QPainter& p, const QSizeF& s) {
        const MWTheme& t = MWUI::shared()->theme();
        const QRectF r(QPointF(0.5, 0.5), s - QSizeF(1, 1));
        QPainterPath capsule;
        capsule.addRoundedRect(r, r.height() / 2, r.height() / 2);
        QGradientStops stops;
        if (prominent)
            stops = {{0, t.accent2}, {0.5, t.accent}, {0.52, t.accent.darker(125)}, {1, t.accent}};
        else
            stops = t.chromeSoft();
        if (state == QLatin1String("down"))
            stops = flipped(stops);
        p.fillPath(capsule, MWTheme::vertical(r, stops));
        if (state == QLatin1String("hover"))
            p.fillPath(capsule, QColor(255, 255, 255, 36));
        if (state == QLatin1String("down"))
            p.fillPath(capsule, QColor(0, 0, 0, 40));
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(alpha(t.deep, 0.85), 1.0));
        p.drawPath(capsule);
        p.setPen(QPen(QColor(255, 255, 255, 90), 1.0));
        const QRectF inner = r.adjusted(1, 1, -1, -1);
        p.drawRoundedRect(inner, inner.height() / 2, inner.height() / 2);
    };

    if (!isEnabled())
        painter.setOpacity(0.45);
    painter.save();
    painter.translate(face.topLeft());
    draw(painter, face.size());
    painter.restore();

    const MWTheme& t = MWUI::shared()->theme();
    const QFont font = mwFont(textSize(), QFont::DemiBold);
    const QFontMetricsF metrics(font);
    const double glyph = symbol_.isEmpty() ? 0 : metrics.height();
    const QString text = shownText();
    const double gap = (!symbol_.isEmpty() && !text.isEmpty()) ? 5 * z : 0;
    const double content = glyph + gap + metrics.horizontalAdvance(text);
    const double menuRoom = menu() ? 14 * z : 0;
    double x = face.center().x() - (content + menuRoom) / 2;
    // Dark ink with a light bevel reads on the bright metal and on the accent alike.
    const QColor ink = t.deep;
    const QColor shine = QColor(255, 255, 255, 110);
    if (!symbol_.isEmpty()) {
        const QRectF box(x, face.center().y() - glyph / 2, glyph, glyph);
        MWSymbols::paint(&painter, box.translated(0, 1), symbol_, shine);
        MWSymbols::paint(&painter, box, symbol_, ink);
        x += glyph + gap;
    }
    painter.setFont(font);
    const QRectF label(x, face.top(), metrics.horizontalAdvance(text) + 1, face.height());
    painter.setPen(shine);
    painter.drawText(label.translated(0, 1), Qt::AlignVCenter | Qt::AlignLeft, text);
    painter.setPen(ink);
    painter.drawText(label, Qt::AlignVCenter | Qt::AlignLeft, text);
    if (menu()) {
        const QPointF tip(label.right() + 8.5 * z, face.center().y() + 2 * z);
        QPainterPath chevron;
        chevron.moveTo(tip + QPointF(-3.5 * z, -3.5 * z));
        chevron.lineTo(tip);
        chevron.lineTo(tip + QPointF(3.5 * z, -3.5 * z));
        painter.setPen(QPen(ink, 1.6 * z, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.drawPath(chevron);
    }
}

MWOrbButton::MWOrbButton(const QString& symbol, double size, QWidget* parent)
    : QAbstractButton(parent), symbol_(symbol), size_(size)
{
    setAttribute(Qt::WA_Hover);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::StrongFocus);
    mwFollowInterface(this);
    updateName();
}

void MWOrbButton::setSymbol(const QString& symbol)
{
    symbol_ = symbol;
    updateName();
    update();
}

void MWOrbButton::setSize(double size)
{
    size_ = size;
    updateGeometry();
    update();
}

void MWOrbButton::setLit(bool lit)
{
    lit_ = lit;
    update();
}

void MWOrbButton::setHelp(const QString& help)
{
    help_ = help;
    setToolTip(help);
    updateName();
}

void MWOrbButton::updateName()
{
    // The words of the help without the key that does the same ("Set In" of
    // "Set In (I)") are what a person calls the orb; the key stays in the
    // description, which the tooltip gives. A symbol's name is never said.
    static const QRegularExpression key(QStringLiteral("\\s*\\([^()]*\\)\\s*$"));
    QString words = help_;
    words.remove(key);
    setText(words);
}

QSize MWOrbButton::sizeHint() const
{
    const int side = int(std::ceil((size_ + 2 * kRing) * zoom()));
    return QSize(side, side);
}

QRectF MWOrbButton::circle() const
{
    const double d = size_ * zoom();
    return QRectF(width() / 2.0 - d / 2, height() / 2.0 - d / 2, d, d);
}

bool MWOrbButton::hitButton(const QPoint& pos) const
{
    const QRectF c = circle();
    const QPointF delta = QPointF(pos) + QPointF(0.5, 0.5) - c.center();
    return std::hypot(delta.x(), delta.y()) <= c.width() / 2;
}

bool MWOrbButton::event(QEvent* event)
{
    if (event->type() == QEvent::HoverEnter || event->type() == QEvent::HoverLeave)
        update();
    return QAbstractButton::event(event);
}

void MWOrbButton::paintEvent(QPaintEvent*)
{
    const double z = zoom();
    const QString variant = QStringLiteral("%1|%2|%3").arg(stateName(this), symbol_).arg(lit_);
    QPainter painter(this);
    painter.drawPixmap(0, 0,
                       face_.get(QWidget::size(), devicePixelRatioF(), variant,
                                 [this](QPainter& p, const QSizeF&) { drawFace(p); }));
    if (hasFocus()) {
        painter.setRenderHint(QPainter::Antialiasing);
        const QRectF c = circle();
        mwPaintFocusRing(painter, c.adjusted(-1.5 * z, -1.5 * z, 1.5 * z, 1.5 * z), -1, z);
    }
}

void MWOrbButton::drawFace(QPainter& painter)
{
    const double z = zoom();
    const QRectF c = circle();
    const QString state = stateName(this);
    const bool lit = lit_;
    const auto draw = [lit, state, z](QPainter& p, const QSizeF& s) {
        const MWTheme& t = MWUI::shared()->theme();
        const double rim = 1.5 * z;
        const QRectF outer(QPointF(0.5, 0.5), s - QSizeF(1, 1));
        const QRectF body = outer.adjusted(rim, rim, -rim, -rim);
        // The rim is a ring of polished chrome around the body.
        p.setPen(Qt::NoPen);
        p.setBrush(MWTheme::vertical(outer, t.chrome()));
        p.drawEllipse(outer);
        QGradientStops stops;
        if (lit)
            stops = {{0, t.accent2}, {0.55, t.accent}, {1, t.accent.darker(170)}};
        else
            stops = {{0, t.raised}, {1, t.deep}};
        if (state == QLatin1String("down"))
            stops = flipped(stops);
        p.setBrush(MWTheme::vertical(body, stops));
        p.drawEllipse(body);
        if (state == QLatin1String("hover")) {
            p.setBrush(QColor(255, 255, 255, 30));
            p.drawEllipse(body);
        }
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(QColor(0, 0, 0, 140), 1.0));
        p.drawEllipse(body);
        // The glassy highlight across the upper half.
        const QRectF gloss(body.left() + body.width() * 0.22, body.top() + body.height() * 0.06,
                           body.width() * 0.56, body.height() * 0.36);
        QLinearGradient shine(gloss.topLeft(), gloss.bottomLeft());
        shine.setColorAt(0, QColor(255, 255, 255, lit ? 150 : 60));
        shine.setColorAt(1, QColor(255, 255, 255, 0));
        p.setPen(Qt::NoPen);
        p.setBrush(shine);
        p.drawEllipse(gloss);
    };

    if (!isEnabled())
        painter.setOpacity(0.45);
    painter.save();
    painter.translate(c.topLeft());
    draw(painter, c.size());
    painter.restore();
    const MWTheme& t = MWUI::shared()->theme();
    const double side = c.width() * 0.46;
    const QRectF glyph(c.center().x() - side / 2, c.center().y() - side / 2, side, side);
    MWSymbols::paint(&painter, glyph.translated(0, 1.2 * z), symbol_, QColor(0, 0, 0, 150));
    MWSymbols::paint(&painter, glyph, symbol_, lit_ ? t.deep : t.text);
}

#include "theme/text.h"

#include "theme/fonts.h"
#include "theme/mwui.h"

#include <QPainter>
#include <QPainterPath>
#include <cmath>

namespace {

double zoom()
{
    return MWUI::shared()->zoom();
}

constexpr double kLcdPadX = 10;
constexpr double kLcdPadY = 5;
constexpr double kTitleSize = 22;

QFont titleFont()
{
    return mwFont(kTitleSize, QFont::Black);
}

}  // namespace

MWLCD::MWLCD(const QString& text, double size, QWidget* parent)
    : QWidget(parent), text_(text), size_(size)
{
    setAccessibleName(text);
    mwFollowInterface(this);
}

void MWLCD::setText(const QString& text)
{
    if (text == text_)
        return;
    const bool longer = text.size() != text_.size();
    text_ = text;
    setAccessibleName(text);
    if (longer)
        updateGeometry();
    update();
}

void MWLCD::setSize(double size)
{
    size_ = size;
    updateGeometry();
    update();
}

QSize MWLCD::sizeHint() const
{
    const double z = zoom();
    const QFontMetricsF metrics(mwMono(size_, QFont::Medium));
    return QSize(int(std::ceil(metrics.horizontalAdvance(text_) + 2 * kLcdPadX * z)),
                 int(std::ceil(metrics.height() + 2 * kLcdPadY * z)));
}

void MWLCD::paintEvent(QPaintEvent*)
{
    const double z = zoom();
    const auto drawGlass = [z](QPainter& p, const QSizeF& s) {
        const MWTheme& t = MWUI::shared()->theme();
        const QRectF r(QPointF(0.5, 0.5), s - QSizeF(1, 1));
        const double radius = 5 * z;
        QColor tint = t.accent;
        tint.setAlphaF(0.10f);
        QPainterPath glass;
        glass.addRoundedRect(r, radius, radius);
        p.fillPath(glass, MWTheme::vertical(r, {{0, t.well}, {1, t.deep}}));
        p.fillPath(glass, tint);
        p.setPen(QPen(QColor(0, 0, 0, 190), 1.0));
        p.drawPath(glass);
        // A faint reflection on the upper half of the glass.
        QLinearGradient gloss(r.topLeft(), QPointF(r.left(), r.center().y()));
        gloss.setColorAt(0, QColor(255, 255, 255, 22));
        gloss.setColorAt(1, QColor(255, 255, 255, 0));
        p.setPen(Qt::NoPen);
        p.setBrush(gloss);
        p.drawRoundedRect(QRectF(r.left() + 1, r.top() + 1, r.width() - 2, r.height() / 2), radius,
                          radius);
    };
    QPainter painter(this);
    // The text is part of the face: a readout repaints when its text changes anyway.
    painter.drawPixmap(0, 0,
                       face_.get(QWidget::size(), devicePixelRatioF(), text_,
                                 [this, drawGlass](QPainter& p, const QSizeF& s) {
                                     drawGlass(p, s);
                                     drawText(p);
                                 }));
}

void MWLCD::drawText(QPainter& painter)
{
    const double z = zoom();
    const MWTheme& t = MWUI::shared()->theme();
    painter.setFont(mwMono(size_, QFont::Medium));
    QColor glow = t.accent2;
    glow.setAlphaF(0.25f);
    painter.setPen(glow);
    const QRectF area = QRectF(rect()).adjusted(kLcdPadX * z, 0, -kLcdPadX * z, 0);
    for (const QPointF offset : {QPointF(0.7, 0), QPointF(-0.7, 0), QPointF(0, 0.7)})
        painter.drawText(area.translated(offset * z), Qt::AlignCenter, text_);
    painter.setPen(t.accent2);
    painter.drawText(area, Qt::AlignCenter, text_);
}

MWCaption::MWCaption(const QString& text, QWidget* parent) : QWidget(parent), text_(text)
{
    setAccessibleName(text);
    mwFollowInterface(this);
}

void MWCaption::setText(const QString& text)
{
    text_ = text;
    setAccessibleName(text);
    updateGeometry();
    update();
}

QFont MWCaption::font()
{
    QFont font = mwFont(10.5, QFont::Black, MWDesign::Rounded);
    font.setLetterSpacing(QFont::AbsoluteSpacing, 1.4 * MWUI::shared()->zoom());
    return font;
}

QSize MWCaption::sizeHint() const
{
    const QFontMetricsF metrics(font());
    return QSize(int(std::ceil(metrics.horizontalAdvance(text_.toUpper()))) + 1,
                 int(std::ceil(metrics.height())));
}

QSize MWCaption::minimumSizeHint() const
{
    if (!elides_)
        return sizeHint();
    return QSize(0, sizeHint().height());
}

void MWCaption::setElides(bool elides)
{
    elides_ = elides;
    updateGeometry();
    update();
}

QString MWCaption::shownText() const
{
    const QString upper = text_.toUpper();
    if (!elides_ || width() >= sizeHint().width())
        return upper;
    // An ellipsis alone says nothing: then nothing is drawn.
    const QString shown = QFontMetricsF(font()).elidedText(upper, Qt::ElideRight, width() - 1);
    return shown == QStringLiteral("…") ? QString() : shown;
}

void MWCaption::paintEvent(QPaintEvent*)
{
    const QString shown = shownText();
    QPainter painter(this);
    painter.drawPixmap(0, 0,
                       face_.get(QWidget::size(), devicePixelRatioF(), shown,
                                 [shown](QPainter& p, const QSizeF& s) {
                                     p.setFont(font());
                                     p.setPen(MWUI::shared()->theme().dim);
                                     p.drawText(QRectF(QPointF(), s),
                                                Qt::AlignLeft | Qt::AlignVCenter, shown);
                                 }));
}

MWChromeTitle::MWChromeTitle(const QString& first, const QString& second, QWidget* parent)
    : QWidget(parent), first_(first), second_(second)
{
    setAccessibleName(first + QLatin1Char(' ') + second);
    mwFollowInterface(this);
}

void MWChromeTitle::setText(const QString& first, const QString& second)
{
    first_ = first;
    second_ = second;
    setAccessibleName(first + QLatin1Char(' ') + second);
    updateGeometry();
    update();
}

QSize MWChromeTitle::sizeHint() const
{
    const double z = zoom();
    const QFontMetricsF metrics(titleFont());
    const double width = metrics.horizontalAdvance(first_ + second_) + 4 * z;
    return QSize(int(std::ceil(width)), int(std::ceil(metrics.height() + 3 * z)));
}

void MWChromeTitle::paintEvent(QPaintEvent*)
{
    const double z = zoom();
    const QString first = first_;
    const QString second = second_;
    const auto draw = [z, first, second](QPainter& p, const QSizeF& s) {
        const MWTheme& t = MWUI::shared()->theme();
        const QFont font = titleFont();
        const QFontMetricsF metrics(font);
        const double baseline = (s.height() - 3 * z - metrics.height()) / 2 + metrics.ascent();
        QPainterPath one;
        one.addText(QPointF(1 * z, baseline), font, first);
        QPainterPath two;
        two.addText(QPointF(1 * z + metrics.horizontalAdvance(first), baseline), font, second);
        const QRectF band(0, baseline - metrics.ascent(), s.width(), metrics.ascent());
        p.setPen(Qt::NoPen);
        // The shadow sits under both halves.
        p.setBrush(QColor(0, 0, 0, 150));
        p.drawPath(one.translated(0, 1.5 * z));
        p.drawPath(two.translated(0, 1.5 * z));
        p.setBrush(MWTheme::vertical(band, t.chrome()));
        p.drawPath(one);
        p.setBrush(
            MWTheme::vertical(band, {{0, t.accent2}, {0.55, t.accent}, {1, t.accent.darker(130)}}));
        p.drawPath(two);
    };
    QPainter painter(this);
    painter.drawPixmap(
        0, 0, face_.get(size(), devicePixelRatioF(), first_ + QChar(0x1f) + second_, draw));
}

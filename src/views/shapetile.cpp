#include "views/shapetile.h"

#include "theme/fonts.h"
#include "theme/mwui.h"
#include "views/viewaccess.h"
#include "views/viewkit.h"

#include <QAccessible>
#include <QFontMetricsF>
#include <QGraphicsDropShadowEffect>
#include <QPainter>
#include <QPainterPath>

namespace {
using CWViewKit::zoom;

QFont rawFont()
{
    return mwFont(13, QFont::Black, MWDesign::Rounded);
}
QFont audienceFont()
{
    return mwFont(8.5, QFont::Medium);
}
QColor withAlpha(QColor colour, double alpha)
{
    colour.setAlphaF(float(alpha));
    return colour;
}
constexpr double padding = 8;
constexpr double gap = 4;
constexpr double miniatureBox = 38;
}  // namespace

CWShapeTile::CWShapeTile(Aspect aspect, QWidget* parent) : QAbstractButton(parent), aspect_(aspect)
{
    cwShapeTileAccessibility();
    setText(rawValue(aspect));
    setAccessibleName(rawValue(aspect) + QStringLiteral(", ") + audience(aspect));
    setToolTip(rawValue(aspect) + QStringLiteral(" — ") + audience(aspect));
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    // The selected glow spreads past the face into the spacing around it.
    glow_ = new QGraphicsDropShadowEffect(this);
    glow_->setOffset(0, 0);
    glow_->setEnabled(false);
    setGraphicsEffect(glow_);
    connect(MWUI::shared(), &MWUI::changed, this, &CWShapeTile::restyle);
    restyle();
}

void CWShapeTile::setSelected(bool selected)
{
    if (selected_ == selected)
        return;
    selected_ = selected;
    glow_->setEnabled(selected);
    update();
    if (QAccessible::isActive()) {
        QAccessible::State checked;
        checked.checked = true;
        QAccessibleStateChangeEvent event(this, checked);
        QAccessible::updateAccessibility(&event);
    }
}

void CWShapeTile::restyle()
{
    glow_->setColor(withAlpha(MWUI::shared()->theme().accent, 0.6));
    // The effect's radius is a blur extent, about twice the glow's reach.
    glow_->setBlurRadius(12 * zoom());
    updateGeometry();
    update();
}

QSizeF CWShapeTile::miniature(Aspect aspect, double zoom)
{
    const double u = 34 * zoom;
    if (aspect == Aspect::wide)
        return {1.6 * u, 1.6 * u / (16.0 / 9.0)};
    const double r = aspect == Aspect::vertical ? 0.5625 : aspect == Aspect::portrait ? 0.8 : 1.0;
    return {r * u, u};
}

QSize CWShapeTile::sizeHint() const
{
    const double z = zoom();
    const double content = miniatureBox * z + gap * z + QFontMetricsF(rawFont()).height() +
                           gap * z + QFontMetricsF(audienceFont()).height();
    const double width =
        std::max(QFontMetricsF(audienceFont()).horizontalAdvance(audience(aspect_)),
                 miniature(Aspect::wide, z).width());
    return QSizeF(width + 2 * padding * z, content + 2 * padding * z).toSize();
}

QSize CWShapeTile::minimumSizeHint() const
{
    // Two equal columns that may narrow down to ten points each.
    return {qRound(10 * zoom()), sizeHint().height()};
}

QPainterPath CWShapeTile::face() const
{
    QPainterPath path;
    const double r = 14 * zoom();
    path.addRoundedRect(QRectF(rect()), r, r);
    return path;
}

bool CWShapeTile::hitButton(const QPoint& pos) const
{
    return face().contains(QPointF(pos) + QPointF(0.5, 0.5));
}

void CWShapeTile::paintEvent(QPaintEvent*)
{
    const MWTheme& t = MWUI::shared()->theme();
    const double z = zoom();
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);

    // The face, its border drawn inside its bounds.
    const QRectF all(rect());
    const double radius = 14 * z;
    const double line = selected_ ? 2 : 1;
    const QRectF body = all.adjusted(line / 2, line / 2, -line / 2, -line / 2);
    if (selected_) {
        QLinearGradient fill(all.topLeft(), all.bottomLeft());
        fill.setColorAt(0, withAlpha(t.accent, 0.55));
        fill.setColorAt(1, t.raised);
        p.setBrush(fill);
    } else {
        p.setBrush(withAlpha(t.raised, 0.55));
    }
    p.setPen(QPen(selected_ ? t.accent2 : t.metalLo, line));
    p.drawRoundedRect(body, radius - line / 2, radius - line / 2);

    // The content stack, centred in the padded face.
    const QFontMetricsF rawMetrics(rawFont());
    const QFontMetricsF audienceMetrics(audienceFont());
    const double height =
        miniatureBox * z + gap * z + rawMetrics.height() + gap * z + audienceMetrics.height();
    const QRectF inner = all.adjusted(padding * z, padding * z, -padding * z, -padding * z);
    double y = inner.top() + (inner.height() - height) / 2;

    const QSizeF mini = miniature(aspect_, z);
    const QRectF box(inner.left(), y, inner.width(), miniatureBox * z);
    const QRectF shape(box.center().x() - mini.width() / 2, box.center().y() - mini.height() / 2,
                       mini.width(), mini.height());
    p.setBrush(selected_ ? withAlpha(t.accent, 0.6) : QColor(Qt::transparent));
    p.setPen(QPen(selected_ ? QColor(Qt::white) : t.metalMid, 2));
    p.drawRoundedRect(shape.adjusted(1, 1, -1, -1), 4 * z - 1, 4 * z - 1);
    y = box.bottom() + gap * z;

    p.setFont(rawFont());
    p.setPen(t.text);
    p.drawText(QRectF(inner.left(), y, inner.width(), rawMetrics.height()), Qt::AlignCenter,
               rawValue(aspect_));
    y += rawMetrics.height() + gap * z;

    // A narrow column cuts the line rather than letting it run over the border.
    p.setFont(audienceFont());
    p.setPen(t.dim);
    p.drawText(QRectF(inner.left(), y, inner.width(), audienceMetrics.height()), Qt::AlignCenter,
               audienceMetrics.elidedText(audience(aspect_), Qt::ElideRight, inner.width()));
}

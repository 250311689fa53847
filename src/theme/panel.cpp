#include "theme/panel.h"

#include "theme/mwui.h"

#include <QEvent>
#include <QLayout>
#include <QPainter>
#include <QPainterPath>
#include <cmath>

namespace {

QColor alpha(QColor colour, double opacity)
{
    colour.setAlphaF(float(opacity));
    return colour;
}

double zoom()
{
    return MWUI::shared()->zoom();
}

// A layout put into a panel or well gets no margins of its own.
void dropLayoutMargins(const QWidget* widget)
{
    if (QLayout* layout = widget->layout(); layout && layout->contentsMargins() != QMargins())
        layout->setContentsMargins(0, 0, 0, 0);
}

}  // namespace

QVector<BrushedBar> brushedBars(double height)
{
    QVector<BrushedBar> bars;
    if (!(height > 0))
        return bars;
    // y from the bar's index, not by adding steps, so long panels do not drift.
    for (long long i = 0; i * 1.6 < height; ++i)
        bars.append({i * 1.6, 0.6, double((i * 7919) % 13) / 13.0});
    return bars;
}

void paintBrushedLines(QPainter& painter, const QRectF& rect, double opacity)
{
    painter.save();
    painter.setPen(Qt::NoPen);
    for (const BrushedBar& bar : brushedBars(rect.height())) {
        if (bar.opacity <= 0)
            continue;
        painter.setBrush(QColor::fromRgbF(1, 1, 1, float(bar.opacity * opacity)));
        painter.drawRect(QRectF(rect.left(), rect.top() + bar.y, rect.width(), bar.height));
    }
    painter.restore();
}

BrushedLines::BrushedLines(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    mwFollowInterface(this);
}

void BrushedLines::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.drawPixmap(
        0, 0, face_.get(size(), devicePixelRatioF(), QString(), [](QPainter& p, const QSizeF& s) {
            paintBrushedLines(p, QRectF(QPointF(), s));
        }));
}

MWPanel::MWPanel(QWidget* parent, double radius, double padding)
    : QWidget(parent), radius_(radius), padding_(padding)
{
    mwFollowInterface(this);
    connect(MWUI::shared(), &MWUI::zoomChanged, this, [this] { applyPadding(); });
    applyPadding();
}

bool MWPanel::event(QEvent* event)
{
    if (event->type() == QEvent::LayoutRequest)
        dropLayoutMargins(this);
    return QWidget::event(event);
}

void MWPanel::setRadius(double radius)
{
    radius_ = radius;
    update();
}

void MWPanel::setPadding(double padding)
{
    padding_ = padding;
    applyPadding();
}

void MWPanel::applyPadding()
{
    const int inset = int(std::lround(padding_ * zoom()));
    setContentsMargins(inset, inset, inset, inset);
}

QSize MWPanel::sizeHint() const
{
    dropLayoutMargins(this);
    const int corner = int(std::ceil(2 * radius_ * zoom()));
    return QWidget::sizeHint().expandedTo(QSize(corner, corner));
}

QSize MWPanel::minimumSizeHint() const
{
    dropLayoutMargins(this);
    const int corner = int(std::ceil(2 * radius_ * zoom()));
    return QWidget::minimumSizeHint().expandedTo(QSize(corner, corner));
}

void MWPanel::paintEvent(QPaintEvent*)
{
    const double r = radius_ * zoom();
    const auto draw = [r](QPainter& p, const QSizeF& s) {
        const MWTheme& t = MWUI::shared()->theme();
        const QRectF rect(QPointF(0.5, 0.5), s - QSizeF(1, 1));
        QPainterPath shape;
        shape.addRoundedRect(rect, r, r);
        p.fillPath(shape,
                   MWTheme::vertical(
                       rect, {{0.0, t.raised}, {0.35, t.panel}, {1.0, t.panel.darker(125)}}));
        p.save();
        p.setClipPath(shape);
        paintBrushedLines(p, rect, 0.07);
        p.restore();
        // A light upper edge and a dark outline lift the panel off the window.
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(alpha(t.deep, 0.9), 1.0));
        p.drawPath(shape);
        QLinearGradient rim(rect.topLeft(), rect.bottomLeft());
        rim.setColorAt(0, alpha(t.metalHi, 0.28));
        rim.setColorAt(0.25, alpha(t.metalHi, 0.04));
        rim.setColorAt(1, alpha(t.metalHi, 0.0));
        p.setPen(QPen(QBrush(rim), 1.0));
        p.drawRoundedRect(rect.adjusted(1, 1, -1, -1), std::max(0.0, r - 1), std::max(0.0, r - 1));
    };
    QPainter painter(this);
    painter.drawPixmap(0, 0,
                       face_.get(size(), devicePixelRatioF(), QString::number(radius_), draw));
}

MWWell::MWWell(QWidget* parent, double radius) : QWidget(parent), radius_(radius)
{
    mwFollowInterface(this);
}

bool MWWell::event(QEvent* event)
{
    if (event->type() == QEvent::LayoutRequest)
        dropLayoutMargins(this);
    return QWidget::event(event);
}

void MWWell::setRadius(double radius)
{
    radius_ = radius;
    update();
}

QSize MWWell::sizeHint() const
{
    dropLayoutMargins(this);
    const int corner = int(std::ceil(2 * radius_ * zoom()));
    return QWidget::sizeHint().expandedTo(QSize(corner, corner));
}

void MWWell::paintEvent(QPaintEvent*)
{
    const double r = radius_ * zoom();
    const double z = zoom();
    const auto draw = [r, z](QPainter& p, const QSizeF& s) {
        const MWTheme& t = MWUI::shared()->theme();
        const QRectF rect(QPointF(0.5, 0.5), s - QSizeF(1, 1));
        QPainterPath shape;
        shape.addRoundedRect(rect, r, r);
        p.fillPath(shape, t.well);
        // The inner shadow under the upper edge makes the well look sunk in.
        p.save();
        p.setClipPath(shape);
        const double depth = std::min(rect.height() / 2, 6.0 * z);
        QLinearGradient shadow(rect.topLeft(), rect.topLeft() + QPointF(0, depth));
        shadow.setColorAt(0, QColor(0, 0, 0, 150));
        shadow.setColorAt(1, QColor(0, 0, 0, 0));
        p.fillRect(QRectF(rect.left(), rect.top(), rect.width(), depth), shadow);
        p.restore();
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(QColor(0, 0, 0, 170), 1.0));
        p.drawPath(shape);
        QLinearGradient lip(rect.topLeft(), rect.bottomLeft());
        lip.setColorAt(0, alpha(t.metalHi, 0.0));
        lip.setColorAt(0.7, alpha(t.metalHi, 0.0));
        lip.setColorAt(1, alpha(t.metalHi, 0.22));
        p.setPen(QPen(QBrush(lip), 1.0));
        p.drawRoundedRect(rect.adjusted(-0.5, 0, 0.5, 0.5), r, r);
    };
    QPainter painter(this);
    painter.drawPixmap(0, 0,
                       face_.get(size(), devicePixelRatioF(), QString::number(radius_), draw));
}

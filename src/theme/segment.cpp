#include "theme/segment.h"

#include "theme/access.h"
#include "theme/fonts.h"
#include "theme/mwui.h"
#include "theme/segmentaccess.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <cmath>

namespace {

double zoom()
{
    return MWUI::shared()->zoom();
}

constexpr double kRing = 3;      // room for the focus ring, points
constexpr double kHeight = 26;   // track height, points
constexpr double kPadding = 12;  // either side of a label, points

QFont labelFont()
{
    return mwFont(12, QFont::Bold);
}

}  // namespace

MWSegment::MWSegment(QWidget* parent) : QWidget(parent)
{
    mwSegmentAccessibility();
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setCursor(Qt::PointingHandCursor);
    mwFollowInterface(this);
}

void MWSegment::setItems(const QVector<Item>& items)
{
    items_ = items;
    hovered_ = -1;
    mwAccessibleChanged(this, QAccessible::DescriptionChanged);
    updateGeometry();
    update();
}

void MWSegment::setSelection(const QVariant& value)
{
    const bool differs = value != selection_;
    const int before = selectedIndex();
    selection_ = value;
    update();
    if (differs) {
        mwSegmentSelectionMoved(this, before, selectedIndex());
        emit selectionChanged(selection_);
    }
}

int MWSegment::selectedIndex() const
{
    for (int i = 0; i < items_.size(); ++i) {
        if (items_[i].value == selection_)
            return i;
    }
    return -1;
}

QRectF MWSegment::itemRect(int index) const
{
    const double z = zoom();
    const QFontMetricsF metrics(labelFont());
    double x = kRing * z + 2 * z;
    for (int i = 0; i < items_.size(); ++i) {
        const double w = metrics.horizontalAdvance(items_[i].label) + 2 * kPadding * z;
        if (i == index)
            return QRectF(x, kRing * z + 2 * z, w, (kHeight - 4) * z);
        x += w;
    }
    return {};
}

QSize MWSegment::sizeHint() const
{
    const double z = zoom();
    const QFontMetricsF metrics(labelFont());
    double width = 4 * z;
    for (const Item& item : items_)
        width += metrics.horizontalAdvance(item.label) + 2 * kPadding * z;
    return QSize(int(std::ceil(width + 2 * kRing * z)), int(std::ceil((kHeight + 2 * kRing) * z)));
}

int MWSegment::itemAt(const QPointF& pos) const
{
    for (int i = 0; i < items_.size(); ++i) {
        const QRectF r = itemRect(i);
        if (pos.x() >= r.left() && pos.x() < r.right() && pos.y() >= 0 && pos.y() < height())
            return i;
    }
    return -1;
}

void MWSegment::choose(int index)
{
    if (index < 0 || index >= items_.size())
        return;
    setSelection(items_[index].value);
    emit activated(items_[index].value);
}

void MWSegment::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    choose(itemAt(event->position()));
}

void MWSegment::mouseMoveEvent(QMouseEvent* event)
{
    const int hovered = itemAt(event->position());
    if (hovered != hovered_) {
        hovered_ = hovered;
        update();
    }
}

void MWSegment::leaveEvent(QEvent*)
{
    hovered_ = -1;
    update();
}

void MWSegment::keyPressEvent(QKeyEvent* event)
{
    if (items_.isEmpty())
        return QWidget::keyPressEvent(event);
    const int current = selectedIndex();
    switch (event->key()) {
    case Qt::Key_Left:
        choose(current < 0 ? 0 : std::max(0, current - 1));
        break;
    case Qt::Key_Right:
        choose(current < 0 ? 0 : std::min(int(items_.size()) - 1, current + 1));
        break;
    default:
        QWidget::keyPressEvent(event);
    }
}

void MWSegment::focusInEvent(QFocusEvent* event)
{
    QWidget::focusInEvent(event);
    mwSegmentFocused(this);
}

void MWSegment::paintEvent(QPaintEvent*)
{
    const double z = zoom();
    QStringList labels;
    for (const Item& item : items_)
        labels.append(item.label);
    const QString variant =
        QStringLiteral("%1|%2|%3|").arg(selectedIndex()).arg(hovered_).arg(isEnabled()) +
        labels.join(QChar(0x1f));
    QPainter painter(this);
    painter.drawPixmap(0, 0,
                       face_.get(QWidget::size(), devicePixelRatioF(), variant,
                                 [this](QPainter& p, const QSizeF&) { drawFace(p); }));
    if (hasFocus()) {
        const QRectF track = QRectF(rect()).adjusted(kRing * z, kRing * z, -kRing * z, -kRing * z);
        mwPaintFocusRing(painter, track.adjusted(-1.5 * z, -1.5 * z, 1.5 * z, 1.5 * z), -1, z);
    }
}

void MWSegment::drawFace(QPainter& painter)
{
    const double z = zoom();
    const QRectF track = QRectF(rect()).adjusted(kRing * z, kRing * z, -kRing * z, -kRing * z);
    const auto drawTrack = [](QPainter& p, const QSizeF& s) {
        const MWTheme& t = MWUI::shared()->theme();
        const QRectF r(QPointF(0.5, 0.5), s - QSizeF(1, 1));
        QPainterPath capsule;
        capsule.addRoundedRect(r, r.height() / 2, r.height() / 2);
        p.fillPath(capsule, MWTheme::vertical(r, {{0, t.well}, {1, t.deep}}));
        p.setPen(QPen(QColor(0, 0, 0, 170), 1.0));
        p.drawPath(capsule);
        QLinearGradient lip(r.topLeft(), r.bottomLeft());
        lip.setColorAt(0.6, QColor(255, 255, 255, 0));
        lip.setColorAt(1, QColor(255, 255, 255, 40));
        p.setPen(QPen(QBrush(lip), 1.0));
        p.drawRoundedRect(r.adjusted(0, 0.5, 0, 0.5), r.height() / 2, r.height() / 2);
    };
    if (!isEnabled())
        painter.setOpacity(0.45);
    painter.save();
    painter.translate(track.topLeft());
    drawTrack(painter, track.size());
    painter.restore();

    const MWTheme& t = MWUI::shared()->theme();
    const int selected = selectedIndex();
    if (selected >= 0) {
        const QRectF r = itemRect(selected);
        QPainterPath capsule;
        capsule.addRoundedRect(r, r.height() / 2, r.height() / 2);
        painter.fillPath(capsule, MWTheme::vertical(r, t.chromeSoft()));
        painter.setPen(QPen(QColor(0, 0, 0, 150), 1.0));
        painter.drawPath(capsule);
    }
    painter.setFont(labelFont());
    for (int i = 0; i < items_.size(); ++i) {
        const QRectF r = itemRect(i);
        QColor ink = i == selected ? t.deep : (i == hovered_ ? t.text : t.dim);
        painter.setPen(ink);
        painter.drawText(r, Qt::AlignCenter, items_[i].label);
    }
}

#include "views/binrow.h"

#include "model/mwtime.h"
#include "store/store.h"
#include "theme/fonts.h"
#include "theme/mwui.h"
#include "theme/symbols.h"
#include "views/viewkit.h"

#include <QAccessible>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

namespace {
using CWViewKit::zoom;

QFont nameFont()
{
    return mwFont(11, QFont::DemiBold, MWDesign::Rounded);
}
QFont infoFont()
{
    return mwFont(9.5, QFont::Normal, MWDesign::Rounded);
}
QFont badgeFont()
{
    return mwMono(9.5, QFont::Bold);
}
constexpr double pad = 6;           // around a row's content, points at 100 %
constexpr double gap = 4;           // between a row's lines
constexpr double pictureHigh = 96;  // the thumbnail block
constexpr double removeSide = 15;   // the ✕
long long scaleCount = 0;
}  // namespace

CWBinRemoveButton::CWBinRemoveButton(QWidget* parent) : QAbstractButton(parent)
{
    setToolTip(tr("Remove from the bin"));
    setAccessibleName(tr("Remove from the bin"));
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::NoFocus);
}

QSize CWBinRemoveButton::sizeHint() const
{
    const int side = qRound(removeSide * zoom());
    return {side, side};
}

void CWBinRemoveButton::paintEvent(QPaintEvent*)
{
    const MWTheme& t = MWUI::shared()->theme();
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    MWSymbols::paint(&p, QRectF(rect()), "xmark.circle.fill", isDown() ? t.text : t.dim);
}

CWBinRow::CWBinRow(CWStore* store, QWidget* parent)
    : QWidget(parent), store_(store), remove_(new CWBinRemoveButton(this))
{
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    // Tab reaches each video; a click leaves the focus where it was, so the
    // editing keys keep working after choosing a video with the mouse.
    setFocusPolicy(Qt::TabFocus);
    // The key monitor leaves these to a focused row; letters still go to it.
    setProperty("cwTakesKeys", QVariantList{Qt::Key_Up, Qt::Key_Down, Qt::Key_Return,
                                            Qt::Key_Enter, Qt::Key_Space});
    connect(remove_, &QAbstractButton::clicked, this, [this] {
        // The bin drops this row from the store's change signal (later, as
        // the click is still being delivered to the ✕).
        store_->removeSource(id_);
    });
}

void CWBinRow::setSource(const CWSource& source)
{
    const QString name = QFileInfo(source.media.original).fileName();
    const QImage thumb = pickThumb(source.thumbs);
    if (source.id == id_ && name == name_ && source.media.naturalSize == naturalSize_ &&
        source.media.duration == duration_ && thumb.cacheKey() == thumb_.cacheKey())
        return;  // a change elsewhere in the bin: nothing here to draw again
    id_ = source.id;
    name_ = name;
    naturalSize_ = source.media.naturalSize;
    duration_ = source.media.duration;
    thumb_ = thumb;
    setAccessibleName(spokenName());
    update();
}

void CWBinRow::setClipCount(int count)
{
    if (count == clipCount_)
        return;
    clipCount_ = count;
    setAccessibleName(spokenName());
    update();
}

void CWBinRow::setSelected(bool selected)
{
    if (selected == selected_)
        return;
    selected_ = selected;
    setAccessibleDescription(selected ? tr("Current video") : QString());
    QAccessible::State state;
    state.selected = true;
    QAccessibleStateChangeEvent event(this, state);
    QAccessible::updateAccessibility(&event);
    update();
}

QString CWBinRow::spokenName() const
{
    return tr("%1, %2×%3, %4 clips, %5")
        .arg(name_)
        .arg(qRound(naturalSize_.width()))
        .arg(qRound(naturalSize_.height()))
        .arg(clipCount_)
        .arg(MWTime::clock(duration_, false));
}

void CWBinRow::choose()
{
    store_->select(id_);
}

QImage CWBinRow::pickThumb(const QList<Thumb>& thumbs)
{
    const qsizetype at = thumbs.size() / 3;
    return at < thumbs.size() ? thumbs[at].second : QImage();
}

long long CWBinRow::scalings()
{
    return scaleCount;
}

QString CWBinRow::info() const
{
    return QStringLiteral("%1×%2 · %3 clips")
        .arg(qRound(naturalSize_.width()))
        .arg(qRound(naturalSize_.height()))
        .arg(clipCount_);
}

QString CWBinRow::shownName() const
{
    return QFontMetricsF(nameFont()).elidedText(name_, Qt::ElideMiddle, nameRect().width());
}

double CWBinRow::nameHeight() const
{
    return std::ceil(QFontMetricsF(nameFont()).height());
}

double CWBinRow::infoHeight() const
{
    return std::max(std::ceil(QFontMetricsF(infoFont()).height()), removeSide * zoom());
}

QRectF CWBinRow::pictureRect() const
{
    const double z = zoom();
    return {pad * z, pad * z, std::max(0.0, width() - 2 * pad * z), pictureHigh * z};
}

QRectF CWBinRow::nameRect() const
{
    const QRectF picture = pictureRect();
    return {picture.left(), picture.bottom() + gap * zoom(), picture.width(), nameHeight()};
}

QRectF CWBinRow::infoRect() const
{
    const QRectF name = nameRect();
    const double room = name.width() - remove_->width() - gap * zoom();
    return {name.left(), name.bottom() + gap * zoom(), std::max(0.0, room), infoHeight()};
}

QSize CWBinRow::sizeHint() const
{
    const double z = zoom();
    const double h =
        pad * z + pictureHigh * z + gap * z + nameHeight() + gap * z + infoHeight() + pad * z;
    return QSizeF(160 * z, h).toSize();
}

QSize CWBinRow::minimumSizeHint() const
{
    return {qRound(60 * zoom()), sizeHint().height()};
}

void CWBinRow::resizeEvent(QResizeEvent*)
{
    placeRemove();
}

void CWBinRow::placeRemove()
{
    remove_->resize(remove_->sizeHint());
    const QRectF name = nameRect();
    const double y = name.bottom() + gap * zoom() + (infoHeight() - remove_->height()) / 2;
    remove_->move(qRound(name.right() - remove_->width()), qRound(y));
}

const QPixmap& CWBinRow::scaledThumb(const QSizeF& size, double dpr)
{
    const QSize pixels = (size * dpr).toSize();
    if (scaled_.isNull() || scaledFrom_ != thumb_.cacheKey() || scaledSize_ != pixels) {
        // Fill the block: scale to cover it, then keep the middle.
        const QImage cover =
            thumb_.scaled(pixels, Qt::KeepAspectRatioByExpanding, Qt::SmoothTransformation);
        const QRect middle(
            QPoint((cover.width() - pixels.width()) / 2, (cover.height() - pixels.height()) / 2),
            pixels);
        scaled_ = QPixmap::fromImage(cover.copy(middle));
        scaled_.setDevicePixelRatio(dpr);
        scaledFrom_ = thumb_.cacheKey();
        scaledSize_ = pixels;
        ++scaleCount;
    }
    return scaled_;
}

void CWBinRow::paintEvent(QPaintEvent*)
{
    const MWTheme& t = MWUI::shared()->theme();
    const double z = zoom();
    if (remove_->size() != remove_->sizeHint())
        placeRemove();  // the zoom changed since the last layout
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);

    // The row's plate, its border inside its bounds.
    const double line = selected_ ? 2 : 1;
    const QRectF plate = QRectF(rect()).adjusted(line / 2, line / 2, -line / 2, -line / 2);
    QColor fill = selected_ ? t.accent : t.raised;
    fill.setAlphaF(selected_ ? 0.25f : 0.5f);
    p.setPen(QPen(selected_ ? t.accent2 : t.metalLo, line));
    p.setBrush(fill);
    p.drawRoundedRect(plate, 14 * z - line / 2, 14 * z - line / 2);

    // The picture, or the well colour while the filmstrip is being made.
    const QRectF picture = pictureRect();
    if (picture.width() > 0) {
        QPainterPath clip;
        clip.addRoundedRect(picture, 10 * z, 10 * z);
        p.save();
        p.setClipPath(clip);
        if (thumb_.isNull())
            p.fillRect(picture, t.well);
        else
            p.drawPixmap(picture.topLeft(), scaledThumb(picture.size(), devicePixelRatioF()));
        p.restore();
    }

    // The length on a dark capsule in the picture's corner.
    const QString length = MWTime::clock(duration_, false);
    const QFontMetricsF badgeMetrics(badgeFont());
    const QSizeF badge(std::ceil(badgeMetrics.horizontalAdvance(length)) + 10 * z,
                       std::ceil(badgeMetrics.height()) + 2 * z);
    const QRectF badgeRect(picture.right() - 4 * z - badge.width(),
                           picture.bottom() - 4 * z - badge.height(), badge.width(),
                           badge.height());
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, qRound(0.7 * 255)));
    p.drawRoundedRect(badgeRect, badge.height() / 2, badge.height() / 2);
    p.setFont(badgeFont());
    p.setPen(Qt::white);
    p.drawText(badgeRect, Qt::AlignCenter, length);

    p.setFont(nameFont());
    p.setPen(t.text);
    p.drawText(nameRect(), Qt::AlignLeft | Qt::AlignVCenter, shownName());
    const QRectF infoBox = infoRect();
    p.setFont(infoFont());
    p.setPen(t.dim);
    p.drawText(infoBox, Qt::AlignLeft | Qt::AlignVCenter,
               QFontMetricsF(infoFont()).elidedText(info(), Qt::ElideRight, infoBox.width()));

    // Where the keyboard is, only while it is here: the look is otherwise unchanged.
    if (hasFocus()) {
        p.setPen(QPen(t.accent2, 2));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(QRectF(rect()).adjusted(1, 1, -1, -1), 14 * z - 1, 14 * z - 1);
    }
}

void CWBinRow::mousePressEvent(QMouseEvent* event)
{
    // Taken here so the press is not passed on to the scroll area behind.
    event->setAccepted(event->button() == Qt::LeftButton);
}

void CWBinRow::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        choose();
}

void CWBinRow::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        if (!event->isAutoRepeat())
            choose();
        return;
    case Qt::Key_Up:
    case Qt::Key_Down: {
        // The rows in their order on screen, which is the bin's order.
        QList<CWBinRow*> rows = parentWidget()->findChildren<CWBinRow*>(Qt::FindDirectChildrenOnly);
        rows.removeIf([](CWBinRow* r) { return !r->isVisible(); });
        std::sort(rows.begin(), rows.end(), [](CWBinRow* a, CWBinRow* b) { return a->y() < b->y(); });
        const qsizetype at = rows.indexOf(this) + (event->key() == Qt::Key_Up ? -1 : 1);
        if (at >= 0 && at < rows.size())
            rows[at]->setFocus(Qt::TabFocusReason);
        return;
    }
    default:
        QWidget::keyPressEvent(event);
    }
}

void CWBinRow::focusInEvent(QFocusEvent* event)
{
    QWidget::focusInEvent(event);
    CWViewKit::showInScroll(this);  // a focused row or chip is never hidden by the scroll
    update();
}

void CWBinRow::focusOutEvent(QFocusEvent* event)
{
    QWidget::focusOutEvent(event);
    update();
}

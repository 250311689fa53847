#include "views/rackchip.h"

#include "model/mwtime.h"
#include "store/store.h"
#include "theme/fonts.h"
#include "theme/mwui.h"
#include "theme/symbols.h"
#include "views/rack.h"
#include "views/viewkit.h"

#include <QAccessible>
#include <QEvent>
#include <QFontMetricsF>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>
#include <algorithm>

namespace {
using CWViewKit::zoom;

QFont nameFont()
{
    return mwFont(10.5, QFont::Bold, MWDesign::Rounded);
}
QFont infoFont()
{
    return mwMono(9, QFont::Medium);
}
QFont numberFont()
{
    return mwFont(10, QFont::Black, MWDesign::Rounded);
}
constexpr double closeSide = 12;  // the ✕ glyph, points at 100 %
}  // namespace

CWRackChip::CWRackChip(CWStore* store, const Clip& clip, int number, bool selected, QWidget* parent)
    : QWidget(parent), store_(store), clip_(clip), number_(number), selected_(selected)
{
    setAttribute(Qt::WA_Hover);
    setMouseTracking(true);
    // Only the rack's tab stop takes Tab; the arrows walk the rest. A click
    // leaves the focus where it was, so the editing keys keep working.
    setFocusPolicy(Qt::NoFocus);
    // The key monitor leaves these to a focused chip; letters still go to it.
    setProperty("cwTakesKeys", QVariantList{Qt::Key_Left, Qt::Key_Right, Qt::Key_Home, Qt::Key_End,
                                            Qt::Key_Return, Qt::Key_Enter, Qt::Key_Space,
                                            Qt::Key_Delete, Qt::Key_Backspace});
    measure();
    setAccessibleName(spokenName());
}

void CWRackChip::setClip(const Clip& clip, int number, bool selected)
{
    const bool textChanged = clip.name != clip_.name || info(clip) != info(clip_);
    const bool changed = textChanged || number != number_ || selected != selected_;
    const bool wasSelected = selected_;
    clip_ = clip;
    number_ = number;
    selected_ = selected;
    if (!changed)
        return;
    if (textChanged) {
        const QSize before = hint_;
        measure();
        if (hint_ != before)
            updateGeometry();
    }
    setAccessibleName(spokenName());
    if (selected != wasSelected) {
        QAccessible::State state;
        state.selected = true;
        QAccessibleStateChangeEvent event(this, state);
        QAccessible::updateAccessibility(&event);
    }
    update();
}

QString CWRackChip::spokenName() const
{
    return spokenName(clip_, number_);
}

QString CWRackChip::spokenName(const Clip& clip, int number)
{
    return tr("Clip %1, %2, %3, %4")
        .arg(number)
        .arg(clip.name, rawValue(clip.aspect),
             MWTime::clock(std::max(clip.outTime - clip.inTime, 0.0), true));
}

void CWRackChip::choose()
{
    // The store's own record, not this chip's copy: the click acts on the
    // clip as it is now.
    for (const Clip& c : store_->clips())
        if (c.id == clip_.id) {
            store_->selectClip(c);
            return;
        }
}

void CWRackChip::remove()
{
    // The rack drops this chip from the store's change signal, later, as
    // the click or key is still being delivered to it.
    store_->deleteClip(clip_.id);
}

QString CWRackChip::info(const Clip& clip)
{
    return rawValue(clip.aspect) + " · " +
           MWTime::clock(std::max(clip.outTime - clip.inTime, 0.0), true);
}

double CWRackChip::columnWidth() const
{
    const double widest = std::max(QFontMetricsF(nameFont()).horizontalAdvance(clip_.name),
                                   QFontMetricsF(infoFont()).horizontalAdvance(info(clip_)));
    return std::min(std::ceil(widest), 150 * zoom());
}

QSize CWRackChip::sizeHint() const
{
    return hint_;
}

void CWRackChip::measure()
{
    const double z = zoom();
    const double w = 8 * z + 18 * z + 6 * z + columnWidth() + 6 * z + closeSide * z + 8 * z;
    const double column = QFontMetricsF(nameFont()).height() + QFontMetricsF(infoFont()).height();
    const double h = 4 * z + std::max(18 * z, column) + 4 * z;
    hint_ = QSizeF(w, h).toSize();
}

void CWRackChip::restyle()
{
    measure();
    updateGeometry();
    update();
}

QRectF CWRackChip::closeRect() const
{
    const double z = zoom();
    const double side = closeSide * z;
    return {width() - 8 * z - side, (height() - side) / 2, side, side};
}

void CWRackChip::paintEvent(QPaintEvent*)
{
    const MWTheme& t = MWUI::shared()->theme();
    const double z = zoom();
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);

    // The capsule with its border drawn inside it.
    const QRectF body = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    QColor fill = selected_ ? t.accent : t.raised;
    fill.setAlphaF(selected_ ? 0.4f : 0.7f);
    p.setPen(QPen(selected_ ? t.accent2 : t.metalLo, 1));
    p.setBrush(fill);
    p.drawRoundedRect(body, body.height() / 2, body.height() / 2);

    // The number in its circle.
    const QRectF circle(8 * z, (height() - 18 * z) / 2, 18 * z, 18 * z);
    p.setPen(Qt::NoPen);
    p.setBrush(t.accent);
    p.drawEllipse(circle);
    p.setPen(Qt::white);
    p.setFont(numberFont());
    p.drawText(circle, Qt::AlignCenter, QString::number(number_));

    // Name over shape and length, elided to the column so a chip stays one line.
    const double column = columnWidth();
    const double x = circle.right() + 6 * z;
    const QFontMetricsF nameMetrics(nameFont());
    const QFontMetricsF infoMetrics(infoFont());
    const double top = (height() - nameMetrics.height() - infoMetrics.height()) / 2;
    p.setFont(nameFont());
    p.setPen(t.text);
    p.drawText(QRectF(x, top, column, nameMetrics.height()), Qt::AlignLeft | Qt::AlignVCenter,
               nameMetrics.elidedText(clip_.name, Qt::ElideRight, column));
    p.setFont(infoFont());
    p.setPen(t.dim);
    p.drawText(QRectF(x, top + nameMetrics.height(), column, infoMetrics.height()),
               Qt::AlignLeft | Qt::AlignVCenter,
               infoMetrics.elidedText(info(clip_), Qt::ElideRight, column));

    MWSymbols::paint(&p, closeRect(), "xmark", t.dim);

    // Where the keyboard is, only while it is here: the look is otherwise unchanged.
    if (hasFocus()) {
        p.setPen(QPen(t.accent2, 2));
        p.setBrush(Qt::NoBrush);
        const QRectF ring = QRectF(rect()).adjusted(1, 1, -1, -1);
        p.drawRoundedRect(ring, ring.height() / 2, ring.height() / 2);
    }
}

void CWRackChip::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !rect().contains(event->position().toPoint()))
        return;
    if (closeRect().contains(event->position()))
        remove();
    else
        choose();
}

void CWRackChip::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        if (!event->isAutoRepeat())
            choose();
        return;
    case Qt::Key_Delete:
    case Qt::Key_Backspace:
        if (event->isAutoRepeat())
            return;
        // The focus goes on to the next chip (the previous one at the end),
        // as the chip itself is about to go.
        if (!focusSibling(1))
            focusSibling(-1);
        remove();
        return;
    case Qt::Key_Left:
        focusSibling(-1);
        return;
    case Qt::Key_Right:
        focusSibling(1);
        return;
    case Qt::Key_Home:
        focusSibling(-number_ + 1);
        return;
    case Qt::Key_End:
        focusSibling(1 << 24);
        return;
    default:
        QWidget::keyPressEvent(event);
    }
}

bool CWRackChip::focusSibling(int step)
{
    for (QWidget* w = parentWidget(); w; w = w->parentWidget())
        if (auto* rack = qobject_cast<CWRack*>(w))
            return rack->moveFocus(this, step);
    return false;
}

void CWRackChip::focusInEvent(QFocusEvent* event)
{
    QWidget::focusInEvent(event);
    CWViewKit::showInScroll(this);  // a focused row or chip is never hidden by the scroll
    update();
}

void CWRackChip::focusOutEvent(QFocusEvent* event)
{
    QWidget::focusOutEvent(event);
    update();
}

bool CWRackChip::event(QEvent* event)
{
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        if (closeRect().contains(help->pos()))
            QToolTip::showText(help->globalPos(), tr("Delete clip"), this,
                               closeRect().toAlignedRect());
        else
            QToolTip::hideText();
        return true;
    }
    return QWidget::event(event);
}

#include "views/switchpair.h"

#include "theme/mwui.h"
#include "theme/switch.h"
#include "views/viewkit.h"

#include <algorithm>

namespace {
// Side by side the header's own spacing; stacked the switches' rings already
// keep them apart.
int across()
{
    return qRound(6 * CWViewKit::zoom());
}
int down()
{
    return qRound(2 * CWViewKit::zoom());
}
}  // namespace

CWSwitchPair::CWSwitchPair(MWSwitch* first, MWSwitch* second, QWidget* parent)
    : QWidget(parent), first_(first), second_(second)
{
    first_->setParent(this);
    second_->setParent(this);
    setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Fixed);
    // The switches take their new sizes on the same signal; place them with
    // those even when the pair's own size stays.
    connect(MWUI::shared(), &MWUI::changed, this, [this] {
        updateGeometry();
        place();
    });
    place();
}

void CWSwitchPair::setStacked(bool stacked)
{
    if (stacked_ == stacked)
        return;
    stacked_ = stacked;
    updateGeometry();
    place();
}

QSize CWSwitchPair::rowSize() const
{
    const QSize a = first_->sizeHint();
    const QSize b = second_->sizeHint();
    return {a.width() + across() + b.width(), std::max(a.height(), b.height())};
}

QSize CWSwitchPair::stackedSize() const
{
    const QSize a = first_->sizeHint();
    const QSize b = second_->sizeHint();
    return {std::max(a.width(), b.width()), a.height() + down() + b.height()};
}

QSize CWSwitchPair::sizeHint() const
{
    return stacked_ ? stackedSize() : rowSize();
}

QSize CWSwitchPair::minimumSizeHint() const
{
    return {stackedSize().width(), sizeHint().height()};
}

void CWSwitchPair::resizeEvent(QResizeEvent*)
{
    place();
}

void CWSwitchPair::place()
{
    const QSize a = first_->sizeHint();
    const QSize b = second_->sizeHint();
    if (stacked_) {
        const int left = width() - std::max(a.width(), b.width());
        first_->setGeometry(QRect(QPoint(left, 0), a));
        second_->setGeometry(QRect(QPoint(left, a.height() + down()), b));
        return;
    }
    const int right = width() - b.width();
    second_->setGeometry(QRect(QPoint(right, (height() - b.height()) / 2), b));
    first_->setGeometry(
        QRect(QPoint(right - across() - a.width(), (height() - a.height()) / 2), a));
}

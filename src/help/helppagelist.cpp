#include "help/helppagelist.h"

#include "theme/fonts.h"
#include "theme/kit.h"
#include "theme/mwui.h"
#include "theme/symbols.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <cmath>

namespace {

double z()
{
    return MWUI::shared()->zoom();
}

QFont titleFont(bool shown)
{
    return mwFont(12.5, shown ? QFont::Bold : QFont::Medium, MWDesign::Rounded);
}

}  // namespace

MWHelpPageList::MWHelpPageList(QWidget* parent) : QWidget(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    setAccessibleName(QStringLiteral("Help pages"));
    mwFollowInterface(this);
}

void MWHelpPageList::setPages(const QList<HelpPage>& pages)
{
    pages_ = pages;
    updateGeometry();
    update();
}

void MWHelpPageList::setSelected(const QString& id)
{
    selected_ = id;
    update();
}

int MWHelpPageList::rowHeight() const
{
    return int(std::ceil(std::max(QFontMetricsF(titleFont(true)).height(), 18 * z()) + 12 * z()));
}

QRect MWHelpPageList::rowRect(const QString& id) const
{
    for (qsizetype i = 0; i < pages_.size(); ++i)
        if (pages_[i].id == id)
            return QRect(0, int(i) * rowHeight(), width(), rowHeight());
    return {};
}

QSize MWHelpPageList::sizeHint() const
{
    return QSize(int(200 * z()), rowHeight() * int(pages_.size()));
}

QSize MWHelpPageList::minimumSizeHint() const
{
    return QSize(0, sizeHint().height());
}

void MWHelpPageList::paintEvent(QPaintEvent*)
{
    const MWTheme& t = MWUI::shared()->theme();
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const int h = rowHeight();
    for (qsizetype i = 0; i < pages_.size(); ++i) {
        const HelpPage& page = pages_[i];
        const bool shown = page.id == selected_;
        const QRectF r(0, double(i) * h, width(), h);
        if (shown) {
            QColor capsule = t.accent;
            capsule.setAlphaF(0.28f);
            const QRectF c = r.adjusted(0, 2 * z(), 0, -2 * z());
            painter.setPen(Qt::NoPen);
            painter.setBrush(capsule);
            painter.drawRoundedRect(c, c.height() / 2, c.height() / 2);
        }
        const double inset = 10 * z();
        const QRectF icon(r.left() + inset, r.center().y() - 9 * z(), 18 * z(), 18 * z());
        MWSymbols::paint(&painter, icon.adjusted(1 * z(), 1 * z(), -1 * z(), -1 * z()), page.symbol,
                         shown ? t.text : t.accent);
        painter.setFont(titleFont(shown));
        painter.setPen(shown ? t.text : t.text.darker(115));
        const QRectF text(icon.right() + 8 * z(), r.top(),
                          r.right() - icon.right() - 8 * z() - inset, r.height());
        painter.drawText(
            text, Qt::AlignLeft | Qt::AlignVCenter,
            QFontMetrics(painter.font()).elidedText(page.title, Qt::ElideRight, int(text.width())));
    }
    if (hasFocus()) {
        const QRect r = rowRect(selected_);
        if (!r.isEmpty())
            mwPaintFocusRing(painter, QRectF(r).adjusted(1, 3, -1, -3), -1, z());
    }
}

void MWHelpPageList::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const int i = int(event->position().y()) / std::max(1, rowHeight());
    if (i >= 0 && i < pages_.size())
        emit picked(pages_[i].id);
}

void MWHelpPageList::keyPressEvent(QKeyEvent* event)
{
    const int step = event->key() == Qt::Key_Down ? 1 : event->key() == Qt::Key_Up ? -1 : 0;
    if (step == 0 || pages_.isEmpty()) {
        QWidget::keyPressEvent(event);
        return;
    }
    qsizetype at = -1;
    for (qsizetype i = 0; i < pages_.size(); ++i)
        if (pages_[i].id == selected_)
            at = i;
    const qsizetype next = at < 0 ? (step > 0 ? 0 : pages_.size() - 1)
                                  : std::clamp<qsizetype>(at + step, 0, pages_.size() - 1);
    emit picked(pages_[next].id);
}

#include "theme/badge.h"

#include "theme/access.h"
#include "theme/fonts.h"
#include "theme/kit.h"
#include "theme/mwui.h"

#include <QDesktopServices>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QUrl>
#include <cmath>

namespace {

double zoom()
{
    return MWUI::shared()->zoom();
}

QFont badgeFont()
{
    return mwFont(9.5, QFont::Bold, MWDesign::Rounded);
}

QFont nameFont(bool hovered)
{
    QFont font = mwFont(11, QFont::DemiBold);
    font.setUnderline(hovered);
    return font;
}

const QString kName = QStringLiteral("Marrowick");

// A link a reader can follow: pressed through the bus, it opens the site.
class CreditAccessible : public MWAccessibleWidget {
public:
    explicit CreditAccessible(QWidget* widget) : MWAccessibleWidget(widget, QAccessible::Link) {}
    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString& name) override
    {
        if (name == pressAction())
            static_cast<MWSOCredit*>(widget())->open();
    }
};
constexpr double kGap = 6;

}  // namespace

MWSOBadge::MWSOBadge(QWidget* parent) : QWidget(parent)
{
    setAccessibleName(QStringLiteral("MWSO"));
    mwFollowInterface(this);
}

QSize MWSOBadge::sizeHint() const
{
    const double z = zoom();
    const QFontMetricsF metrics(badgeFont());
    return QSize(int(std::ceil(metrics.horizontalAdvance(QStringLiteral("MWSO")) + 14 * z)),
                 int(std::ceil(metrics.height() + 4 * z)));
}

void MWSOBadge::paintEvent(QPaintEvent*)
{
    const MWTheme& t = MWUI::shared()->theme();
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF r = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    QPainterPath capsule;
    capsule.addRoundedRect(r, r.height() / 2, r.height() / 2);
    painter.fillPath(capsule, MWTheme::vertical(r, t.chromeSoft()));
    painter.setPen(QPen(QColor(0, 0, 0, 150), 1.0));
    painter.drawPath(capsule);
    painter.setFont(badgeFont());
    painter.setPen(t.deep);
    painter.drawText(r, Qt::AlignCenter, QStringLiteral("MWSO"));
}

MWSOCredit::MWSOCredit(QWidget* parent) : QWidget(parent), badge_(new MWSOBadge(this))
{
    mwRegisterAccessible(QStringLiteral("MWSOCredit"), [](QWidget* w) -> QAccessibleInterface* {
        return new CreditAccessible(w);
    });
    badge_->setAttribute(Qt::WA_TransparentForMouseEvents);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
    setToolTip(
        QStringLiteral("Made by Marrowick. Click to visit %1").arg(QLatin1String(kMarrowickSite)));
    setAccessibleName(QStringLiteral("MWSO Marrowick"));
    setAccessibleDescription(toolTip());
    mwFollowInterface(this);
    connect(MWUI::shared(), &MWUI::changed, this, &MWSOCredit::placeBadge);
    placeBadge();
}

QSize MWSOCredit::sizeHint() const
{
    const QSize badge = badge_->sizeHint();
    const QFontMetricsF metrics(nameFont(false));
    return QSize(
        int(std::ceil(badge.width() + kGap * zoom() + metrics.horizontalAdvance(kName) + 1)),
        std::max(badge.height(), int(std::ceil(metrics.height()))));
}

void MWSOCredit::placeBadge()
{
    const QSize badge = badge_->sizeHint();
    badge_->setGeometry(0, (height() - badge.height()) / 2, badge.width(), badge.height());
}

void MWSOCredit::resizeEvent(QResizeEvent*)
{
    placeBadge();
}

void MWSOCredit::paintEvent(QPaintEvent*)
{
    const QSize badge = badge_->sizeHint();
    const MWTheme& t = MWUI::shared()->theme();
    QPainter painter(this);
    painter.setFont(nameFont(hovered_ || hasFocus()));
    painter.setPen(hovered_ ? t.text : t.dim);
    painter.drawText(QRectF(badge.width() + kGap * zoom(), 0, width(), height()),
                     Qt::AlignLeft | Qt::AlignVCenter, kName);
}

void MWSOCredit::open()
{
    QDesktopServices::openUrl(QUrl(QLatin1String(kMarrowickSite)));
    emit opened();
}

void MWSOCredit::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        open();
}

void MWSOCredit::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter ||
        event->key() == Qt::Key_Space)
        open();
    else
        QWidget::keyPressEvent(event);
}

void MWSOCredit::enterEvent(QEnterEvent*)
{
    hovered_ = true;
    update();
}

void MWSOCredit::leaveEvent(QEvent*)
{
    hovered_ = false;
    update();
}

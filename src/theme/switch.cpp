#include "theme/switch.h"

#include "theme/fonts.h"
#include "theme/mwui.h"

#include "theme/access.h"

#include <QEvent>
#include <QPainter>
#include <QPainterPath>
#include <cmath>

namespace {

double zoom()
{
    return MWUI::shared()->zoom();
}

constexpr double kRing = 3;  // room for the focus ring, points
constexpr double kTrackW = 34;
constexpr double kTrackH = 18;
constexpr double kGap = 8;  // between track and title, points

QFont titleFont()
{
    return mwFont(12, QFont::Medium);
}

// Screen readers know a switch best as a check box with its checked state.
class SwitchAccessible : public MWAccessibleWidget {
public:
    explicit SwitchAccessible(QWidget* widget) : MWAccessibleWidget(widget, QAccessible::CheckBox)
    {}
    QAccessible::State state() const override
    {
        QAccessible::State state = MWAccessibleWidget::state();
        state.checkable = true;
        state.checked = static_cast<MWSwitch*>(widget())->isChecked();
        return state;
    }
    QStringList actionNames() const override { return {toggleAction()}; }
    // As a click: the view hears clicked and toggled, not only the new state.
    void doAction(const QString& name) override
    {
        if (name == toggleAction() && widget()->isEnabled())
            static_cast<MWSwitch*>(widget())->click();
    }
};

}  // namespace

MWSwitch::MWSwitch(const QString& title, QWidget* parent) : QAbstractButton(parent)
{
    mwRegisterAccessible(QStringLiteral("MWSwitch"), [](QWidget* w) -> QAccessibleInterface* {
        return new SwitchAccessible(w);
    });
    setText(title);
    setCheckable(true);
    setAttribute(Qt::WA_Hover);
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::PointingHandCursor);
    // A click flips it anywhere inside: a row must not stretch it past its title.
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setAccessibleName(title);
    connect(this, &QAbstractButton::toggled, this, [this] { update(); });
    mwFollowInterface(this);
}

bool MWSwitch::event(QEvent* event)
{
    if (event->type() == QEvent::HoverEnter || event->type() == QEvent::HoverLeave)
        update();
    return QAbstractButton::event(event);
}

QRectF MWSwitch::trackRect() const
{
    const double z = zoom();
    return QRectF(kRing * z, height() / 2.0 - kTrackH * z / 2, kTrackW * z, kTrackH * z);
}

QSize MWSwitch::sizeHint() const
{
    const double z = zoom();
    const QFontMetricsF metrics(titleFont());
    const double title = text().isEmpty() ? 0 : kGap * z + metrics.horizontalAdvance(text());
    const double width = (kTrackW + 2 * kRing) * z + title;
    const double height = std::max((kTrackH + 2 * kRing) * z, metrics.height());
    return QSize(int(std::ceil(width)), int(std::ceil(height)));
}

void MWSwitch::paintEvent(QPaintEvent*)
{
    const double z = zoom();
    const QString variant =
        QStringLiteral("%1|%2|%3|").arg(isChecked()).arg(underMouse()).arg(isEnabled()) + text();
    QPainter painter(this);
    painter.drawPixmap(0, 0,
                       face_.get(QWidget::size(), devicePixelRatioF(), variant,
                                 [this](QPainter& p, const QSizeF&) { drawFace(p); }));
    if (hasFocus()) {
        const QRectF track = trackRect();
        mwPaintFocusRing(painter, track.adjusted(-1.5 * z, -1.5 * z, 1.5 * z, 1.5 * z), -1, z);
    }
}

void MWSwitch::drawFace(QPainter& painter)
{
    const double z = zoom();
    const MWTheme& t = MWUI::shared()->theme();
    const QRectF track = trackRect();
    const bool on = isChecked();
    if (!isEnabled())
        painter.setOpacity(0.45);

    const auto drawTrack = [on](QPainter& p, const QSizeF& s) {
        const MWTheme& th = MWUI::shared()->theme();
        const QRectF r(QPointF(0.5, 0.5), s - QSizeF(1, 1));
        QPainterPath capsule;
        capsule.addRoundedRect(r, r.height() / 2, r.height() / 2);
        if (on)
            p.fillPath(capsule, MWTheme::vertical(r, {{0, th.accent.darker(140)}, {1, th.accent}}));
        else
            p.fillPath(capsule, MWTheme::vertical(r, {{0, th.well}, {1, th.metalLo}}));
        p.setPen(QPen(QColor(0, 0, 0, 170), 1.0));
        p.drawPath(capsule);
        // A lit lower lip makes the track read as cut into the panel, even off.
        QLinearGradient lip(r.topLeft(), r.bottomLeft());
        lip.setColorAt(0.6, QColor(255, 255, 255, 0));
        lip.setColorAt(1, QColor(255, 255, 255, 60));
        p.setPen(QPen(QBrush(lip), 1.0));
        p.drawRoundedRect(r.adjusted(0, 0.5, 0, 0.5), r.height() / 2, r.height() / 2);
    };
    painter.save();
    painter.translate(track.topLeft());
    drawTrack(painter, track.size());
    painter.restore();

    const double inset = 2 * z;
    const double d = track.height() - 2 * inset;
    const double x = on ? track.right() - inset - d : track.left() + inset;
    const QRectF thumb(x, track.top() + inset, d, d);
    painter.setPen(QPen(QColor(0, 0, 0, 160), 1.0));
    painter.setBrush(MWTheme::vertical(thumb, t.chrome()));
    painter.drawEllipse(thumb);
    if (underMouse()) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(255, 255, 255, 40));
        painter.drawEllipse(thumb);
    }
    if (!text().isEmpty()) {
        painter.setFont(titleFont());
        painter.setPen(t.text);
        painter.drawText(QRectF(track.right() + kGap * z, 0, width(), height()),
                         Qt::AlignVCenter | Qt::AlignLeft, text());
    }
}

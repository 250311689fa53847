#include "theme/knob.h"

#include "theme/fonts.h"
#include "theme/mwui.h"

#include "theme/access.h"

#include <QAccessibleValueInterface>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

double zoom()
{
    return MWUI::shared()->zoom();
}

constexpr double kTrackGap = 7;  // between the knob's edge and the track's middle, points
constexpr double kSpacing = 3;   // between label, knob and value, points

QFont labelFont()
{
    return mwFont(10, QFont::DemiBold);
}

QFont valueFont()
{
    return mwMono(11, QFont::Medium);
}

class KnobAccessible : public MWAccessibleWidget, public QAccessibleValueInterface {
public:
    explicit KnobAccessible(QWidget* widget) : MWAccessibleWidget(widget, QAccessible::Dial) {}

    void* interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::ValueInterface)
            return static_cast<QAccessibleValueInterface*>(this);
        return MWAccessibleWidget::interface_cast(type);
    }
    QVariant currentValue() const override { return knob()->value(); }
    // A value set through the bus stays in the range, as a drag's does.
    void setCurrentValue(const QVariant& value) override
    {
        knob()->setValue(std::clamp(value.toDouble(), knob()->minimum(), knob()->maximum()));
    }
    QVariant maximumValue() const override { return knob()->maximum(); }
    QVariant minimumValue() const override { return knob()->minimum(); }
    QVariant minimumStepSize() const override
    {
        return (knob()->maximum() - knob()->minimum()) / 100.0;
    }

    QStringList actionNames() const override { return {increaseAction(), decreaseAction()}; }
    void doAction(const QString& name) override
    {
        const double step = (knob()->maximum() - knob()->minimum()) / 100.0;
        const double sign = name == increaseAction() ? 1 : name == decreaseAction() ? -1 : 0;
        setCurrentValue(knob()->value() + sign * step);
    }

protected:
    QString valueText() const override { return knob()->valueText(); }

private:
    MWKnob* knob() const { return static_cast<MWKnob*>(widget()); }
};

}  // namespace

double MWKnobMath::dragValue(double start, double dy, double lo, double hi)
{
    return std::clamp(start + (-dy / 180.0) * (hi - lo), lo, hi);
}

double MWKnobMath::fraction(double value, double lo, double hi)
{
    if (!(hi > lo))
        return 0;
    return std::clamp((value - lo) / (hi - lo), 0.0, 1.0);
}

double MWKnobMath::pointerDegrees(double fraction)
{
    return -135.0 + fraction * 270.0;
}

MWKnob::MWKnob(const QString& label, double lo, double hi, double size, QWidget* parent)
    : QWidget(parent), value_(lo), lo_(lo), hi_(hi), size_(size), label_(label)
{
    mwRegisterAccessible(QStringLiteral("MWKnob"),
                         [](QWidget* w) -> QAccessibleInterface* { return new KnobAccessible(w); });
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::SizeVerCursor);
    setToolTip(QStringLiteral("Drag up or down to change"));
    setAccessibleName(label);
    mwFollowInterface(this);
}

void MWKnob::setValue(double value)
{
    if (value == value_)
        return;
    value_ = value;
    update();
    mwAccessibleValueChanged(this, value_);
    emit valueChanged(value_);
}

void MWKnob::setRange(double lo, double hi)
{
    lo_ = lo;
    hi_ = hi;
    update();
}

void MWKnob::setSize(double size)
{
    size_ = size;
    updateGeometry();
    update();
}

void MWKnob::setLabel(const QString& label)
{
    label_ = label;
    setAccessibleName(label);
    updateGeometry();
    update();
}

void MWKnob::setFormat(Format format)
{
    format_ = std::move(format);
    updateGeometry();
    update();
}

QString MWKnob::valueText() const
{
    return format_ ? format_(value_) : QString::number(value_, 'f', 2);
}

QSize MWKnob::sizeHint() const
{
    const double z = zoom();
    const double dial = (size_ + 2 * kTrackGap + 4) * z;
    const QFontMetricsF label(labelFont());
    const QFontMetricsF value(valueFont());
    const double width = std::max({dial, label.horizontalAdvance(label_) + 4 * z,
                                   value.horizontalAdvance(valueText()) + 4 * z});
    const double height = label.height() + dial + value.height() + 2 * kSpacing * z;
    return QSize(int(std::ceil(width)), int(std::ceil(height)));
}

QRectF MWKnob::knobRect() const
{
    const double z = zoom();
    const double d = size_ * z;
    const double top = QFontMetricsF(labelFont()).height() + kSpacing * z + (kTrackGap + 2) * z;
    return QRectF(width() / 2.0 - d / 2, top, d, d);
}

void MWKnob::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return QWidget::mousePressEvent(event);
    press_ = event->position();
    dragStart_.reset();
}

void MWKnob::mouseMoveEvent(QMouseEvent* event)
{
    // A turn lasts only while its button is down (an alert may have taken the release).
    if (press_ && !(event->buttons() & Qt::LeftButton) && event->type() == QEvent::MouseMove) {
        press_.reset();
        dragStart_.reset();
    }
    if (!press_)
        return;
    const QPointF travel = event->position() - *press_;
    if (!dragStart_) {
        // A drag begins once the pointer has moved a point; a click alone changes nothing.
        if (std::hypot(travel.x(), travel.y()) < 1.0)
            return;
        dragStart_ = value_;
    }
    setValue(MWKnobMath::dragValue(*dragStart_, travel.y(), lo_, hi_));
}

void MWKnob::mouseReleaseEvent(QMouseEvent* event)
{
    if (press_ && dragStart_)
        mouseMoveEvent(event);
    press_.reset();
    dragStart_.reset();
}

void MWKnob::step(double share)
{
    setValue(std::clamp(value_ + share * (hi_ - lo_), lo_, hi_));
}

void MWKnob::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Up:
    case Qt::Key_Right:
        step(0.01);
        break;
    case Qt::Key_Down:
    case Qt::Key_Left:
        step(-0.01);
        break;
    case Qt::Key_PageUp:
        step(0.1);
        break;
    case Qt::Key_PageDown:
        step(-0.1);
        break;
    case Qt::Key_Home:
        setValue(lo_);
        break;
    case Qt::Key_End:
        setValue(hi_);
        break;
    default:
        QWidget::keyPressEvent(event);
    }
}

void MWKnob::enterEvent(QEnterEvent*)
{
    hovered_ = true;
    update();
}

void MWKnob::leaveEvent(QEvent*)
{
    hovered_ = false;
    update();
}

void MWKnob::paintEvent(QPaintEvent*)
{
    const double z = zoom();
    const QString variant = QStringLiteral("%1|%2|%3|%4|%5|")
                                .arg(value_, 0, 'g', 17)
                                .arg(lo_, 0, 'g', 17)
                                .arg(hi_, 0, 'g', 17)
                                .arg(hovered_)
                                .arg(isEnabled()) +
                            label_ + QChar(0x1f) + valueText();
    QPainter painter(this);
    painter.drawPixmap(0, 0,
                       face_.get(QWidget::size(), devicePixelRatioF(), variant,
                                 [this](QPainter& p, const QSizeF&) { drawFace(p); }));
    if (hasFocus()) {
        const double gap = kTrackGap * z;
        const QRectF arcRect = knobRect().adjusted(-gap, -gap, gap, gap);
        mwPaintFocusRing(painter, arcRect.adjusted(-3 * z, -3 * z, 3 * z, 3 * z), -1, z);
    }
}

void MWKnob::drawFace(QPainter& painter)
{
    const double z = zoom();
    const MWTheme& t = MWUI::shared()->theme();
    const QRectF body = knobRect();
    if (!isEnabled())
        painter.setOpacity(0.45);

    painter.setFont(labelFont());
    painter.setPen(t.dim);
    const double labelHeight = QFontMetricsF(labelFont()).height();
    painter.drawText(QRectF(0, 0, width(), labelHeight), Qt::AlignCenter, label_);

    // The track: 270° clockwise from 7:30 to 4:30. Qt counts degrees
    // anticlockwise from 3 o'clock, so 7:30 is 225° and the sweep is −270°.
    const double gap = kTrackGap * z;
    const QRectF arcRect = body.adjusted(-gap, -gap, gap, gap);
    const double f = MWKnobMath::fraction(value_, lo_, hi_);
    // The unlit track in the darkest metal, so it shows on every background.
    painter.setPen(QPen(t.metalLo, 3.5 * z, Qt::SolidLine, Qt::RoundCap));
    painter.drawArc(arcRect, 225 * 16, -270 * 16);
    if (f > 0) {
        QColor lit = t.accent;
        painter.setPen(QPen(lit, 2.5 * z, Qt::SolidLine, Qt::RoundCap));
        painter.drawArc(arcRect, 225 * 16, int(std::lround(-270 * 16 * f)));
    }

    const auto drawBody = [z](QPainter& p, const QSizeF& s) {
        const MWTheme& th = MWUI::shared()->theme();
        const QRectF r(QPointF(0.5, 0.5), s - QSizeF(1, 1));
        p.setPen(Qt::NoPen);
        p.setBrush(MWTheme::vertical(r, th.chrome()));
        p.drawEllipse(r);
        const double inset = 3.0 * z;
        const QRectF cap = r.adjusted(inset, inset, -inset, -inset);
        p.setBrush(MWTheme::vertical(cap, th.chromeSoft()));
        p.drawEllipse(cap);
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(QColor(0, 0, 0, 150), 1.0));
        p.drawEllipse(r);
    };
    painter.save();
    painter.translate(body.topLeft());
    drawBody(painter, body.size());
    painter.restore();
    if (hovered_) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(255, 255, 255, 28));
        painter.drawEllipse(body);
    }

    // The pointer: a short bar from near the centre towards the rim.
    const double turn = MWKnobMath::pointerDegrees(f) * std::numbers::pi / 180.0;
    const QPointF centre = body.center();
    const QPointF dir(std::sin(turn), -std::cos(turn));
    const double radius = body.width() / 2;
    painter.setPen(QPen(t.deep, 3.0 * z, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(centre + dir * radius * 0.3, centre + dir * radius * 0.78);
    painter.setPen(QPen(t.accent, 1.8 * z, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(centre + dir * radius * 0.35, centre + dir * radius * 0.74);

    painter.setFont(valueFont());
    painter.setPen(t.text);
    const double valueTop = arcRect.bottom() + 2 * z + kSpacing * z - 6 * z;
    painter.drawText(QRectF(0, valueTop, width(), height() - valueTop),
                     Qt::AlignHCenter | Qt::AlignTop, valueText());
}

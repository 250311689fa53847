#pragma once

#include "theme/kit.h"

#include <QWidget>
#include <functional>
#include <optional>

// The knob's arithmetic, apart from the widget so it can be checked alone.
namespace MWKnobMath {
// The value a drag leaves: start + (−dy ÷ 180) × (hi − lo), clamped to lo…hi.
// dy is the vertical travel since the press, downwards positive, in points;
// 180 points cover the whole range whatever the zoom.
double dragValue(double start, double dy, double lo, double hi);
// How far value stands in lo…hi, kept to 0…1.
double fraction(double value, double lo, double hi);
// The pointer's turn from straight up, clockwise, in degrees: −135 at the
// minimum, 0 in the middle, +135 at the maximum.
double pointerDegrees(double fraction);
}  // namespace MWKnobMath

// A rotary knob of diameter size (points at 100 %) with its label above and
// format(value) below. Dragging up raises the value, 180 points of travel cover
// the range; a three-quarter track runs clockwise from the 7:30 to the 4:30
// position with the value's share of it lit. Arrow keys step by a hundredth of
// the range, Page Up/Down by a tenth.
class MWKnob : public QWidget {
    Q_OBJECT
public:
    using Format = std::function<QString(double)>;

    explicit MWKnob(const QString& label = QString(), double lo = 0, double hi = 1,
                    double size = 44, QWidget* parent = nullptr);

    double value() const { return value_; }
    // Emits valueChanged when the value differs; does not clamp.
    void setValue(double value);
    double minimum() const { return lo_; }
    double maximum() const { return hi_; }
    void setRange(double lo, double hi);
    double size() const { return size_; }
    void setSize(double size);
    QString label() const { return label_; }
    void setLabel(const QString& label);
    // Text shown for a value; two decimals when none is given.
    void setFormat(Format format);
    QString valueText() const;

    // Where the knob's circle is drawn, in widget coordinates.
    QRectF knobRect() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

signals:
    void valueChanged(double value);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void step(double share);
    // Everything but the focus ring, into the cached face.
    void drawFace(QPainter& painter);

    double value_ = 0;
    double lo_;
    double hi_;
    double size_;
    QString label_;
    Format format_;
    std::optional<QPointF> press_;
    std::optional<double> dragStart_;
    bool hovered_ = false;
    MWFace face_;
};

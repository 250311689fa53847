#pragma once

#include "model/aspect.h"

#include <QAbstractButton>

class QGraphicsDropShadowEffect;

// One shape to choose in the inspector: a miniature of the shape over its
// ratio and the line naming where it is used, on a rounded face that lights up
// while the shape is the current one. The whole face takes clicks. A screen
// reader finds one of four radio buttons, the current shape checked.
class CWShapeTile : public QAbstractButton {
    Q_OBJECT
public:
    explicit CWShapeTile(Aspect aspect, QWidget* parent = nullptr);

    Aspect aspect() const { return aspect_; }
    bool selected() const { return selected_; }
    void setSelected(bool selected);

    // The miniature's size: the shape at 34 points (× zoom) high, the wide shape
    // 1.6 × 34 points across instead.
    static QSizeF miniature(Aspect aspect, double zoom);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool hitButton(const QPoint& pos) const override;

private:
    void restyle();
    QPainterPath face() const;

    Aspect aspect_;
    bool selected_ = false;
    QGraphicsDropShadowEffect* glow_;
};

#pragma once

#include "theme/kit.h"

#include <QAbstractButton>

// A slide switch (a 34 × 18 point track at 100 %, with a round thumb) beside its
// title. A click anywhere on the switch or its title, or Space with the
// keyboard focus, flips it; toggled(bool) reports the new state.
class MWSwitch : public QAbstractButton {
    Q_OBJECT
public:
    explicit MWSwitch(const QString& title = QString(), QWidget* parent = nullptr);

    bool isOn() const { return isChecked(); }
    void setOn(bool on) { setChecked(on); }

    // Where the track is drawn, in widget coordinates.
    QRectF trackRect() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    bool event(QEvent* event) override;

private:
    // Everything but the focus ring, into the cached face.
    void drawFace(QPainter& painter);

    MWFace face_;
};

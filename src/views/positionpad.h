#pragma once

#include "store/store.h"
#include "views/cropframe.h"

#include <optional>

#include <QWidget>

class CWStore;

// A small square that shows the centre of the current frame as a dot and
// moves it: a press puts the frame there at once and a drag keeps it under the
// pointer, always through the crop frame rule, so the dot only ever stands
// where the frame can really be. A screen reader finds it as "Position" with
// the centre in words ("Centre 50 %, 50 %"), and two sliders in it, across
// and down, that a reader can set.
class CWPositionPad : public QWidget {
    Q_OBJECT
public:
    explicit CWPositionPad(CWStore* store, QWidget* parent = nullptr);

    // The pad's side, 86 points times the zoom.
    static double side();
    // Where the dot's centre is drawn, in the pad's coordinates.
    QPointF dotCentre() const;
    CWStore* store() const { return store_; }
    // Puts the frame's centre as near the wanted one (fractions of the
    // picture) as the frame can go, as a click there would.
    void place(QPointF wanted);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    bool event(QEvent* event) override;

private:
    CropFrame::Input input() const;
    void moveTo(QPointF location);
    // Lets go of the drag, whether its release arrived or not.
    void endDrag();
    void restyle();

    CWStore* store_;
    bool dragging_ = false;
    std::optional<CWStore::SaveHold> hold_;  // while the dot is dragged
};

#pragma once

#include "store/store.h"
#include "views/cropframe.h"

#include <QPointF>
#include <QRect>
#include <QWidget>
#include <optional>

class CWCaptionPreview;
class CWStore;

// The dimming and the crop frame drawn over the player surface, and the drag
// that moves the frame. A transparent widget stacked above the surface: a move
// repaints only where the frame was and is, over the picture already drawn,
// and never asks the player to render the picture again.
// A screen reader finds it as the "Crop frame" with its shape and centre; it
// takes no keys (the position pad and the inspector place it otherwise).
// With the interface's safe zones on, what the platforms' apps lay over the
// shape is shaded inside the frame; like the grid it is never exported.
class CWCropOverlay : public QWidget {
    Q_OBJECT
public:
    explicit CWCropOverlay(CWStore* store, QWidget* parent = nullptr);
    bool grid() const { return grid_; }
    void setGrid(bool grid);
    // The frame's inputs as the store and its current source give them now.
    CropFrame::Input input() const;
    CropFrame::Geometry geometry() const;
    CWStore* store() const { return store_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    bool event(QEvent* event) override;

private:
    void paintFrame(QPainter& painter, const QRectF& frame);
    // Shading, outline and labels of the safe zones; the capsule is the
    // shape label's, which no zone label may cover.
    void paintSafeZones(QPainter& painter, const QRectF& frame, const QRectF& capsule);
    // Lets go of the drag, whether its release arrived or not; the held
    // saves are written.
    void endDrag();

    CWStore* store_;
    CWCaptionPreview* captions_;
    bool grid_ = true;
    // Where the press on the frame was; the drag starts once the pointer has
    // moved 10 points from it.
    std::optional<QPointF> pressAt_;
    // The store's centre when the drag began: every move is applied to it.
    std::optional<QPointF> dragStart_;
    std::optional<CWStore::SaveHold> hold_;  // while the frame is dragged
    QRect painted_;  // what the frame's drawing covered when last drawn or asked for
};

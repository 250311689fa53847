#pragma once

#include "model/trimmath.h"
#include "store/store.h"
#include "theme/kit.h"

#include <QPointer>
#include <QRegion>
#include <QUuid>
#include <QWidget>
#include <optional>

// The timeline's track: filmstrip, ruler, clip bars, the In–Out box with its
// two handles, and the playhead. One drag over the whole track trims when it
// starts on a handle and moves the playhead otherwise; a click on a clip bar
// selects that clip. The selected clip's frame points are marks on its bar:
// dragged along it they move in time, and their menu removes them or says how
// the frame reaches them. It holds only what the current gesture needs.
class CWTimelineTrack : public QWidget {
    Q_OBJECT
public:
    explicit CWTimelineTrack(CWStore* store, QWidget* parent = nullptr);

    CWStore* store() const { return store_; }
    // What the current drag holds (the grab); nothing between drags.
    std::optional<TrimMath::Grab> held() const { return grab_; }
    // The selected clip's frame point whose mark is under pos (the later on top).
    std::optional<int> pointAt(QPointF pos) const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    bool event(QEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void storeChanged(CWStore::Field field);
    // Whether a bar of the current video moved since the last call.
    bool barsMoved();
    // Where the selected clip's marks moved, or changed kind, since the last
    // call: the old and the new place of each; empty when none did.
    QRegion marksMoved();
    // A press on a mark: the drag moves that point; a click goes to it.
    bool pressPoint(QPointF pos);
    bool dragPoint(QPointF pos);
    bool releasePoint();
    double zoom() const;
    TrimMath::Track track() const;
    // The part of the track the playhead and its knob cover at time t.
    QRect playheadRect(double t) const;
    std::optional<Clip> barAt(QPointF pos) const;
    void dragTo(QPointF pos);
    // Lets go of the grab, whether its release arrived or not; the held
    // mark is saved.
    void endDrag();
    void updateCursor(QPointF pos);

    void paintFilmstrip(QPainter& painter);
    void paintRuler(QPainter& painter);
    void paintBars(QPainter& painter);
    void paintPoints(QPainter& painter);
    void paintSelection(QPainter& painter);
    void paintHandle(QPainter& painter, bool left);
    void paintPlayhead(QPainter& painter);
    void paintLabel(QPainter& painter);
    // What a mark moved from painted to now changes: the strip between its
    // two places with the handle on either side, and the time label.
    QRegion markChange(double painted, double now) const;

    QPointer<CWStore> store_;
    std::optional<TrimMath::Grab> grab_;
    double grabStart_ = 0;
    bool dragging_ = false;
    std::optional<CWStore::SaveHold> hold_;  // while a handle is dragged
    QPointF pressPos_;
    std::optional<QUuid> pressedBar_;
    double paintedTime_ = 0;   // where the playhead was last drawn
    double paintedIn_ = 0;     // where the marks were last drawn
    double paintedOut_ = 0;
    QRect paintedLabel_;       // the dragged handle's time, as last drawn
    MWFace strip_;             // the filmstrip row, drawn once per size, finish, zoom and source
    QList<QPointF> barSpans_;  // In and Out of each bar, as last drawn
    QList<QPointF> marks_;     // time and kind of each mark, as last drawn
    std::optional<int> pressedPoint_;
    bool pointMoved_ = false;
};

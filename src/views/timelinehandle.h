#pragma once

#include "store/store.h"

#include <QPointer>
#include <QWidget>

// The keyboard's and the screen reader's hold on one trim handle. It lies
// over the handle the track draws, takes no clicks (the track's drag keeps
// every press) and paints nothing: the track's focus ring shows where the
// arrow keys go. Tab reaches it; the arrows nudge its mark by a frame (ten
// with Shift), as the nudge keys do once the handle holds the trim focus.
class CWTrimHandle : public QWidget {
    Q_OBJECT
public:
    // in: the In handle, else the Out handle; track: the widget it lies on.
    CWTrimHandle(CWStore* store, QWidget* track, bool in);

    bool isIn() const { return in_; }
    // The handle's mark and its range, in seconds; one frame is the step.
    double value() const;
    double maximum() const;
    double step() const;
    // Moves the mark (the store clamps it) and shows that frame.
    void setValue(double seconds);
    // Moves the mark by whole frames, as the nudge keys do.
    void nudge(int frames);
    // Whether the arrow keys move this handle (the store's trim focus).
    bool holdsArrows() const;
    // What a screen reader says: "In point 0:04.0".
    QString spokenName() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;

private:
    void storeChanged(CWStore::Field field);
    void place();
    void takeArrows();

    QPointer<CWStore> store_;
    QWidget* track_;
    bool in_;
};

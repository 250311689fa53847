#pragma once

#include "model/clip.h"

#include <QWidget>

class CWStore;

// One clip in the rack: its position, name, shape and length, and a ✕ that
// deletes it. A click elsewhere on the chip selects the clip; from the
// keyboard, Return or Space select it, Delete deletes it, and the arrows, Home
// and End move to the other chips.
class CWRackChip : public QWidget {
    Q_OBJECT
public:
    CWRackChip(CWStore* store, const Clip& clip, int number, bool selected,
               QWidget* parent = nullptr);
    // Takes the chip's data; repaints and lays out again only when what it
    // shows changed.
    void setClip(const Clip& clip, int number, bool selected);
    const Clip& clip() const { return clip_; }
    int number() const { return number_; }
    bool selected() const { return selected_; }
    // What a screen reader says: "Clip 2, Interview – clip 2, 9:16, 0:04.0".
    QString spokenName() const;
    static QString spokenName(const Clip& clip, int number);
    // What the chip's click and its ✕ do.
    void choose();
    void remove();
    // Measures again after a change of zoom.
    void restyle();
    // Where the ✕ takes clicks, in the chip's coordinates.
    QRectF closeRect() const;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }
    // The shape and length line: "9:16 · 0:12.5", never a negative length.
    static QString info(const Clip& clip);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    bool event(QEvent* event) override;

private:
    double columnWidth() const;
    void measure();
    bool focusSibling(int step);

    CWStore* store_;
    Clip clip_;
    int number_;
    bool selected_;
    QSize hint_;  // measured when the text or the zoom changes, not at every layout
};

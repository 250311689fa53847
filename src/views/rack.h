#pragma once

#include "model/clip.h"

#include <QWidget>

class CWStore;
class QHBoxLayout;
class QLabel;
class QScrollArea;
class MWCaption;

// One clip in the rack: its position, name, shape and length, and a ✕ that
// deletes it. A click elsewhere on the chip selects the clip.
class CWRackChip : public QWidget {
    Q_OBJECT
public:
    CWRackChip(CWStore* store, const Clip& clip, int number, bool selected,
               QWidget* parent = nullptr);
    const Clip& clip() const { return clip_; }
    int number() const { return number_; }
    bool selected() const { return selected_; }
    // Where the ✕ takes clicks, in the chip's coordinates.
    QRectF closeRect() const;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }
    // The shape and length line: "9:16 · 0:12.5", never a negative length.
    static QString info(const Clip& clip);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    bool event(QEvent* event) override;

private:
    double columnWidth() const;

    CWStore* store_;
    Clip clip_;
    int number_;
    bool selected_;
};

// The row of every clip in export order under the timeline: the caption stays
// put while the chips scroll sideways.
class CWRack : public QWidget {
    Q_OBJECT
public:
    explicit CWRack(CWStore* store, QWidget* parent = nullptr);
    QList<CWRackChip*> chips() const { return chips_; }
    // The hint shown while there are no clips.
    QLabel* hint() const { return hint_; }
    QScrollArea* scrollArea() const { return scroll_; }
    MWCaption* caption() const { return caption_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void rebuild();
    void restyle();

    CWStore* store_;
    MWCaption* caption_;
    QScrollArea* scroll_;
    QHBoxLayout* row_;
    QLabel* hint_;
    QList<CWRackChip*> chips_;
};

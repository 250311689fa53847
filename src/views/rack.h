#pragma once

#include "views/rackchip.h"

#include <QPointer>
#include <QWidget>

class CWStore;
class QHBoxLayout;
class QLabel;
class QScrollArea;
class MWCaption;

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

    // The chip that Tab reaches: the focused one, else the selected, else the first.
    CWRackChip* tabStop() const;
    // Moves the keyboard from one chip by step chips, stopping at either end;
    // false when it could not move.
    bool moveFocus(CWRackChip* from, int step);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Brings the chips in step with the store: chips are kept by clip, so a
    // change to one clip touches one chip and the layout moves only for
    // chips added, removed or reordered.
    void sync();
    void placeTabStop();
    void restyle();

    CWStore* store_;
    MWCaption* caption_;
    QScrollArea* scroll_;
    QHBoxLayout* row_;
    QLabel* hint_;
    QList<CWRackChip*> chips_;
    QPointer<CWRackChip> tabStop_;
};

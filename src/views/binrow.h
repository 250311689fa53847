#pragma once

#include "model/source.h"

#include <QAbstractButton>
#include <QPixmap>
#include <QUuid>
#include <QWidget>

class CWStore;

// The small round ✕ of a bin row.
class CWBinRemoveButton : public QAbstractButton {
    Q_OBJECT
public:
    explicit CWBinRemoveButton(QWidget* parent = nullptr);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
};

// One imported video in the bin: its picture with the length, its file name,
// its size and clip count, and a ✕ that takes it out of the bin. A click
// anywhere else makes it the current video; so do Return and Space while it
// has the keyboard, and the up and down arrows move to the other rows.
class CWBinRow : public QWidget {
    Q_OBJECT
public:
    explicit CWBinRow(CWStore* store, QWidget* parent = nullptr);

    // Takes the row's data; repaints only what changed.
    void setSource(const CWSource& source);
    void setClipCount(int count);
    void setSelected(bool selected);

    // What a screen reader says: "talk.mp4, 1920×1080, 3 clips, 10:00".
    QString spokenName() const;
    // What a click on the row does.
    void choose();

    QUuid id() const { return id_; }
    bool selected() const { return selected_; }
    int clipCount() const { return clipCount_; }
    // Whether a filmstrip picture is shown (otherwise the well-coloured block).
    bool hasPicture() const { return !thumb_.isNull(); }
    CWBinRemoveButton* removeButton() const { return remove_; }
    // The lines as drawn: the file name after eliding, and the size and clip count.
    QString shownName() const;
    QString info() const;
    // The thumbnail block, in the row's coordinates.
    QRectF pictureRect() const;

    // The thumbnail the bin shows for a filmstrip: one third into it.
    static QImage pickThumb(const QList<Thumb>& thumbs);
    // How many times any row has scaled a thumbnail (its cache misses).
    static long long scalings();

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    double nameHeight() const;
    double infoHeight() const;
    QRectF nameRect() const;
    QRectF infoRect() const;
    const QPixmap& scaledThumb(const QSizeF& size, double dpr);
    void placeRemove();

    CWStore* store_;
    CWBinRemoveButton* remove_;
    QUuid id_;
    QString name_;
    QSizeF naturalSize_;
    double duration_ = 0;
    QImage thumb_;
    int clipCount_ = 0;
    bool selected_ = false;

    // The thumbnail filled into the block, kept until the picture, the block's
    // size or the screen's pixel ratio changes.
    QPixmap scaled_;
    qint64 scaledFrom_ = 0;
    QSize scaledSize_;
};

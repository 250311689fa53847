#pragma once

#include "views/cropframe.h"

#include <QLabel>

class CWStore;
class QScrollArea;
class QVBoxLayout;

// Small pieces every view of the window uses alike.
namespace CWViewKit {
// The interface zoom the views scale their sizes by.
double zoom();
// Sets the colour a label or other widget draws its text in.
void setTextColour(QWidget* widget, const QColor& colour);
// The crop frame's inputs as the store holds them for the current source.
CropFrame::Input frameInput(const CWStore& store);
// Makes area a frameless, see-through list scrolling up and down only, and
// returns the column its rows go into (no margins; a stretch below them).
// Its bars take the finish's slim look.
QVBoxLayout* scrollingColumn(QScrollArea* area);
// Scrolls the nearest scroll area around widget so that it shows (a row or
// chip that has just taken the keyboard focus).
void showInScroll(QWidget* widget);
}  // namespace CWViewKit

// One line of text that gives way: a long name is cut with "…" (at the end,
// or in the middle for file names) instead of widening its panel.
class CWElidedLabel : public QLabel {
public:
    explicit CWElidedLabel(QWidget* parent = nullptr, Qt::TextElideMode mode = Qt::ElideRight);
    QSize minimumSizeHint() const override;
    // The text as shown at the current width.
    QString shownText() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Qt::TextElideMode mode_;
};

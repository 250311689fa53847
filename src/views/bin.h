#pragma once

#include "theme/panel.h"

#include <QList>

class CWBinRow;
class CWStore;
class MWCaption;
class MWChromeButton;
class QLabel;
class QScrollArea;
class QVBoxLayout;

// The media bin: every imported video in bin order, the + that opens the import
// panel, and a drop target over the whole panel for video files.
class CWBin : public MWPanel {
    Q_OBJECT
public:
    explicit CWBin(CWStore* store, QWidget* parent = nullptr);

    QList<CWBinRow*> rows() const;
    MWChromeButton* importButton() const { return import_; }
    // The symbol and the text shown while the bin is empty.
    QWidget* hint() const { return hint_; }
    QScrollArea* scrollArea() const { return scroll_; }

private:
    void rebuild();
    void updateCounts();
    void updateSelection();
    void restyle();

    CWStore* store_;
    MWCaption* caption_;
    MWChromeButton* import_;
    QScrollArea* scroll_;
    QVBoxLayout* list_;
    QWidget* hint_;
    QLabel* hintSymbol_;
    QLabel* hintText_;
    QList<CWBinRow*> rows_;
};

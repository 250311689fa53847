#pragma once

#include "theme/panel.h"

class CWStore;
class CWCropOverlay;
class CWSwitchPair;
class MWCaption;
class MWChromeButton;
class MWPlayerSurface;
class MWSwitch;
class QLabel;
class QProgressBar;

// The picture of the current source, letterboxed, with the crop frame over it;
// the invitation to import while there is none, and the progress card while
// the store is busy. Video files dropped on the picture are imported.
class CWViewer : public MWPanel {
    Q_OBJECT
public:
    explicit CWViewer(CWStore* store, QWidget* parent = nullptr);

    CWCropOverlay* overlay() const { return overlay_; }
    MWPlayerSurface* surface() const { return surface_; }
    MWSwitch* gridSwitch() const { return grid_; }
    MWSwitch* safeZonesSwitch() const { return safe_; }
    QLabel* editingLabel() const { return editing_; }
    QWidget* emptyState() const { return empty_; }
    MWChromeButton* importButton() const { return import_; }
    QWidget* progressCard() const { return card_; }
    QProgressBar* progressBar() const { return bar_; }
    QLabel* busyLabel() const { return busyText_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QWidget* makeEmptyState(QWidget* parent);
    QWidget* makeProgressCard(QWidget* parent);
    void layoutStage();
    void showSource();
    void showSelection();
    void arrangeHeader();
    void showBusy();
    void restyle();

    CWStore* store_;
    MWCaption* caption_;
    QLabel* editing_;
    MWSwitch* safe_;
    MWSwitch* grid_;
    CWSwitchPair* switches_;
    QWidget* stage_;
    MWPlayerSurface* surface_;
    CWCropOverlay* overlay_;
    QWidget* empty_;
    QLabel* emptySymbol_;
    QLabel* emptyTitle_;
    QLabel* emptyText_;
    MWChromeButton* import_;
    QWidget* card_;
    QProgressBar* bar_;
    QLabel* busyText_;
};

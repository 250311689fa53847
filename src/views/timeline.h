#pragma once

#include "theme/panel.h"

#include <QPointer>

class CWStore;
class CWTimelineTrack;
class CWTrimHandle;
class QLabel;
class QVBoxLayout;

// The timeline panel under the viewer: a header with the hint and the
// selection's length, the track in a well, and the clips rack under it.
class CWTimeline : public MWPanel {
    Q_OBJECT
public:
    explicit CWTimeline(CWStore* store, QWidget* parent = nullptr);

    CWTimelineTrack* track() const { return track_; }
    // The keyboard's hold on the In and Out handles.
    CWTrimHandle* inHandle() const { return inHandle_; }
    CWTrimHandle* outHandle() const { return outHandle_; }
    // Puts the clips rack under the track; the timeline keeps it 40 points high.
    void setRack(QWidget* rack);

    // The texts of the header, as shown.
    QString hintText() const;
    QString selectionText() const;

private:
    void restyle();
    void updateSelection();

    QPointer<CWStore> store_;
    QVBoxLayout* column_ = nullptr;
    QLabel* hint_ = nullptr;
    QLabel* selection_ = nullptr;
    MWWell* well_ = nullptr;
    CWTimelineTrack* track_ = nullptr;
    CWTrimHandle* inHandle_ = nullptr;
    CWTrimHandle* outHandle_ = nullptr;
    QWidget* rack_ = nullptr;
};

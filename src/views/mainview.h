#pragma once

#include <QWidget>

class CWBin;
class CWExportQueue;
class CWHeader;
class CWInspector;
class CWRack;
class CWStore;
class CWTimeline;
class CWViewer;
class QLabel;

// Everything the window shows: the header, the bin, viewer and inspector side
// by side, the timeline with the clips rack, the status line, and the export
// queue floating over all of it while a batch has rows.
class CWMain : public QWidget {
    Q_OBJECT
public:
    explicit CWMain(CWStore* store, QWidget* parent = nullptr);

    CWHeader* header() const { return header_; }
    CWBin* bin() const { return bin_; }
    CWViewer* viewer() const { return viewer_; }
    CWInspector* inspector() const { return inspector_; }
    CWTimeline* timeline() const { return timeline_; }
    CWRack* rack() const { return rack_; }
    CWExportQueue* exportQueue() const { return queue_; }
    QLabel* status() const { return status_; }

    // The status line's text while the store has no note.
    static QString keyHint();

    // The smallest size the window's content may take: 1180 × 760, or more
    // where a large zoom needs more for its columns and the header's compact
    // row, so nothing is ever pressed into its neighbour.
    QSize minimumSizeHint() const override;
    // The size the layout is drawn for: the usual 1440 × 900 window at the zoom.
    static QSize naturalSize(double zoom);

private:
    void showNote();
    void restyle();

    CWStore* store_;
    CWHeader* header_;
    CWBin* bin_;
    CWViewer* viewer_;
    CWInspector* inspector_;
    CWTimeline* timeline_;
    CWRack* rack_;
    QWidget* statusLine_;
    QLabel* statusSymbol_;
    QLabel* status_;
    CWExportQueue* queue_;
};

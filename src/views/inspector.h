#pragma once

#include <QList>
#include <QScrollArea>

class CWStore;
class CWPositionPad;
class CWShapeTile;
class MWCaption;
class MWChromeButton;
class MWKnob;
class MWSegment;
class MWSwitch;
class QBoxLayout;
class QGridLayout;
class QLabel;
class QLineEdit;
class QMenu;

// The column of reframe controls beside the viewer. It edits the store's
// current frame (the selected clip's, or the next clip's while none is
// selected), the source's black-bar switch and the output size, and holds the
// selected clip's name, times and actions. It scrolls when the window is too
// short for it.
class CWInspector : public QScrollArea {
    Q_OBJECT
public:
    explicit CWInspector(CWStore* store, QWidget* parent = nullptr);

    MWCaption* caption() const { return caption_; }
    QList<CWShapeTile*> tiles() const { return tiles_; }
    MWKnob* zoomKnob() const { return knob_; }
    CWPositionPad* pad() const { return pad_; }
    MWChromeButton* centerButton() const { return center_; }
    MWChromeButton* resetButton() const { return reset_; }
    // Glide or Cut for the frame point at the playhead; only while the selected clip has points.
    QWidget* pointControls() const { return points_; }
    MWSegment* pointKind() const { return pointKind_; }
    MWSwitch* barsSwitch() const { return bars_; }
    MWSegment* qualitySegment() const { return quality_; }
    QLabel* sizeLine() const { return size_; }
    MWSegment* audioSegment() const { return audio_; }
    // The selected-clip section, present only while a clip is selected.
    QWidget* clipSection() const { return section_; }
    QLineEdit* nameField() const { return name_; }
    QLabel* timesLine() const { return times_; }
    MWChromeButton* duplicateButton() const { return duplicate_; }
    MWChromeButton* doneButton() const { return done_; }
    MWChromeButton* exportButton() const { return export_; }
    MWChromeButton* applyAllButton() const { return applyAll_; }
    // The selected clip's captions: the switch, where they come from (the
    // video's attachment and its menu), the look and the height.
    MWSwitch* captionsSwitch() const { return captions_; }
    QLabel* captionsLine() const { return captionsFrom_; }
    MWChromeButton* captionsSourceButton() const { return captionsSource_; }
    QMenu* captionsMenu() const { return captionsMenu_; }
    MWSegment* captionLook() const { return captionLook_; }
    MWChromeButton* raiseButton() const { return raise_; }
    MWChromeButton* lowerButton() const { return lower_; }

    // "1080 × 1920 · H.264 MP4 with sound" for a shape and a short side.
    static QString sizeText(int width, int height);

private:
    QWidget* makeFrameControls(QWidget* parent);
    QWidget* makeClipSection(QWidget* parent);
    QWidget* makePointControls(QWidget* parent);
    QWidget* makeCaptionControls(QWidget* parent);
    void fillCaptionsMenu();
    void showCaptions();
    void showPoint();
    void showCaption();
    void showShape();
    void showZoom();
    void showBars();
    void showQuality();
    void showAudio();
    void showClip();
    void restyle();

    CWStore* store_;
    QWidget* content_;
    MWCaption* caption_;
    QList<CWShapeTile*> tiles_;
    MWKnob* knob_;
    MWCaption* position_;
    CWPositionPad* pad_;
    MWChromeButton* center_;
    MWChromeButton* reset_;
    QWidget* points_;
    MWCaption* pointCaption_;
    MWSegment* pointKind_;
    MWSwitch* bars_;
    QWidget* divider_;
    MWCaption* qualityCaption_;
    MWSegment* quality_;
    QLabel* size_;
    MWCaption* audioCaption_;
    MWSegment* audio_;
    QWidget* section_;
    QWidget* sectionDivider_;
    MWCaption* sectionCaption_;
    QLineEdit* name_;
    QLabel* times_;
    MWChromeButton* duplicate_;
    MWChromeButton* done_;
    MWChromeButton* export_;
    MWChromeButton* applyAll_;
    MWCaption* captionsCaption_;
    MWSwitch* captions_;
    QLabel* captionsFrom_;
    MWChromeButton* captionsSource_;
    QMenu* captionsMenu_;
    MWSegment* captionLook_;
    MWChromeButton* raise_;
    MWChromeButton* lower_;
    QBoxLayout* captionRows_;
    QMenu* applyMenu_;
    QBoxLayout* frameStack_;
    QGridLayout* grid_;
    QBoxLayout* positionColumn_;
    QBoxLayout* clipButtons_;
};

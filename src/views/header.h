#pragma once

#include "theme/panel.h"

class CWStore;
class MWChromeButton;
class MWChromeTitle;
class MWLCD;
class MWOrbButton;
class QLabel;

// The bar across the top of the window: the mark and title, the transport
// between the In and Out readouts, the playhead clock, and the two actions
// that make and export clips.
class CWHeader : public MWPanel {
    Q_OBJECT
public:
    explicit CWHeader(CWStore* store, QWidget* parent = nullptr);

    MWOrbButton* inOrb() const { return in_; }
    MWOrbButton* backOrb() const { return back_; }
    MWOrbButton* playOrb() const { return play_; }
    MWOrbButton* forwardOrb() const { return forward_; }
    MWOrbButton* outOrb() const { return out_; }
    QLabel* inValue() const { return inValue_; }
    QLabel* outValue() const { return outValue_; }
    MWLCD* clock() const { return lcd_; }
    MWChromeButton* addClipButton() const { return addClip_; }
    MWChromeButton* exportAllButton() const { return exportAll_; }
    MWChromeTitle* title() const { return title_; }

    // How much of the row a width has room for: everything; everything but the
    // title (the window's own title still names the program); and then the two
    // actions as their symbols alone, without the maker's badge (the status
    // line's credit still shows it).
    enum class Fit { full, noTitle, symbols };
    Fit fit() const { return fit_; }
    // The row's width at the current zoom when it shows what fit allows.
    int rowWidth(Fit fit) const;

    // The whole row as wanted; at least its most compact form.
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void applyFit();
    MWOrbButton* orb(const QString& symbol, double size, const QString& help);
    QWidget* readout(const QString& text, QLabel*& label, QLabel*& value);
    void showPlaying();
    void showMarks();
    void showTime();
    void showActions();
    void restyle();

    CWStore* store_;
    QWidget* mark_;
    MWChromeTitle* title_;
    MWOrbButton* in_;
    MWOrbButton* back_;
    MWOrbButton* play_;
    MWOrbButton* forward_;
    MWOrbButton* out_;
    QLabel* inLabel_;
    QLabel* outLabel_;
    QLabel* inValue_;
    QLabel* outValue_;
    MWLCD* lcd_;
    MWChromeButton* addClip_;
    MWChromeButton* exportAll_;
    QWidget* badge_;
    Fit fit_ = Fit::full;
};

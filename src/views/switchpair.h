#pragma once

#include <QWidget>

class MWSwitch;

// Two switches at the right end of a header: side by side where the header
// has room for them, else the first above the second, so neither ever loses
// its title. The second keeps the right edge side by side; stacked, both
// tracks line up on the left of the pair. The header chooses the arrangement
// (setStacked); the pair never asks for less than its stacked width, so a
// window made narrow can always get there.
class CWSwitchPair : public QWidget {
    Q_OBJECT
public:
    CWSwitchPair(MWSwitch* first, MWSwitch* second, QWidget* parent = nullptr);

    bool stacked() const { return stacked_; }
    void setStacked(bool stacked);
    QSize rowSize() const;
    QSize stackedSize() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void place();

    MWSwitch* first_;
    MWSwitch* second_;
    bool stacked_ = false;
};

#pragma once

#include "theme/kit.h"

#include <QObject>
#include <QPointer>

class QWidget;

// The look of a top-level window: the background painted from the finish's
// base (top) to deep (bottom) under everything, a dark palette whatever the
// desktop's scheme, the accent as highlight and link colour, and the window's
// font at the interface zoom. It follows every change of finish and zoom.
class MWRootLook : public QObject {
    Q_OBJECT
public:
    // Applies the look to window; the object belongs to the window.
    explicit MWRootLook(QWidget* window);

    // The dark palette of the current finish.
    static QPalette palette();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void restyle();

    QPointer<QWidget> window_;
    MWFace background_;
};

// Applies MWRootLook to window (the root view of every window).
MWRootLook* mwsoRoot(QWidget* window);

#pragma once

#include "theme/theme.h"

#include <QObject>
#include <QVector>

// The interface's finish and zoom, shared by every window and control. Controls
// read theme() and zoom() when they paint and lay out, and repaint on changed().
// Both are kept in the preferences (QSettings "Marrowick"/"Cutwright", keys
// "mwso.ui.theme" and "mwso.ui.zoom"), read once at creation and written on every
// assignment; so is whether the viewer shows the platforms' safe zones
// ("mwso.ui.safeZones", off until chosen).
class MWUI : public QObject {
    Q_OBJECT
public:
    // The one instance the application uses, created at first use (after the
    // QApplication and its names exist) and never destroyed.
    static MWUI* shared();

    // A separate instance reading the preferences now; the application uses
    // shared(), tests use this to start from stored values.
    explicit MWUI(QObject* parent = nullptr);

    const MWTheme& theme() const { return theme_; }
    // Stores the id; emits themeChanged and changed when the finish differs.
    void setTheme(const MWTheme& theme);

    double zoom() const { return zoom_; }
    // Stores the value as it is (the zoom commands only ever choose steps).
    void setZoom(double zoom);

    // The nine zoom steps, 85 % to 200 %.
    static const QVector<double>& zoomSteps();
    // The smallest step above zoom (by more than 0.001), else 2.0.
    void zoomIn();
    // previousZoom(zoom()).
    void zoomOut();
    // Back to 100 %.
    void resetZoom();
    // The largest step below before (by more than 0.001), else 0.85.
    static double previousZoom(double before);
    // The zoom a stored preference starts as: 0 (an absent key) is 1.0, anything
    // else rounded to two decimals and clamped to 0.85…2.0; not a number is 1.0.
    static double startZoom(double stored);

    bool safeZones() const { return safeZones_; }
    // Stores the choice; emits safeZonesChanged (never changed: nothing
    // restyles for it) when it differs.
    void setSafeZones(bool on);

    // A size in points at 100 % times the zoom.
    double scaled(double points) const { return points * zoom_; }

signals:
    void themeChanged(const MWTheme& theme);
    void zoomChanged(double zoom);
    // Either of the two changed: what a control restyles on.
    void changed();
    void safeZonesChanged(bool on);

private:
    MWTheme theme_;
    double zoom_ = 1.0;
    bool safeZones_ = false;
};

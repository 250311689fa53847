#pragma once

#include <QColor>
#include <QGradientStops>
#include <QLinearGradient>
#include <QRectF>
#include <QString>
#include <QVector>

// One metal finish of the interface: an id kept in the preferences, a name for
// menus and twelve opaque colours every control reads. Two finishes are the
// same finish exactly when their ids are equal.
struct MWTheme {
    QString id;
    QString name;
    QColor deep;     // bottom of the window background
    QColor base;     // top of the window background
    QColor panel;    // panel faces
    QColor raised;   // faces standing out of a panel
    QColor metalHi;  // the three metals of the chrome gradients
    QColor metalMid;
    QColor metalLo;
    QColor accent;   // tint of standard controls, lit and selected faces
    QColor accent2;  // second accent, for two-tone fills
    QColor text;
    QColor dim;   // secondary text
    QColor well;  // recessed wells

    // The six finishes in menu order; the first is the default.
    static const QVector<MWTheme>& all();
    // The finish with that id, or the first finish when none has it.
    static const MWTheme& named(const QString& id);

    // A polished bar with a dark waist across the middle, top to bottom.
    QGradientStops chrome() const;
    // A softer metal, top to bottom.
    QGradientStops chromeSoft() const;
    // The stops above as a vertical gradient over rect.
    static QLinearGradient vertical(const QRectF& rect, const QGradientStops& stops);

    friend bool operator==(const MWTheme& a, const MWTheme& b) { return a.id == b.id; }
};

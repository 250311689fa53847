#pragma once

#include "theme/theme.h"

#include <QPixmap>
#include <QSize>
#include <QString>
#include <functional>

class QPainter;
class QWidget;

// What the controls of the kit share: following the shared interface, the
// cached faces and the accessibility roles.

// Makes widget restyle at once when the finish or the zoom changes: its size
// hint is asked again and it repaints. Controls of the kit call it themselves.
void mwFollowInterface(QWidget* widget);

// Gives the kit's widgets their accessible roles (dial, check box, pane, link, …);
// installed once, when the program starts.
void mwInstallAccessibility();

class QAccessibleInterface;
// A control with an accessible interface of its own (a value, a checked state)
// registers how to make it under its class name.
using MWAccessibleMaker = QAccessibleInterface* (*)(QWidget* widget);
void mwRegisterAccessible(const QString& className, MWAccessibleMaker maker);

// A picture of a control's face, drawn once per size, finish, zoom, device
// pixel ratio and variant, and reused on every paint until one of them changes.
class MWFace {
public:
    using Draw = std::function<void(QPainter& painter, const QSizeF& size)>;

    // The face for a widget-sized picture of logical size at ratio dpr; variant
    // names everything else the drawing depends on (state, options).
    const QPixmap& get(const QSizeF& size, double dpr, const QString& variant, const Draw& draw);
    void clear();

    // How many faces every MWFace has drawn so far (for tests and benchmarks).
    static long long builds();

private:
    struct Key {
        QSizeF size;
        double dpr = 0;
        QString theme;
        double zoom = 0;
        QString variant;
        bool operator==(const Key&) const = default;
    };
    Key key_;
    QPixmap pixmap_;
};

// Draws a small focus ring of the accent colour around rect (capsule when radius
// is negative).
void mwPaintFocusRing(QPainter& painter, const QRectF& rect, double radius, double zoom);

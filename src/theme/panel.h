#pragma once

#include "theme/kit.h"

#include <QVector>
#include <QWidget>

// One bar of the brushed texture: top y and height in points, white at opacity.
struct BrushedBar {
    double y;
    double height;
    double opacity;
};

// The brushed texture of a given height: from y = 0 in steps of 1.6 points, a
// full-width bar 0.6 points high at opacity ((i × 7919) mod 13) ÷ 13 for bar i.
// Nothing for a height not above 0. The step is part of the metal's grain and
// does not follow the zoom.
QVector<BrushedBar> brushedBars(double height);
// Draws the texture over rect at opacity × each bar's own opacity.
void paintBrushedLines(QPainter& painter, const QRectF& rect, double opacity = 1.0);

// The texture as a widget of its own, laid over other content; takes no clicks.
class BrushedLines : public QWidget {
    Q_OBJECT
public:
    explicit BrushedLines(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    MWFace face_;
};

// A brushed-metal panel: a rounded rectangle filled with a gradient of the
// finish, the brushed texture over it, and its content (children laid out by
// the caller's layout) inside padding on all sides. Radius and padding are
// points at 100 % and follow the zoom; the padding replaces the layout's own
// margins, which are set to 0 (the style's margins would not follow the zoom).
// A screen reader finds it as a group under the accessible name its view gives
// it ("Media bin"), and passes over an unnamed one.
class MWPanel : public QWidget {
    Q_OBJECT
public:
    explicit MWPanel(QWidget* parent = nullptr, double radius = 14, double padding = 12);

    double radius() const { return radius_; }
    void setRadius(double radius);
    double padding() const { return padding_; }
    void setPadding(double padding);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool event(QEvent* event) override;

private:
    void applyPadding();

    double radius_;
    double padding_;
    MWFace face_;
};

// A dark recessed well of corner radius (points at 100 %) holding its content,
// such as the picture or a list. Content is laid out by the caller, flush with
// the edges (the layout's own margins are set to 0).
class MWWell : public QWidget {
    Q_OBJECT
public:
    explicit MWWell(QWidget* parent = nullptr, double radius = 10);

    double radius() const { return radius_; }
    void setRadius(double radius);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool event(QEvent* event) override;

private:
    double radius_;
    MWFace face_;
};

#pragma once

#include "theme/kit.h"

#include <QWidget>

// An LCD readout: text in the monospaced design at size (points at 100 %) on a
// dark glass. Times come from MWTime::clock.
class MWLCD : public QWidget {
    Q_OBJECT
public:
    explicit MWLCD(const QString& text = QString(), double size = 13, QWidget* parent = nullptr);

    QString text() const { return text_; }
    void setText(const QString& text);
    double size() const { return size_; }
    void setSize(double size);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void drawText(QPainter& painter);

    QString text_;
    double size_;
    MWFace face_;
};

// A caption above a group of controls: the text upper-cased, heavy, in the
// rounded design, letter-spaced 1.4 points (× zoom).
class MWCaption : public QWidget {
    Q_OBJECT
public:
    explicit MWCaption(const QString& text = QString(), QWidget* parent = nullptr);

    QString text() const { return text_; }
    void setText(const QString& text);
    // The font the caption is drawn in.
    static QFont font();
    // Lets a row narrower than the text cut it with "…" instead of overrunning
    // its neighbours; off by default.
    void setElides(bool elides);
    // The text as drawn at the current width.
    QString shownText() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString text_;
    bool elides_ = false;
    MWFace face_;
};

// A two-part title, first and second side by side, each filled with a gradient
// (polished metal, then the accent) and carrying a shadow.
class MWChromeTitle : public QWidget {
    Q_OBJECT
public:
    explicit MWChromeTitle(const QString& first = QString(), const QString& second = QString(),
                           QWidget* parent = nullptr);

    QString first() const { return first_; }
    QString second() const { return second_; }
    void setText(const QString& first, const QString& second);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString first_;
    QString second_;
    MWFace face_;
};

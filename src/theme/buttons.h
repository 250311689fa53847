#pragma once

#include "theme/kit.h"

#include <QAbstractButton>
#include <QPushButton>

// A push button drawn as a chrome capsule with its text (and an optional
// symbol). prominent selects the emphasised accent face, compact the smaller
// one. Give it a menu (QPushButton::setMenu) to use it as a tool button with a
// menu: a small chevron then marks it. Hover, pressed, checked, focus and
// disabled faces follow the finish.
class MWChromeButton : public QPushButton {
    Q_OBJECT
public:
    explicit MWChromeButton(const QString& text = QString(), QWidget* parent = nullptr);

    bool prominent() const { return prominent_; }
    void setProminent(bool prominent);
    bool compact() const { return compact_; }
    void setCompact(bool compact);
    // A symbol name (see MWSymbols) drawn before the text; empty for none.
    QString symbol() const { return symbol_; }
    void setSymbol(const QString& symbol);
    // Draws only the symbol where a row has no room for the text; the text is
    // kept (it is still the button's accessible name).
    bool symbolOnly() const { return symbolOnly_; }
    void setSymbolOnly(bool symbolOnly);
    // The size the button asks for with its text, or with its symbol alone.
    QSize sizeHintShowing(bool withText) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool event(QEvent* event) override;

private:
    double textSize() const { return compact_ ? 11 : 13; }
    QString shownText() const;
    // Everything but the focus ring, into the cached face.
    void drawFace(QPainter& painter);

    bool prominent_ = false;
    bool compact_ = false;
    bool symbolOnly_ = false;
    QString symbol_;
    MWFace face_;
};

// A round button of diameter size (points at 100 %): a gradient-filled circle
// with a rim, the symbol in the middle and a glassy highlight. lit selects the
// accent colouring. Only the circle takes clicks. help, when not empty, is its
// tooltip; a screen reader calls the orb by the help's words without the key
// in brackets, unless it is given an accessible name of its own.
class MWOrbButton : public QAbstractButton {
    Q_OBJECT
public:
    explicit MWOrbButton(const QString& symbol = QString(), double size = 44,
                         QWidget* parent = nullptr);

    QString symbol() const { return symbol_; }
    void setSymbol(const QString& symbol);
    double size() const { return size_; }
    void setSize(double size);
    bool lit() const { return lit_; }
    void setLit(bool lit);
    QString help() const { return help_; }
    void setHelp(const QString& help);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    bool hitButton(const QPoint& pos) const override;
    bool event(QEvent* event) override;

private:
    void updateName();
    QRectF circle() const;
    void drawFace(QPainter& painter);

    QString symbol_;
    double size_;
    bool lit_ = false;
    QString help_;
    MWFace face_;
};

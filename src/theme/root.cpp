#include "theme/root.h"

#include "theme/fonts.h"
#include "theme/kit.h"
#include "theme/mwui.h"

#include <QApplication>
#include <QEvent>
#include <QPainter>
#include <QPalette>
#include <QWidget>

MWRootLook::MWRootLook(QWidget* window) : QObject(window), window_(window)
{
    mwInstallAccessibility();
    // The window paints its own background: the gradient, not a flat fill.
    window->setAttribute(Qt::WA_StyledBackground, false);
    window->setAutoFillBackground(false);
    window->installEventFilter(this);
    connect(MWUI::shared(), &MWUI::changed, this, &MWRootLook::restyle);
    restyle();
}

QPalette MWRootLook::palette()
{
    const MWTheme& t = MWUI::shared()->theme();
    QPalette p;
    const QColor disabledText = t.dim.darker(150);
    p.setColor(QPalette::Window, t.base);
    p.setColor(QPalette::WindowText, t.text);
    p.setColor(QPalette::Base, t.well);
    p.setColor(QPalette::AlternateBase, t.panel);
    p.setColor(QPalette::ToolTipBase, t.raised);
    p.setColor(QPalette::ToolTipText, t.text);
    p.setColor(QPalette::PlaceholderText, t.dim);
    p.setColor(QPalette::Text, t.text);
    p.setColor(QPalette::Button, t.raised);
    p.setColor(QPalette::ButtonText, t.text);
    p.setColor(QPalette::BrightText, t.accent2);
    p.setColor(QPalette::Light, t.raised.lighter(130));
    p.setColor(QPalette::Midlight, t.raised);
    p.setColor(QPalette::Mid, t.panel);
    p.setColor(QPalette::Dark, t.deep);
    p.setColor(QPalette::Shadow, QColor(0, 0, 0));
    p.setColor(QPalette::Highlight, t.accent);
    p.setColor(QPalette::HighlightedText, t.deep);
    p.setColor(QPalette::Link, t.accent);
    p.setColor(QPalette::LinkVisited, t.accent2);
    for (const auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        p.setColor(QPalette::Disabled, role, disabledText);
    return p;
}

void MWRootLook::restyle()
{
    if (!window_)
        return;
    window_->setPalette(palette());
    // Menus, their popups and the desktop's dialogs are windows of their own:
    // they take the application's palette and font, so those follow too.
    QApplication::setPalette(palette());
    QApplication::setFont(mwFont(13));
    window_->setFont(mwFont(13));
    window_->update();
}

bool MWRootLook::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == window_ && event->type() == QEvent::Paint) {
        // A gradient over the whole window is the dearest fill of a repaint: drawn once per size.
        const QPixmap& background = background_.get(
            window_->size(), window_->devicePixelRatioF(), QString(),
            [](QPainter& p, const QSizeF& size) {
                const MWTheme& t = MWUI::shared()->theme();
                const QRectF area(QPointF(), size);
                p.fillRect(area, MWTheme::vertical(area, {{0, t.base}, {1, t.deep}}));
            });
        QPainter painter(window_);
        painter.drawPixmap(0, 0, background);
    }
    return false;
}

MWRootLook* mwsoRoot(QWidget* window)
{
    return new MWRootLook(window);
}

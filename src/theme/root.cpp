#include "theme/root.h"

#include "theme/fonts.h"
#include "theme/kit.h"
#include "theme/mwui.h"

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
    window_->setFont(mwFont(13));
    window_->update();
}

bool MWRootLook::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == window_ && event->type() == QEvent::Paint) {
        const MWTheme& t = MWUI::shared()->theme();
        QPainter painter(window_);
        const QRectF area = window_->rect();
        painter.fillRect(area, MWTheme::vertical(area, {{0, t.base}, {1, t.deep}}));
    }
    return false;
}

MWRootLook* mwsoRoot(QWidget* window)
{
    return new MWRootLook(window);
}

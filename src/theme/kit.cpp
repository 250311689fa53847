#include "theme/kit.h"

#include "theme/access.h"
#include "theme/mwui.h"

#include <QAccessible>
#include <QCoreApplication>
#include <QHash>
#include <QPainter>
#include <QWidget>
#include <cmath>
#include <mutex>

namespace {

long long faceBuilds = 0;

QHash<QString, MWAccessibleMaker>& makers()
{
    static QHash<QString, MWAccessibleMaker> registered;
    return registered;
}

QAccessibleInterface* kitAccessible(const QString& className, QObject* object)
{
    static const QHash<QString, QAccessible::Role> roles = {
        {QStringLiteral("MWPanel"), QAccessible::Pane},
        {QStringLiteral("MWWell"), QAccessible::Pane},
        {QStringLiteral("BrushedLines"), QAccessible::Graphic},
        {QStringLiteral("MWLCD"), QAccessible::StaticText},
        {QStringLiteral("MWCaption"), QAccessible::Heading},
        {QStringLiteral("MWChromeTitle"), QAccessible::Heading},
        {QStringLiteral("MWSOBadge"), QAccessible::StaticText},
        {QStringLiteral("MWSOCredit"), QAccessible::Link},
    };
    if (!object || !object->isWidgetType())
        return nullptr;
    auto* widget = static_cast<QWidget*>(object);
    if (const auto maker = makers().constFind(className); maker != makers().constEnd())
        return (*maker)(widget);
    if (const auto role = roles.constFind(className); role != roles.constEnd())
        return new MWAccessibleWidget(widget, *role);
    // A container the views gave a role of their own (a plain row, a scroll
    // area): asked first with its own class, before Qt's interface for it.
    if (className == QLatin1String(object->metaObject()->className()) &&
        object->property("mwAccessibleRole").isValid())
        return new MWAccessibleWidget(widget, QAccessible::Client);
    return nullptr;
}

}  // namespace

void mwFollowInterface(QWidget* widget)
{
    mwInstallAccessibility();
    QObject::connect(MWUI::shared(), &MWUI::changed, widget, [widget] {
        widget->updateGeometry();
        widget->update();
    });
}

void mwInstallAccessibility()
{
    static std::once_flag once;
    std::call_once(once, [] { QAccessible::installFactory(kitAccessible); });
    // Qt asks the factory installed last first, and the application installs
    // the one for its own widgets when it starts: once it has, the kit's goes
    // in again after it, so a plain widget given a role is the kit's to make.
    if (QCoreApplication::instance()) {
        static std::once_flag late;
        std::call_once(late, [] {
            QAccessible::removeFactory(kitAccessible);
            QAccessible::installFactory(kitAccessible);
        });
    }
}

namespace {
// Installed before any control exists: a control that names itself in its
// constructor has its accessible interface made (and kept) right then.
[[maybe_unused]] const bool kitAccessibleInstalled = (mwInstallAccessibility(), true);
}  // namespace

void mwRegisterAccessible(const QString& className, MWAccessibleMaker maker)
{
    mwInstallAccessibility();
    makers().insert(className, maker);
}

const QPixmap& MWFace::get(const QSizeF& size, double dpr, const QString& variant, const Draw& draw)
{
    const MWUI* ui = MWUI::shared();
    const Key key{size, dpr, ui->theme().id, ui->zoom(), variant};
    if (key == key_ && !pixmap_.isNull())
        return pixmap_;
    const QSize device(std::max(1, int(std::ceil(size.width() * dpr))),
                       std::max(1, int(std::ceil(size.height() * dpr))));
    pixmap_ = QPixmap(device);
    pixmap_.setDevicePixelRatio(dpr);
    pixmap_.fill(Qt::transparent);
    {
        QPainter painter(&pixmap_);
        painter.setRenderHint(QPainter::Antialiasing);
        draw(painter, size);
    }
    key_ = key;
    ++faceBuilds;
    return pixmap_;
}

void MWFace::clear()
{
    key_ = Key();
    pixmap_ = QPixmap();
}

long long MWFace::builds()
{
    return faceBuilds;
}

void mwPaintFocusRing(QPainter& painter, const QRectF& rect, double radius, double zoom)
{
    const MWTheme& theme = MWUI::shared()->theme();
    QColor ring = theme.accent;
    ring.setAlphaF(0.9f);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(ring, 2.0 * zoom));
    painter.setBrush(Qt::NoBrush);
    const double r = radius < 0 ? rect.height() / 2 : radius;
    painter.drawRoundedRect(rect, r, r);
    painter.restore();
}

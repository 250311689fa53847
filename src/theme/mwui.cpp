#include "theme/mwui.h"

#include <QSettings>
#include <algorithm>
#include <cmath>

namespace {

const char* const kThemeKey = "mwso.ui.theme";
const char* const kZoomKey = "mwso.ui.zoom";
const char* const kSafeZonesKey = "mwso.ui.safeZones";

QSettings preferences()
{
    return QSettings(QStringLiteral("Marrowick"), QStringLiteral("Cutwright"));
}

}  // namespace

MWUI* MWUI::shared()
{
    static MWUI* const ui = new MWUI;
    return ui;
}

MWUI::MWUI(QObject* parent) : QObject(parent)
{
    const QSettings settings = preferences();
    const QString id =
        settings.value(QLatin1String(kThemeKey), MWTheme::all().front().id).toString();
    theme_ = MWTheme::named(id);
    zoom_ = startZoom(settings.value(QLatin1String(kZoomKey), 0.0).toDouble());
    safeZones_ = settings.value(QLatin1String(kSafeZonesKey), false).toBool();
}

void MWUI::setTheme(const MWTheme& theme)
{
    const bool differs = !(theme == theme_);
    theme_ = theme;
    preferences().setValue(QLatin1String(kThemeKey), theme.id);
    if (differs) {
        emit themeChanged(theme_);
        emit changed();
    }
}

void MWUI::setZoom(double zoom)
{
    const bool differs = zoom != zoom_;
    zoom_ = zoom;
    preferences().setValue(QLatin1String(kZoomKey), zoom);
    if (differs) {
        emit zoomChanged(zoom_);
        emit changed();
    }
}

void MWUI::setSafeZones(bool on)
{
    const bool differs = on != safeZones_;
    safeZones_ = on;
    preferences().setValue(QLatin1String(kSafeZonesKey), on);
    if (differs)
        emit safeZonesChanged(on);
}

const QVector<double>& MWUI::zoomSteps()
{
    static const QVector<double> steps = {0.85, 0.9, 1.0, 1.1, 1.25, 1.4, 1.5, 1.75, 2.0};
    return steps;
}

void MWUI::zoomIn()
{
    for (double step : zoomSteps()) {
        if (step > zoom_ + 0.001) {
            setZoom(step);
            return;
        }
    }
    setZoom(2.0);
}

void MWUI::zoomOut()
{
    setZoom(previousZoom(zoom_));
}

void MWUI::resetZoom()
{
    setZoom(1.0);
}

double MWUI::previousZoom(double before)
{
    const QVector<double>& steps = zoomSteps();
    for (auto step = steps.crbegin(); step != steps.crend(); ++step) {
        if (*step < before - 0.001)
            return *step;
    }
    return 0.85;
}

double MWUI::startZoom(double stored)
{
    // A value that is not a number would make every size meaningless.
    if (stored == 0.0 || !std::isfinite(stored))
        return 1.0;
    const double rounded = std::round(stored * 100.0) / 100.0;
    return std::clamp(rounded, 0.85, 2.0);
}

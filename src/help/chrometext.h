#pragma once

#include <QString>

// Texts of the View menu and the about window that follow from a value alone.
namespace MWChromeText {
// "Interface Zoom: 125%": the zoom as a whole percentage, halves away from zero.
QString zoomLabel(double zoom);

// "Version 1.0.0 (build 7)"; a missing (empty or blank) version reads "2.0" and
// a missing build number "-".
QString versionText(const QString& version, const QString& build);

// This build's version and build number, fixed when the build was configured.
QString buildVersion();
QString buildNumber();
// The about window's line for this build.
QString aboutVersionText();
}  // namespace MWChromeText

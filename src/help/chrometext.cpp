#include "help/chrometext.h"

#include <cmath>

using namespace Qt::Literals::StringLiterals;

QString MWChromeText::zoomLabel(double zoom)
{
    // std::round rounds halves away from zero.
    const auto percent = static_cast<long long>(std::round(zoom * 100.0));
    return u"Interface Zoom: "_s + QString::number(percent) + u"%"_s;
}

QString MWChromeText::versionText(const QString& version, const QString& build)
{
    const QString v = version.trimmed();
    const QString b = build.trimmed();
    return u"Version "_s + (v.isEmpty() ? u"2.0"_s : v) + u" (build "_s +
           (b.isEmpty() ? u"-"_s : b) + u")"_s;
}

QString MWChromeText::buildVersion()
{
    return QStringLiteral(CW_VERSION);
}

QString MWChromeText::buildNumber()
{
    return QStringLiteral(CW_BUILD_NUMBER);
}

QString MWChromeText::aboutVersionText()
{
    return versionText(buildVersion(), buildNumber());
}

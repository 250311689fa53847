#include "help/commonhelp.h"

#include "theme/badge.h"

using namespace Qt::Literals::StringLiterals;

QString MWCommonHelp::makerWebsite()
{
    // One address for the whole program: the credit link opens the same site.
    return QString::fromLatin1(kMarrowickSite);
}

QList<HelpPage> MWCommonHelp::pages(const QString& app)
{
    const HelpPage look{
        u"look"_s,
        u"Themes & Zoom"_s,
        u"paintpalette.fill"_s,
        {HelpText{
             app +
             u" comes in six finishes. Pick one from View > Theme. Your choice is remembered."_s},
         HelpBullets{{u"Gunmetal Blue and Anodized Red"_s, u"Rose Gold and Lavender Violet"_s,
                      u"Black Chrome"_s, u"Graphite Gray"_s}},
         HelpHeading{u"Interface zoom"_s},
         HelpText{
             u"Make every control, label and panel bigger or smaller, from 85% up to 200%. 100% is the normal size."_s},
         HelpKey{u"Ctrl+="_s, u"Zoom in"_s}, HelpKey{u"Ctrl+−"_s, u"Zoom out"_s},
         HelpKey{u"Ctrl+0"_s, u"Back to 100%"_s},
         HelpTip{u"The zoom also applies to this Help window."_s}}};
    const HelpPage about{u"about"_s,
                         u"About MWSO"_s,
                         u"info.circle.fill"_s,
                         {HelpText{app + u" is made by Marrowick (MWSO)."_s},
                          HelpText{u"Website: "_s + makerWebsite()},
                          HelpText{u"Choose Help > Visit Marrowick to open the website."_s}}};
    return {look, about};
}

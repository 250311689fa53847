#pragma once

#include "help/helpblock.h"

namespace MWCommonHelp {
// The maker's web site (kMarrowickSite): named on the About page, opened by
// "Visit Marrowick" and by the credit.
QString makerWebsite();

// The pages every Marrowick application ends its manual with, for the given
// application name; built afresh on each call.
QList<HelpPage> pages(const QString& app);
}  // namespace MWCommonHelp

#pragma once

#include "help/helpblock.h"

namespace MWCommonHelp {
// The maker's web site: named on the About page, opened by "Visit Marrowick".
QString makerWebsite();

// The pages every Marrowick application ends its manual with, for the given
// application name; built afresh on each call.
QList<HelpPage> pages(const QString& app);
}  // namespace MWCommonHelp

#pragma once

#include "help/helpblock.h"

namespace CWHelp {
// Cutwright's own manual pages, in catalogue order; built once on first use.
const QList<HelpPage>& pages();
}  // namespace CWHelp

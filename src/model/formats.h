#pragma once

#include <QStringList>

namespace CWFormats {
// The file extensions offered by the open panel and accepted by drops, lower case.
const QStringList& exts();
// Whether a path ends in one of exts(), compared without case.
bool accepts(const QString& path);
}  // namespace CWFormats

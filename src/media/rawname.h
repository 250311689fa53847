#pragma once

#include <QString>
#include <optional>

namespace MWMediaOpener {

// Where a path fails because a name on disk is not UTF-8: such a name reaches
// the program with U+FFFD in place of its odd bytes, so the path names no
// file. The first component of path (as the program shows it) that exists on
// disk only under bytes that are not UTF-8, and whether it is the file itself;
// nothing when the path fails for any other reason.
struct RawName {
    QString name;
    bool isFile = false;
};
std::optional<RawName> undecodableName(const QString& path);

}  // namespace MWMediaOpener

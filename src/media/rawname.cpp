#include "media/rawname.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <dirent.h>
#include <sys/stat.h>

namespace MWMediaOpener {

namespace {
bool isUtf8(const QByteArray& bytes)
{
    return QString::fromUtf8(bytes).toUtf8() == bytes;
}

// Whether folder holds an entry whose bytes are not UTF-8 and read as shown.
bool holdsUndecodable(const QByteArray& folder, const QString& shown)
{
    DIR* dir = ::opendir(folder.constData());
    if (!dir)
        return false;
    bool found = false;
    while (const dirent* entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (!isUtf8(name) && QFile::decodeName(name) == shown) {
            found = true;
            break;
        }
    }
    ::closedir(dir);
    return found;
}
}  // namespace

std::optional<RawName> undecodableName(const QString& path)
{
    const QString absolute = QFileInfo(path).absoluteFilePath();
    if (!absolute.contains(QChar::ReplacementCharacter))
        return std::nullopt;
    const QStringList parts = absolute.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    QByteArray reached;  // the longest start of the path that exists, as bytes
    for (qsizetype i = 0; i < parts.size(); ++i) {
        const QByteArray next = reached + '/' + QFile::encodeName(parts[i]);
        struct stat st {};
        if (::lstat(next.constData(), &st) == 0) {
            reached = next;
            continue;
        }
        const QByteArray folder = reached.isEmpty() ? QByteArray("/") : reached;
        if (parts[i].contains(QChar::ReplacementCharacter) && holdsUndecodable(folder, parts[i]))
            return RawName{parts[i], i == parts.size() - 1};
        return std::nullopt;
    }
    return std::nullopt;
}

}  // namespace MWMediaOpener

#include "model/formats.h"

#include <QFileInfo>

namespace CWFormats {

const QStringList& exts()
{
    static const QStringList list{"mp4",  "mov", "m4v", "mpg", "mpeg", "vob", "ts",
                                  "m2ts", "mts", "3gp", "avi", "mkv",  "webm"};
    return list;
}

bool accepts(const QString& path)
{
    return exts().contains(QFileInfo(path).suffix().toLower());
}

}  // namespace CWFormats

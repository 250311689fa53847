#include "export/partfile.h"

#include "model/mwerror.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSaveFile>
#include <QSet>
#include <QStandardPaths>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace CWPartFile {

namespace {

QSet<QString>& listed()
{
    static QSet<QString> parts;
    return parts;
}

void writeList()
{
    QSaveFile file(listPath());
    if (!file.open(QIODevice::WriteOnly))
        return;  // the temporaries are still removed by this run; only a crash would leave one
    for (const QString& part : std::as_const(listed()))
        file.write(part.toUtf8() + '\n');
    file.commit();
}

// 0 when moved, else the errno of the last attempt.
int moveWithoutReplacing(const QString& from, const QString& to)
{
    const QByteArray src = QFile::encodeName(from), dst = QFile::encodeName(to);
    if (::renameat2(AT_FDCWD, src.constData(), AT_FDCWD, dst.constData(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno == EEXIST)
        return EEXIST;
    // A file system without the no-replace move (FAT drives, some network
    // shares): a hard link fails on an existing name just the same.
    if (::link(src.constData(), dst.constData()) == 0) {
        ::unlink(src.constData());
        return 0;
    }
    if (errno == EEXIST)
        return EEXIST;
    // Neither (FAT has no links): the last resort checks first; the window
    // between the check and the move is the file system's to close.
    if (QFileInfo::exists(to))
        return EEXIST;
    return ::rename(src.constData(), dst.constData()) == 0 ? 0 : errno;
}

}  // namespace

QString listPath()
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                           QStringLiteral("/Marrowick/Cutwright");
    QDir().mkpath(folder);
    return folder + QStringLiteral("/unfinished-exports");
}

QString beside(const QString& final)
{
    const QFileInfo info(final);
    const QString token =
        QStringLiteral("%1").arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'));
    const QString tail = QStringLiteral(".cutwright-") + token + QStringLiteral(".part");
    // A file name holds 255 bytes: a long clip name's temporary is cut short.
    QString name = QStringLiteral(".") + info.fileName();
    while (name.toUtf8().size() + tail.size() > 255) {
        name.chop(1);
        if (!name.isEmpty() && name.back().isHighSurrogate())
            name.chop(1);
    }
    return info.dir().filePath(name + tail);
}

bool isPartName(const QString& fileName)
{
    static const QRegularExpression form(QStringLiteral("^\\..+\\.cutwright-[0-9a-f]{8}\\.part$"));
    return form.match(fileName).hasMatch();
}

void remember(const QString& part)
{
    listed().insert(part);
    writeList();
}

void discard(const QString& part)
{
    QFile::remove(part);
    if (listed().remove(part))
        writeList();
}

QString commit(const QString& part, const QString& final)
{
    const QFileInfo info(final);
    const QString base = info.dir().filePath(info.completeBaseName());
    QString target = final;
    int error = 0;
    for (int n = 2; n < 10000; ++n) {
        error = moveWithoutReplacing(part, target);
        if (error != EEXIST)
            break;
        target = base + QStringLiteral(" %1.").arg(n) + info.suffix();
    }
    if (error != 0) {
        discard(part);
        throw MWError(QStringLiteral("The finished clip couldn't be given its name “") +
                      info.fileName() + QStringLiteral("”.\n\nDetails: ") +
                      QString::fromLocal8Bit(std::strerror(error)));
    }
    if (listed().remove(part))
        writeList();
    return target;
}

void sweepLeftovers()
{
    QFile file(listPath());
    if (!file.open(QIODevice::ReadOnly))
        return;
    const QList<QByteArray> lines = file.readAll().split('\n');
    file.close();
    for (const QByteArray& line : lines) {
        const QString part = QString::fromUtf8(line);
        // Only a file this program listed, still in the temporary's form and
        // still a plain file, is ever removed.
        const QFileInfo info(part);
        if (!part.isEmpty() && isPartName(info.fileName()) && info.isFile() && !info.isSymLink())
            QFile::remove(part);
    }
    listed().clear();
    QFile::remove(listPath());
}

}  // namespace CWPartFile

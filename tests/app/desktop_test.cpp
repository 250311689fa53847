#include "model/formats.h"

#include <QFile>
#include <QMimeDatabase>
#include <gtest/gtest.h>

// The file manager offers "Open with MWSO Cutwright" for a file whose type the
// menu entry lists: every extension the program accepts needs its type there.
TEST(DesktopEntry, ListsATypeForEveryAcceptedExtension)
{
    const QString path = CW_BINARY_DIR "/share/applications/com.marrowick.Cutwright.desktop";
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    QStringList listed;
    for (const QByteArray& line : file.readAll().split('\n')) {
        if (line.startsWith("MimeType="))
            listed = QString::fromUtf8(line.mid(9)).split(';', Qt::SkipEmptyParts);
    }
    QMimeDatabase types;
    for (const QString& ext : CWFormats::exts()) {
        QStringList videoTypes;
        for (const QMimeType& type : types.mimeTypesForFileName("clip." + ext)) {
            if (type.name().startsWith("video/"))
                videoTypes << type.name();
        }
        ASSERT_FALSE(videoTypes.isEmpty()) << ext.toStdString();
        for (const QString& type : videoTypes)
            EXPECT_TRUE(listed.contains(type)) << ext.toStdString() << " " << type.toStdString();
    }
}

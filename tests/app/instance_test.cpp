#include "app/instance.h"

#include <QDir>
#include <QTemporaryDir>
#include <QUrl>
#include <gtest/gtest.h>
#include <unistd.h>

// No session bus: the lock alone keeps a second copy out.
TEST(InstanceTest, WithoutABusTheLockKeepsASecondCopyOut)
{
    qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/bus");
    QTemporaryDir dir;
    const QString lock = dir.filePath("session.lock");
    auto first = std::make_unique<CWInstance>("com.marrowick.CutwrightTest", lock);
    EXPECT_EQ(first->start({}), CWInstance::Outcome::first);

    CWInstance second("com.marrowick.CutwrightTest", lock);
    EXPECT_EQ(second.start({"/videos/a.mp4"}), CWInstance::Outcome::locked);
    EXPECT_TRUE(second.lockedMessage().contains(QString(" (process %1) ").arg(::getpid())))
        << second.lockedMessage().toStdString();

    first.reset();  // the first has quit
    CWInstance third("com.marrowick.CutwrightTest", lock);
    EXPECT_EQ(third.start({}), CWInstance::Outcome::first);
}

TEST(InstanceArguments, FilesBecomeAbsolutePaths)
{
    const QString here = QDir::currentPath();
    EXPECT_EQ(
        cwFilesFromArguments(
            {"a.mp4", "/videos/b c.ts", "", "file:///videos/d%20e.mkv", "sub/../f.webm"}),
        QStringList({here + "/a.mp4", "/videos/b c.ts", "/videos/d e.mkv", here + "/f.webm"}));
}

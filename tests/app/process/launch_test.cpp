// The real program as the desktop starts it: a private home, its own session
// bus and X server (the test runs under dbus-run-session and xvfb-run).
#include "program_fixture.h"

#include <QDBusConnectionInterface>

class LaunchTest : public ProgramTest {
protected:
    void SetUp() override { makeHome({"videos"}); }
};

// A file on the command line is imported at launch: see the whole-job test.
TEST_F(LaunchTest, ASecondLaunchHandsItsFilesToTheFirstWhichSavesOnSigterm)
{
    QProcess* first = launch({});
    QDBusConnectionInterface* bus = QDBusConnection::sessionBus().interface();
    ASSERT_TRUE(testutil::waitUntil(
        [&] { return bus->isServiceRegistered("com.marrowick.Cutwright"); }, 60000));
    const QString file = testutil::copyFixture("h264_aac.mp4", home.filePath("videos"), "a.mp4");
    QProcess* second = launch({"file://" + file}, home.filePath("videos"));
    expectEnd(second);
    ASSERT_EQ(sessionSources(1), QStringList{file});
    EXPECT_EQ(first->state(), QProcess::Running);
    // The edit is on disk already; without its file the quit-time save shows.
    ASSERT_TRUE(QFile::remove(sessionPath()));
    terminate(first);
    EXPECT_EQ(sessionSources(1), QStringList{file});
}

TEST_F(LaunchTest, TheInstalledProgramConvertsThroughItsOwnConverter)
{
    QTemporaryDir prefix;
    const testutil::Run install =
        testutil::run("cmake", {"--install", CW_BINARY_DIR, "--prefix", prefix.path()});
    ASSERT_EQ(install.exitCode, 0) << install.err.toStdString();
    // A transport stream is always converted first, by libexec/cutwright/ffmpeg.
    const QString file = testutil::copyFixture("mpeg.ts", home.filePath("videos"), "match.ts");
    QProcess* app = launch({file}, {}, prefix.filePath("bin/cutwright"));
    EXPECT_EQ(sessionSources(1), QStringList{file});
    EXPECT_EQ(
        QDir(home.filePath("cache/Marrowick/Cutwright/Converted")).entryList(QDir::Files).size(),
        1);
    terminate(app);
}

// A SIGTERM during an export (no partial file, no converter left, the session
// saved) is QuitDuringExportTest's: the same handler and delegate in-process.
TEST_F(LaunchTest, WithoutASessionBusASecondCopyExplainsAndEndsWithoutWriting)
{
    env.insert("DBUS_SESSION_BUS_ADDRESS", "unix:path=" + home.filePath("no-bus"));
    QProcess* first = launch({});
    ASSERT_FALSE(
        findWindow({"--pid", QString::number(first->processId()), "--name", "^MWSO Cutwright$"})
            .isEmpty());
    const QString file = testutil::copyFixture("h264_aac.mp4", home.filePath("videos"), "a.mp4");
    QProcess* second = launch({file});
    // The alert is the one window that names the reason.
    const QString alert = findWindow({"--onlyvisible", "--pid", QString::number(second->processId()),
                                      "--name", "^MWSO Cutwright is already running"});
    ASSERT_FALSE(alert.isEmpty());
    xdotool({"windowfocus", "--sync", alert, "key", "Return"});  // "OK"
    expectEnd(second, 1);
    EXPECT_FALSE(QFile::exists(sessionPath())) << "nothing written before a restore";
    EXPECT_EQ(first->state(), QProcess::Running);
    terminate(first);
}

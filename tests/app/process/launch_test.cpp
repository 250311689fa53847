// The real program as the desktop starts it: a private home, its own session
// bus and X server (the test runs under dbus-run-session and xvfb-run).
#include "common/testutil.h"
#include "model/clip.h"
#include "model/session.h"
#include "program_fixture.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>
#include <signal.h>

namespace {
const QString busName = QStringLiteral("com.marrowick.Cutwright");
}

class LaunchTest : public ProgramTest {
protected:
    void SetUp() override
    {
        makeHome({"videos"});
        ASSERT_TRUE(QDBusConnection::sessionBus().isConnected()) << "run under dbus-run-session";
    }

    static bool ownsTheName()
    {
        return QDBusConnection::sessionBus().interface()->isServiceRegistered(busName);
    }

    // The paths of the sources in the session file, once it holds count of them.
    QStringList sessionSources(int count)
    {
        QStringList paths;
        testutil::waitUntil(
            [&] {
                QFile file(sessionPath());
                if (!file.open(QIODevice::ReadOnly))
                    return false;
                const auto session = CWSession::decode(file.readAll());
                if (!session || session->allSources().size() < count)
                    return false;
                paths.clear();
                for (const auto& s : session->allSources())
                    paths << s.path;
                return true;
            },
            120000);
        return paths;
    }

    // SIGTERM, as a logout or `kill` sends it; the program must end by itself.
    static void terminate(QProcess* p)
    {
        ::kill(pid_t(p->processId()), SIGTERM);
        ASSERT_TRUE(p->waitForFinished(60000));
        EXPECT_EQ(p->exitStatus(), QProcess::NormalExit) << "ended by the signal itself";
        EXPECT_EQ(p->exitCode(), 0);
    }
};

TEST_F(LaunchTest, AFileOnTheCommandLineIsImportedOnceTheWindowIsUp)
{
    const QString videos = home.filePath("videos");
    const QString file = testutil::copyFixture("h264_aac.mp4", videos, "talk one.mp4");
    QProcess* app = launch({"talk one.mp4"}, videos);  // relative, as a shell passes it
    EXPECT_EQ(sessionSources(1), QStringList{file});
    terminate(app);
}

TEST_F(LaunchTest, ASecondLaunchHandsItsFilesToTheFirstAndEnds)
{
    QProcess* first = launch({});
    ASSERT_TRUE(testutil::waitUntil(ownsTheName, 60000));
    const QString file = testutil::copyFixture("h264_aac.mp4", home.filePath("videos"), "a.mp4");
    QProcess* second = launch({"file://" + file}, home.filePath("videos"));
    ASSERT_TRUE(second->waitForFinished(60000));
    EXPECT_EQ(second->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second->exitCode(), 0);
    EXPECT_EQ(sessionSources(1), QStringList{file});
    EXPECT_EQ(first->state(), QProcess::Running);
    terminate(first);
}

TEST_F(LaunchTest, SigtermSavesTheSessionBeforeEnding)
{
    const QString file = testutil::copyFixture("h264_aac.mp4", home.filePath("videos"), "a.mp4");
    QProcess* app = launch({file});
    ASSERT_EQ(sessionSources(1), QStringList{file});
    // The edit is on disk already; without its file the quit-time save shows.
    ASSERT_TRUE(QFile::remove(sessionPath()));
    terminate(app);
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

namespace {
// xdotool, for the keys a person would press; its output, or nothing on failure.
QString xdotool(const QStringList& args)
{
    const testutil::Run r = testutil::run("xdotool", args, 60000);
    return r.exitCode == 0 ? QString::fromUtf8(r.out).trimmed() : QString();
}

// The converter processes whose command line names folder.
int convertersWriting(const QString& folder)
{
    int count = 0;
    for (const QString& pid : QDir("/proc").entryList(QDir::Dirs)) {
        QFile cmdline("/proc/" + pid + "/cmdline");
        if (cmdline.open(QIODevice::ReadOnly) && cmdline.readAll().contains(folder.toUtf8()))
            ++count;
    }
    return count;
}
}  // namespace

TEST_F(LaunchTest, SigtermDuringAnExportLeavesNoPartialFileAndNoConverter)
{
    const QString video =
        testutil::copyFixture("export_long.mp4", home.filePath("videos"), "l.mp4");
    QTemporaryDir out;
    // A saved session in the older layout (written back in the new one once
    // restored) with one long clip, and the export folder chosen last time.
    const QUuid source = QUuid::createUuid();
    CWSession saved;
    saved.clips = {Clip{QUuid::createUuid(), source, "Long", 0, 11.5, Aspect::square, 1, 0.5, 0.5}};
    QByteArray text = saved.encode();
    text.replace(R"("sources":[])", R"("files":{")" +
                                        source.toString(QUuid::WithoutBraces).toUpper().toUtf8() +
                                        R"(":")" + video.toUtf8() + R"("})");
    QDir().mkpath(home.filePath("data/Marrowick/Cutwright"));
    QFile session(sessionPath());
    ASSERT_TRUE(session.open(QIODevice::WriteOnly));
    session.write(text);
    session.close();
    QDir().mkpath(home.filePath("config/Marrowick"));
    QFile settings(home.filePath("config/Marrowick/Cutwright.conf"));
    ASSERT_TRUE(settings.open(QIODevice::WriteOnly));
    settings.write("[General]\nmwso.cw.lastExportFolder=" + out.path().toUtf8() + "\n");
    settings.close();

    QProcess* app = launch({});
    // Restored once the session is written back in the new layout.
    ASSERT_TRUE(testutil::waitUntil(
        [&] {
            QFile file(sessionPath());
            return file.open(QIODevice::ReadOnly) && file.readAll().contains(R"("sources":[{)");
        },
        60000));
    const QString window = xdotool({"search", "--sync", "--name", "^MWSO Cutwright$"});
    ASSERT_FALSE(window.isEmpty());
    xdotool({"windowfocus", "--sync", window, "key", "ctrl+e"});
    const QString panel = xdotool({"search", "--sync", "--name", "^Choose a folder"});
    ASSERT_FALSE(panel.isEmpty());
    xdotool({"windowfocus", "--sync", panel, "key", "Return"});  // "Export Here"
    ASSERT_TRUE(testutil::waitUntil(
        [&] { return convertersWriting(out.path()) > 0 && !QDir(out.path()).isEmpty(); }, 60000));

    terminate(app);
    EXPECT_TRUE(QDir(out.path()).isEmpty()) << "no partial file";
    EXPECT_EQ(convertersWriting(out.path()), 0) << "no converter left running";
    EXPECT_EQ(sessionSources(1), QStringList{video});
}

TEST_F(LaunchTest, WithoutASessionBusASecondCopyExplainsAndEndsWithoutWriting)
{
    env.insert("DBUS_SESSION_BUS_ADDRESS", "unix:path=" + home.filePath("no-bus"));
    QProcess* first = launch({});
    ASSERT_FALSE(xdotool({"search", "--sync", "--pid", QString::number(first->processId()),
                          "--name", "^MWSO Cutwright$"})
                     .isEmpty());
    const QString file = testutil::copyFixture("h264_aac.mp4", home.filePath("videos"), "a.mp4");
    QProcess* second = launch({file});
    // The alert is the one window that names the reason.
    const QString alert =
        xdotool({"search", "--sync", "--onlyvisible", "--pid", QString::number(second->processId()),
                 "--name", "^MWSO Cutwright is already running"})
            .section('\n', 0, 0);
    ASSERT_FALSE(alert.isEmpty());
    xdotool({"windowfocus", "--sync", alert, "key", "Return"});  // "OK"
    ASSERT_TRUE(second->waitForFinished(60000));
    EXPECT_EQ(second->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second->exitCode(), 1);
    EXPECT_FALSE(QFile::exists(sessionPath())) << "nothing written before a restore";
    EXPECT_EQ(first->state(), QProcess::Running);
    terminate(first);
}

// The real program as the desktop starts it: a private home, its own session
// bus and X server (the test runs under dbus-run-session and xvfb-run).
#include "common/testutil.h"
#include "model/session.h"

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

class LaunchTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(home.isValid());
        for (const char* dir : {"data", "config", "cache", "runtime", "videos"})
            QDir(home.path()).mkpath(dir);
        QFile::setPermissions(home.filePath("runtime"),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        env = QProcessEnvironment::systemEnvironment();
        env.insert("HOME", home.path());
        env.insert("XDG_DATA_HOME", home.filePath("data"));
        env.insert("XDG_CONFIG_HOME", home.filePath("config"));
        env.insert("XDG_CACHE_HOME", home.filePath("cache"));
        env.insert("XDG_RUNTIME_DIR", home.filePath("runtime"));
        env.insert("QT_QPA_PLATFORM", "xcb");
        env.remove("CUTWRIGHT_CONVERTER");
        ASSERT_TRUE(QDBusConnection::sessionBus().isConnected()) << "run under dbus-run-session";
    }

    void TearDown() override
    {
        for (const auto& p : running) {
            if (p->state() != QProcess::NotRunning) {
                p->kill();
                p->waitForFinished();
            }
        }
    }

    QProcess* launch(const QStringList& args, const QString& folder = {},
                     const QString& program = QStringLiteral(CW_BINARY_DIR "/bin/cutwright"))
    {
        auto p = std::make_unique<QProcess>();
        p->setProgram(program);
        p->setArguments(args);
        p->setProcessEnvironment(env);
        p->setWorkingDirectory(folder.isEmpty() ? home.path() : folder);
        p->start();
        EXPECT_TRUE(p->waitForStarted());
        running.push_back(std::move(p));
        return running.back().get();
    }

    static bool ownsTheName()
    {
        return QDBusConnection::sessionBus().interface()->isServiceRegistered(busName);
    }

    QString sessionPath() const { return home.filePath("data/Marrowick/Cutwright/session.json"); }

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

    QTemporaryDir home;
    QProcessEnvironment env;
    std::vector<std::unique_ptr<QProcess>> running;
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

#pragma once

#include <gtest/gtest.h>

#include "common/testutil.h"
#include "model/session.h"

#include <QDBusConnection>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <signal.h>

// xdotool, as a person's keys and mouse; its output, or nothing on failure.
inline QString xdotool(const QStringList& args)
{
    const testutil::Run r = testutil::run("xdotool", args, 60000);
    return r.exitCode == 0 ? QString::fromUtf8(r.out).trimmed() : QString();
}

// The first window a search finds, once there is one. xdotool's --sync alone
// is not enough: a window destroyed while it walks the tree ends it with an X
// error, and a launching program makes and drops windows as it starts.
inline QString findWindow(const QStringList& search)
{
    QString found;
    testutil::waitUntil([&] {
        found = xdotool(QStringList{"search"} + search).section('\n', 0, 0);
        return !found.isEmpty();
    });
    return found;
}

// The real program run as on a desktop whose home is a fresh folder, on the
// test's own session bus: the XDG folders (and any extra folders) inside it,
// the X platform, the program's own converter. Whatever a test launched is killed when it ends.
class ProgramTest : public ::testing::Test {
protected:
    void makeHome(const QStringList& extra)
    {
        ASSERT_TRUE(home.isValid());
        ASSERT_TRUE(QDBusConnection::sessionBus().isConnected()) << "run under dbus-run-session";
        for (const QString& dir : extra)
            QDir(home.path()).mkpath(dir);
        env = QProcessEnvironment::systemEnvironment();
        env.insert("HOME", home.path());
        env.insert("QT_QPA_PLATFORM", "xcb");
        env.remove("CUTWRIGHT_CONVERTER");
        for (const auto& [var, dir] : {std::pair{"XDG_DATA_HOME", "data"},
                                       {"XDG_CONFIG_HOME", "config"},
                                       {"XDG_CACHE_HOME", "cache"},
                                       {"XDG_RUNTIME_DIR", "runtime"}}) {
            QDir(home.path()).mkpath(dir);
            env.insert(var, home.filePath(dir));
        }
        QFile::setPermissions(home.filePath("runtime"),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    void TearDown() override
    {
        for (const auto& p : running) {
            p->kill();  // nothing to do for one that has ended
            p->waitForFinished();
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

    QString sessionPath() const { return home.filePath("data/Marrowick/Cutwright/session.json"); }

    // The session file once it satisfies holds (it is rewritten after every
    // change): what was read when the condition held, not a second look later.
    std::optional<CWSession> sessionWhen(const std::function<bool(const CWSession&)>& holds,
                                         int timeoutMs = 60000)
    {
        std::optional<CWSession> found;
        const bool held = testutil::waitUntil(
            [&] {
                QFile file(sessionPath());
                found = file.open(QIODevice::ReadOnly) ? CWSession::decode(file.readAll())
                                                       : std::nullopt;
                return found && holds(*found);
            },
            timeoutMs);
        return held ? found : std::nullopt;
    }

    static QStringList sourcePaths(const CWSession& session)
    {
        QStringList paths;
        for (const auto& source : session.allSources())
            paths << source.path;
        return paths;
    }

    // The paths of the sources in the session file, once it holds count of them.
    QStringList sessionSources(int count)
    {
        const auto s = sessionWhen(
            [&](const CWSession& s) { return s.allSources().size() >= qsizetype(count); }, 120000);
        return s ? sourcePaths(*s) : QStringList();
    }

    // Waits for p to end by itself with code.
    static void expectEnd(QProcess* p, int code = 0)
    {
        ASSERT_TRUE(p->waitForFinished(60000));
        EXPECT_EQ(p->exitStatus(), QProcess::NormalExit) << "ended by itself, not killed";
        EXPECT_EQ(p->exitCode(), code);
    }

    // SIGTERM, as a logout or `kill` sends it; the program must end by itself.
    static void terminate(QProcess* p)
    {
        ::kill(pid_t(p->processId()), SIGTERM);
        expectEnd(p);
    }

    QTemporaryDir home;
    QProcessEnvironment env;
    std::vector<std::unique_ptr<QProcess>> running;
};

#pragma once

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>
#include <vector>

// The real program run as on a desktop whose home is a fresh folder: the XDG
// folders (and any extra folders) inside it, the X platform, the program's
// own converter. Whatever a test launched is killed when it ends.
class ProgramTest : public ::testing::Test {
protected:
    void makeHome(const QStringList& extra)
    {
        ASSERT_TRUE(home.isValid());
        for (const QString& dir : QStringList{"data", "config", "cache", "runtime"} + extra)
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

    QString sessionPath() const { return home.filePath("data/Marrowick/Cutwright/session.json"); }

    QTemporaryDir home;
    QProcessEnvironment env;
    std::vector<std::unique_ptr<QProcess>> running;
};

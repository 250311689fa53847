#pragma once

#include <QFile>
#include <QString>
#include <gtest/gtest.h>
#include <signal.h>

namespace testutil {

// Whether the process whose id a stand-in wrote to pidFile has ended and been
// reaped: a zombie still answers signal 0, so one left unwaited fails too.
inline ::testing::AssertionResult processGone(const QString& pidFile)
{
    QFile file(pidFile);
    if (!file.open(QIODevice::ReadOnly))
        return ::testing::AssertionFailure() << "no pid file " << pidFile.toStdString();
    const pid_t pid = file.readAll().trimmed().toInt();
    if (pid <= 0)
        return ::testing::AssertionFailure() << "no pid in " << pidFile.toStdString();
    if (::kill(pid, 0) == 0)
        return ::testing::AssertionFailure() << "process " << pid << " is still there";
    return ::testing::AssertionSuccess();
}

}  // namespace testutil

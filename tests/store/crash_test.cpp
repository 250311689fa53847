#include "model/session.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QThread>
#include <csignal>
#include <gtest/gtest.h>

// A writer killed at random moments never leaves a session file that fails to
// decode, and the file always holds at least what the last finished save held.
TEST(SessionCrash, KilledWritersNeverLoseACompleteSave)
{
    QTemporaryDir home;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), home.path());
    env.remove(QStringLiteral("XDG_DATA_HOME"));
    const QString session =
        home.filePath(QStringLiteral(".local/share/Marrowick/Cutwright/session.json"));
    QRandomGenerator random(20261206);
    QProcess writer;
    writer.setProcessEnvironment(env);
    writer.start(QCoreApplication::applicationDirPath() + QStringLiteral("/session_writer"));
    ASSERT_TRUE(writer.waitForStarted());
    // The next line the writer or its child prints; empty if none comes.
    const auto nextLine = [&] {
        while (!writer.canReadLine() && writer.waitForReadyRead(30000)) {
        }
        return writer.readLine().trimmed();
    };

    for (int generation = 1; generation <= 200; ++generation) {
        writer.write(QByteArray::number(generation) + '\n');
        pid_t child = 0;
        int lastSaved = -1;
        while (child == 0 || lastSaved < 0) {  // the child's pid and first line, in any order
            const QByteArray line = nextLine();
            ASSERT_FALSE(line.isEmpty()) << "generation " << generation;
            if (line.startsWith("child "))
                child = line.mid(6).toInt();
            else
                lastSaved = line.toInt();
        }
        // Let it save for a random while, then kill it without warning.
        QThread::usleep(random.bounded(2000, 40000));
        ::kill(child, SIGKILL);
        for (QByteArray line = nextLine(); line != "end"; line = nextLine()) {
            ASSERT_FALSE(line.isEmpty()) << "generation " << generation;
            lastSaved = line.toInt();
        }

        QFile f(session);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << "after kill " << generation;
        const auto decoded = CWSession::decode(f.readAll());
        ASSERT_TRUE(decoded) << "unreadable session after kill " << generation;
        // This run's saves are the only ones that could be in the file.
        EXPECT_GE(decoded->clips.size(), lastSaved) << "after kill " << generation;
        EXPECT_TRUE(
            decoded->clips.first().name.startsWith(QStringLiteral("gen %1 ").arg(generation)));
    }
    writer.closeWriteChannel();
    EXPECT_TRUE(writer.waitForFinished(30000));
    // A kill can leave the writer's temporary beside the session; nothing else.
    for (const QString& name : QDir(QFileInfo(session).path()).entryList(QDir::Files))
        EXPECT_TRUE(name == QLatin1String("session.json") ||
                    name.startsWith(QLatin1String("session.json.")))
            << name.toStdString();
}

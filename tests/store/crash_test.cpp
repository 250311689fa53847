#include "model/session.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
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
    const QString writer =
        QCoreApplication::applicationDirPath() + QStringLiteral("/session_writer");
    QRandomGenerator random(20261206);

    int kills = 0;
    for (int generation = 1; kills < 200; ++generation) {
        QProcess p;
        p.setProcessEnvironment(env);
        p.start(writer, {QString::number(generation)});
        ASSERT_TRUE(p.waitForStarted());
        ASSERT_TRUE(p.waitForReadyRead(30000));
        // Let it save for a random while, then kill it without warning.
        QThread::usleep(random.bounded(2000, 40000));
        ::kill(pid_t(p.processId()), SIGKILL);
        ASSERT_TRUE(p.waitForFinished(30000));
        ++kills;

        const QList<QByteArray> lines = p.readAllStandardOutput().trimmed().split('\n');
        const int lastSaved = lines.isEmpty() ? 0 : lines.last().toInt();
        QFile f(session);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << "after kill " << kills;
        const auto decoded = CWSession::decode(f.readAll());
        ASSERT_TRUE(decoded) << "unreadable session after kill " << kills;
        // This run's saves are the only ones that could be in the file.
        EXPECT_GE(decoded->clips.size(), lastSaved) << "after kill " << kills;
        EXPECT_TRUE(
            decoded->clips.first().name.startsWith(QStringLiteral("gen %1 ").arg(generation)));
    }
    // A kill can leave the writer's temporary beside the session; nothing else.
    const QStringList leftovers = QDir(QFileInfo(session).path()).entryList(QDir::Files);
    for (const QString& name : leftovers)
        EXPECT_TRUE(name == QLatin1String("session.json") ||
                    name.startsWith(QLatin1String("session.json.")))
            << name.toStdString();
}

#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

namespace testutil {

// Runs the event loop until done() holds or timeoutMs passes (a hang, not a wait).
bool waitUntil(const std::function<bool()>& done, int timeoutMs = 60000);

// A test media file made by tests/fixtures/make-fixtures, created on first use
// and cached in the build tree. Fails the test when it cannot be made.
QString fixture(const QString& name);

// A fixture copied into folder under name, for tests that rename or delete it.
QString copyFixture(const QString& fixtureName, const QString& folder, const QString& name);

// Runs a program to completion; its exit code, standard output and error.
struct Run {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};
Run run(const QString& program, const QStringList& args, int timeoutMs = 120000);

// The frame `ffmpeg -ss t` gives: the first at or after t, as RGB32.
QImage ffmpegFrame(const QString& file, double t);

// Mean absolute difference per channel, 0 to 255; 255 when the sizes differ.
double difference(const QImage& a, const QImage& b);

}  // namespace testutil

#include <ostream>
// Readable failure messages for Qt strings.
inline void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}
inline void PrintTo(const QByteArray& b, std::ostream* os)
{
    *os << '"' << b.toStdString() << '"';
}

#pragma once

#include <QByteArray>
#include <QCoroTask>
#include <QImage>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <exception>
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

// An executable /bin/sh script named name in dir, running body.
QString script(const QTemporaryDir& dir, const QString& name, const QByteArray& body);

// Points the converter location (CUTWRIGHT_CONVERTER) at exe for the life of
// the object; an empty exe names a location where there is none.
class ConverterAt {
public:
    explicit ConverterAt(const QString& exe);
    ~ConverterAt();
    ConverterAt(const ConverterAt&) = delete;
    ConverterAt& operator=(const ConverterAt&) = delete;

private:
    QByteArray saved_;
    bool had_;
};

namespace detail {
template <typename T>
QCoro::Task<void> settle(QCoro::Task<T> task, std::optional<T>* value, std::exception_ptr* error,
                         bool* done)
{
    try {
        *value = co_await std::move(task);
    } catch (...) {
        *error = std::current_exception();
    }
    *done = true;
}
QCoro::Task<void> settle(QCoro::Task<void> task, std::exception_ptr* error, bool* done);
void finish(const bool& done, const std::exception_ptr& error);
}  // namespace detail

// Runs the event loop until task ends; returns its value or rethrows its error.
// (QCoro::waitFor neither passes exceptions on nor takes a value without a
// default constructor.)
template <typename T> T await(QCoro::Task<T> task)
{
    std::optional<T> value;
    std::exception_ptr error;
    bool done = false;
    detail::settle(std::move(task), &value, &error, &done);
    detail::finish(done, error);
    return std::move(*value);
}
void await(QCoro::Task<void> task);

// The frame `ffmpeg -ss t` gives: the first at or after t, as RGB32; with a
// filter, that frame as the filter chain (after the upright turn) makes it.
QImage ffmpegFrame(const QString& file, double t, const QString& filter = {});

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

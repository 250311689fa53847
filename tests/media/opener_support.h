#pragma once

// Helpers for the opener's and converter's tests: running a coroutine to its
// end, collecting status calls, a stand-in converter script.

#include "common/testutil.h"
#include "media/converter.h"
#include "model/mwerror.h"

#include <QCoreApplication>
#include <QCoroTask>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <exception>
#include <optional>
#include <stdexcept>
#include <utility>
#include <vector>

namespace support {

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

inline QCoro::Task<void> settleVoid(QCoro::Task<void> task, std::exception_ptr* error, bool* done)
{
    try {
        co_await std::move(task);
    } catch (...) {
        *error = std::current_exception();
    }
    *done = true;
}

// Runs the event loop until task ends; returns its value or rethrows its error.
template <typename T> T await(QCoro::Task<T> task)
{
    std::optional<T> value;
    std::exception_ptr error;
    bool done = false;
    settle(std::move(task), &value, &error, &done);
    if (!testutil::waitUntil([&] { return done; }, 180000))
        throw std::runtime_error("the operation hung");
    if (error)
        std::rethrow_exception(error);
    return std::move(*value);
}

inline void await(QCoro::Task<void> task)
{
    std::exception_ptr error;
    bool done = false;
    settleVoid(std::move(task), &error, &done);
    if (!testutil::waitUntil([&] { return done; }, 180000))
        throw std::runtime_error("the operation hung");
    if (error)
        std::rethrow_exception(error);
}

// The message of the MWError an operation ends with; empty when it succeeds.
template <typename T> QString failure(QCoro::Task<T> task)
{
    try {
        await(std::move(task));
    } catch (const MWError& e) {
        return e.message;
    }
    return {};
}

struct Status {
    QString text;
    std::optional<double> fraction;
};

// Records status calls, and that each came on the main thread.
struct StatusLog {
    std::shared_ptr<std::vector<Status>> calls = std::make_shared<std::vector<Status>>();
    std::shared_ptr<bool> offMainThread = std::make_shared<bool>(false);

    MWStatus callback() const
    {
        return [calls = calls, off = offMainThread](const QString& text,
                                                    std::optional<double> fraction) {
            if (QThread::currentThread() != qApp->thread())
                *off = true;
            calls->push_back({text, fraction});
        };
    }
};

// Writes an executable shell script.
inline QString script(const QTemporaryDir& dir, const QString& name, const QByteArray& body)
{
    const QString path = dir.filePath(name);
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write("#!/bin/sh\n" + body);
    f.close();
    f.setPermissions(f.permissions() | QFile::ExeOwner);
    return path;
}

// Points the opener at another converter for the life of the object.
class ConverterAt {
public:
    explicit ConverterAt(const QString& path) { qputenv("CUTWRIGHT_CONVERTER", path.toUtf8()); }
    ~ConverterAt() { qunsetenv("CUTWRIGHT_CONVERTER"); }
    ConverterAt(const ConverterAt&) = delete;
    ConverterAt& operator=(const ConverterAt&) = delete;
};

}  // namespace support

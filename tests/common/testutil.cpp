#include "common/testutil.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdlib>
#include <gtest/gtest.h>
#include <stdexcept>

namespace testutil {

bool waitUntil(const std::function<bool()>& done, int timeoutMs)
{
    // Sleeps in the event loop between checks: a spinning wait would take a core
    // from the decoders and converters the test is waiting for.
    QDeadlineTimer deadline(timeoutMs);
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (done() || deadline.hasExpired())
            loop.quit();
    });
    if (done())
        return true;
    poll.start(10);
    loop.exec();
    return done();
}

Run run(const QString& program, const QStringList& args, int timeoutMs)
{
    QProcess p;
    p.start(program, args);
    Run r;
    if (!p.waitForStarted() || !p.waitForFinished(timeoutMs))
        return r;
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    return r;
}

QString fixture(const QString& name)
{
#ifdef CW_FIXTURE_DIR
    const QString dir = QStringLiteral(CW_FIXTURE_DIR);
    const QString path = dir + QLatin1Char('/') + name;
    if (!QFileInfo::exists(path)) {
        // The script makes one named file (and locks the folder itself).
        const Run r = run(QStringLiteral(CW_FIXTURE_SCRIPT), {dir, name}, 300000);
        if (r.exitCode != 0)
            ADD_FAILURE() << "fixture " << name.toStdString() << ": " << r.err.toStdString();
    }
    return path;
#else
    return name;
#endif
}

QString copyFixture(const QString& fixtureName, const QString& folder, const QString& name)
{
    const QString path = folder + QLatin1Char('/') + name;
    QFile::copy(fixture(fixtureName), path);
    return path;
}

QImage ffmpegFrame(const QString& file, double t, const QString& filter)
{
    QTemporaryDir dir;
    const QString png = dir.filePath(QStringLiteral("frame.png"));
    QStringList args{"-hide_banner", "-loglevel", "error",     "-ss", QString::number(t),
                     "-i",           file,        "-frames:v", "1"};
    if (!filter.isEmpty())
        args << "-vf" << filter;
    const auto r = run(QStringLiteral("ffmpeg"), args << png);
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    return QImage(png).convertToFormat(QImage::Format_RGB32);
}

double difference(const QImage& a, const QImage& b)
{
    if (a.size() != b.size())
        return 255;
    double sum = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y);
            const QRgb q = b.pixel(x, y);
            sum += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) +
                   std::abs(qBlue(p) - qBlue(q));
        }
    }
    return sum / (3.0 * a.width() * a.height());
}

QString script(const QTemporaryDir& dir, const QString& name, const QByteArray& body)
{
    const QString path = dir.filePath(name);
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("#!/bin/sh\n" + body + "\n");
    f.close();
    f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return path;
}

ConverterAt::ConverterAt(const QString& exe)
    : saved_(qgetenv("CUTWRIGHT_CONVERTER")), had_(qEnvironmentVariableIsSet("CUTWRIGHT_CONVERTER"))
{
    qputenv("CUTWRIGHT_CONVERTER",
            exe.isEmpty() ? QByteArray("/nonexistent/ffmpeg") : exe.toLocal8Bit());
}

ConverterAt::~ConverterAt()
{
    if (had_)
        qputenv("CUTWRIGHT_CONVERTER", saved_);
    else
        qunsetenv("CUTWRIGHT_CONVERTER");
}

namespace detail {
QCoro::Task<void> settle(QCoro::Task<void> task, std::exception_ptr* error, bool* done)
{
    try {
        co_await std::move(task);
    } catch (...) {
        *error = std::current_exception();
    }
    *done = true;
}

void finish(const bool& done, const std::exception_ptr& error)
{
    if (!waitUntil([&] { return done; }, 180000))
        throw std::runtime_error("the operation hung");
    if (error)
        std::rethrow_exception(error);
}
}  // namespace detail

void await(QCoro::Task<void> task)
{
    std::exception_ptr error;
    bool done = false;
    detail::settle(std::move(task), &error, &done);
    detail::finish(done, error);
}

}  // namespace testutil

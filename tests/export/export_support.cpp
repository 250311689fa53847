#include "export_support.h"

#include "common/testutil.h"
#include "media/opener.h"
#include "model/mwerror.h"
#include "platform/asset.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QtEndian>
#include <cmath>
#include <cstring>
#include <gtest/gtest.h>

namespace exporttest {

namespace {

// The converter launcher encodes with libx264 in every test, whatever
// hardware the machine has, so that results do not depend on the machine.
const bool kSoftwareEncoder = [] {
    qputenv("CUTWRIGHT_H264_HARDWARE", "none");
    return true;
}();

QByteArray ffmpegOut(const QStringList& args)
{
    const testutil::Run r =
        testutil::run(QStringLiteral("ffmpeg"),
                      QStringList{QStringLiteral("-v"), QStringLiteral("error")} + args);
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    return r.out;
}

}  // namespace

Outcome outcome(QCoro::Task<void> task)
{
    Outcome result;
    try {
        testutil::await(std::move(task));
        result.kind = Outcome::done;
    } catch (const MWCancelled&) {
        result.kind = Outcome::cancelled;
    } catch (const MWError& error) {
        result.kind = Outcome::failed;
        result.message = error.message;
    }
    return result;
}

MWOpenedMedia media(const QString& fixtureName)
{
    const QString path = testutil::fixture(fixtureName);
    return MWMediaOpener::inspected(MWAsset::open(path), path, false, std::nullopt, false);
}

QString fakeConverter(const QTemporaryDir& dir, const QString& body)
{
    static int count = 0;
    return testutil::script(dir, QStringLiteral("fake-%1").arg(++count),
                            "for out; do :; done\n" + body.toUtf8());
}

double Probe::duration() const
{
    return format.value(QStringLiteral("duration")).toString().toDouble();
}

Probe probe(const QString& path)
{
    const testutil::Run r = testutil::run(
        QStringLiteral("ffprobe"),
        {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-show_format"),
         QStringLiteral("-show_streams"), QStringLiteral("-of"), QStringLiteral("json"), path});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QJsonObject root = QJsonDocument::fromJson(r.out).object();
    Probe p;
    p.format = root.value(QStringLiteral("format")).toObject();
    for (const QJsonValue& v : root.value(QStringLiteral("streams")).toArray()) {
        const QJsonObject s = v.toObject();
        const QString type = s.value(QStringLiteral("codec_type")).toString();
        if (type == QLatin1String("video") && !p.video)
            p.video = s;
        else if (type == QLatin1String("audio") && !p.audio)
            p.audio = s;
    }
    return p;
}

bool indexFirst(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray data = file.readAll();
    qint64 at = 0;
    while (at + 8 <= data.size()) {
        quint64 size = qFromBigEndian<quint32>(data.constData() + at);
        const QByteArray type = data.mid(at + 4, 4);
        if (size == 1 && at + 16 <= data.size())
            size = qFromBigEndian<quint64>(data.constData() + at + 8);
        if (type == "moov")
            return true;
        if (type == "mdat" || size < 8)
            return false;
        at += qint64(size);
    }
    return false;
}

QByteArray firstLuma(const QString& path)
{
    const QByteArray yuv =
        ffmpegOut({QStringLiteral("-i"), path, QStringLiteral("-frames:v"), QStringLiteral("1"),
                   QStringLiteral("-f"), QStringLiteral("rawvideo"), QStringLiteral("-pix_fmt"),
                   QStringLiteral("yuv420p"), QStringLiteral("-")});
    return yuv.left(yuv.size() * 2 / 3);
}

QByteArray firstRgb(const QString& path)
{
    return ffmpegOut({QStringLiteral("-i"), path, QStringLiteral("-frames:v"), QStringLiteral("1"),
                      QStringLiteral("-f"), QStringLiteral("rawvideo"), QStringLiteral("-pix_fmt"),
                      QStringLiteral("rgb24"), QStringLiteral("-")});
}

double soundOnset(const QString& path)
{
    const QByteArray pcm = ffmpegOut(
        {QStringLiteral("-i"), path, QStringLiteral("-map"), QStringLiteral("0:a:0"),
         QStringLiteral("-ac"), QStringLiteral("1"), QStringLiteral("-ar"), QStringLiteral("48000"),
         QStringLiteral("-f"), QStringLiteral("f32le"), QStringLiteral("-")});
    const qsizetype n = pcm.size() / qsizetype(sizeof(float));
    for (qsizetype i = 0; i < n; ++i) {
        float s;
        std::memcpy(&s, pcm.constData() + i * sizeof(float), sizeof s);
        if (std::abs(s) > 0.1f)
            return double(i) / 48000.0;
    }
    return -1;
}

QString engineOf(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray data = file.readAll();
    if (data.contains(" rc=abr "))
        return QStringLiteral("converter");
    if (data.contains(" rc=crf "))
        return QStringLiteral("composition");
    return {};
}

}  // namespace exporttest

#include "export_support.h"

#include "export/exporter.h"
#include "media/opener.h"
#include "model/mwerror.h"
#include "platform/asset.h"

#include <QFile>
#include <QtEndian>
#include <cmath>
#include <cstring>

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
    const testutil::Run r = testutil::run("ffmpeg", QStringList{"-v", "error"} + args);
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    return r.out;
}

QByteArray rawFrame(const QString& path, double at, const char* pixelFormat)
{
    return ffmpegOut({"-ss", QString::number(at), "-i", path, "-frames:v", "1", "-f", "rawvideo",
                      "-pix_fmt", pixelFormat, "-"});
}

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
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

std::string engineName(const ::testing::TestParamInfo<Engine>& info)
{
    return info.param == Engine::converter ? "Converter" : "Composition";
}

QString exportWith(Engine engine, const Clip& clip, const MWOpenedMedia& media, const QString& out,
                   int shortSide)
{
    auto job = std::make_shared<ClipExporter::Job>();
    job->forceAVFoundation = engine == Engine::composition;
    const Outcome o = outcome(ClipExporter::exportClip(clip, media, {}, shortSide, out, job, {}));
    EXPECT_EQ(o.kind, Outcome::done) << o.message.toStdString();
    EXPECT_EQ(engineOf(out), engine == Engine::composition ? "composition" : "converter");
    return out;
}

bool indexFirst(const QString& path)
{
    const QByteArray data = fileBytes(path);
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

QByteArray luma(const QString& path, double at)
{
    const QByteArray yuv = rawFrame(path, at, "yuv420p");
    return yuv.left(yuv.size() * 2 / 3);
}

QByteArray firstRgb(const QString& path)
{
    return rawFrame(path, 0, "rgb24");
}

double soundOnset(const QString& path)
{
    const QByteArray pcm =
        ffmpegOut({"-i", path, "-map", "0:a:0", "-ac", "1", "-ar", "48000", "-f", "f32le", "-"});
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
    const QByteArray data = fileBytes(path);
    return data.contains(" rc=abr ")   ? QStringLiteral("converter")
           : data.contains(" rc=crf ") ? QStringLiteral("composition")
                                       : QString();
}

}  // namespace exporttest

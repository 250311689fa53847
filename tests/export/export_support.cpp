#include "export_support.h"

#include "export/exporter.h"
#include "export/fastexport.h"
#include "media/opener.h"
#include "model/cropmath.h"
#include "model/framepath.h"
#include "model/mwerror.h"
#include "platform/asset.h"

#include <QFile>
#include <cmath>
#include <cstring>

namespace exporttest {

namespace {

// The converter launcher encodes with libx264 in every test, whatever
// hardware the machine has, so that results do not depend on the machine.
const bool kSoftwareEncoder = qputenv("CUTWRIGHT_H264_HARDWARE", "none");

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

Outcome outcome(QCoro::Task<void> task)
{
    const auto written = [](QCoro::Task<void> t) -> QCoro::Task<QString> {
        co_await std::move(t);
        co_return QString();
    };
    return outcome(written(std::move(task)));
}

Outcome outcome(QCoro::Task<QString> task)
{
    Outcome result;
    try {
        result.written = testutil::await(std::move(task));
        result.kind = Outcome::done;
    } catch (const MWCancelled&) {
        result.kind = Outcome::cancelled;
    } catch (const MWError& error) {
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

QString exportWith(Engine engine, const Clip& clip, const MWOpenedMedia& media, const QString& out,
                   int shortSide, bool normalizeLoudness, const Captions::Cues& cues)
{
    QFile::remove(out);  // a test's earlier clip: exports never replace a file
    auto job = std::make_shared<ClipExporter::Job>();
    job->forceComposition = engine == Engine::composition;
    job->normalizeLoudness = normalizeLoudness;
    const Outcome o =
        outcome(ClipExporter::exportClip(clip, media, {}, shortSide, out, job, {}, cues));
    EXPECT_EQ(o.kind, Outcome::done) << o.message.toStdString();
    EXPECT_EQ(engineOf(out), engine == Engine::composition ? "composition" : "converter");
    return out;
}

std::string engineName(const ::testing::TestParamInfo<Engine>& info)
{
    return info.param == Engine::converter ? "Converter" : "Composition";
}

QString pathCrop(const Clip& clip, const MWOpenedMedia& media, int n, double rate, int shortSide)
{
    const FramePath::Frame f = FramePath::frameAt(clip, clip.inTime + (n + 0.01) / rate);
    const CropMath::PixelRect px =
        ClipExporter::storedCrop(media, CropMath::cropFrame(clip.aspect, f.zoom, f.centerX,
                                                            f.centerY, media.naturalSize, {}));
    const QSize render = renderSize(clip.aspect, shortSide);
    return QStringLiteral("crop=%1:%2:%3:%4,scale=%5:%6")
        .arg(px.w)
        .arg(px.h)
        .arg(px.x)
        .arg(px.y)
        .arg(render.width())
        .arg(render.height());
}

bool indexFirst(const QString& path)
{
    // Only the file type box can come before the first of the two.
    const QByteArray data = fileBytes(path);
    const qsizetype moov = data.indexOf("moov"), mdat = data.indexOf("mdat");
    return moov >= 0 && (mdat < 0 || moov < mdat);
}

double soundOnset(const QString& path)
{
    const testutil::Run r =
        testutil::run("ffmpeg", {"-v", "error", "-i", path, "-map", "0:a:0", "-ac", "1", "-ar",
                                 "48000", "-f", "f32le", "-"});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QByteArray& pcm = r.out;
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

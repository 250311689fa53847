#pragma once

#include "common/export_probe.h"
#include "common/testutil.h"
#include "export/job.h"
#include "model/captions.h"
#include "model/clip.h"
#include "model/openedmedia.h"

#include <QCoroTask>
#include <QTemporaryDir>
#include <gtest/gtest.h>

// Helpers shared by the export tests: running an export to its end, fake
// converters, and looking into the files written.
namespace exporttest {

// How an export ended.
struct Outcome {
    enum Kind { done, failed, cancelled } kind = failed;
    QString message;
    QString written;  // the path the clip took, when done
};
Outcome outcome(QCoro::Task<QString> task);
Outcome outcome(QCoro::Task<void> task);

// The media record the opener would make for a fixture.
MWOpenedMedia media(const QString& fixtureName);

// An executable /bin/sh script in dir running body; "$out" is the last argument.
QString fakeConverter(const QTemporaryDir& dir, const QString& body);

// A clip from in to out of the given shape and frame, named name.
inline Clip clipOf(double in, double out, Aspect aspect = Aspect::vertical, double zoom = 1,
                   double cx = 0.5, double cy = 0.5, const QString& name = {})
{
    return Clip{{}, {}, name, in, out, aspect, zoom, cx, cy};
}

// Every file either engine writes must be the same kind of file, so the
// tests of what is written run once through each.
enum class Engine { converter, composition };

// Exports clip through engine into out and expects it done by that engine.
QString exportWith(Engine engine, const Clip& clip, const MWOpenedMedia& media, const QString& out,
                   int shortSide = 720, bool normalizeLoudness = false,
                   const Captions::Cues& cues = {});

// A test run through each engine (CW_EACH_ENGINE), each clip a file of its own.
struct EngineTest : ::testing::TestWithParam<Engine> {
    QTemporaryDir dir;
    int written = 0;

    QString exportOf(const char* fixture, const Clip& clip, int shortSide = 720,
                     bool normalizeLoudness = false, const Captions::Cues& cues = {})
    {
        return exportWith(GetParam(), clip, media(fixture),
                          dir.filePath(QStringLiteral("%1.mp4").arg(++written)), shortSide,
                          normalizeLoudness, cues);
    }
};
std::string engineName(const ::testing::TestParamInfo<Engine>& info);
#define CW_EACH_ENGINE(suite)                                                                      \
    INSTANTIATE_TEST_SUITE_P(                                                                      \
        Engines, suite,                                                                            \
        ::testing::Values(exporttest::Engine::converter, exporttest::Engine::composition),         \
        exporttest::engineName)

// The ffmpeg filter that cuts and scales what a clip's frame covers at output
// frame n (a hair into it), to draw what the engines must write.
QString pathCrop(const Clip& clip, const MWOpenedMedia& media, int n, double rate, int shortSide);

// Whether the movie index (moov) comes before the media data (mdat).
bool indexFirst(const QString& path);

// Seconds from the start of the file to the first sample louder than 0.1.
double soundOnset(const QString& path);

// Which engine wrote a file, from libx264's settings stored in the stream:
// "converter" (average bit rate), "composition" (constant quality) or "".
QString engineOf(const QString& path);

}  // namespace exporttest

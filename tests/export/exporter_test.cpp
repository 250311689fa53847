#include "common/testutil.h"
#include "export/exporter.h"
#include "export_support.h"
#include "platform/composition.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <signal.h>

using namespace ClipExporter;
using exporttest::Outcome;

namespace {

// A square clip of the whole picture.
Clip clip(const QString& name, double in, double out)
{
    return exporttest::clipOf(in, out, Aspect::square, 1, 0.5, 0.5, name);
}

struct ExporterTest : ::testing::Test {
    QTemporaryDir dir;
    std::shared_ptr<Job> job = std::make_shared<Job>();
    QString out = dir.filePath("01 Clip (1x1).mp4");
    std::vector<double> progress;
    const MWOpenedMedia quad = exporttest::media("export_quad.mp4");

    Outcome run(const Clip& c, const MWOpenedMedia& m, std::optional<QRectF> area = {})
    {
        return exporttest::outcome(
            exportClip(c, m, area, 720, out, job, [this](double f) { progress.push_back(f); }));
    }
};

}  // namespace

TEST_F(ExporterTest, ShortClipsEmptyFramesAndCancelledJobsStopBeforeAnythingRuns)
{
    // A converter that leaves a mark when it runs at all.
    const QString ran = dir.filePath("ran");
    exporttest::ConverterAt converter(exporttest::fakeConverter(dir, ": > \"" + ran + "\""));
    MWOpenedMedia m = quad;
    m.duration = 60;
    MWOpenedMedia sound = m;
    sound.naturalSize = QSizeF(0, 0);
    const QString tooShort =
        " is shorter than 0.1 seconds. Set its In and Out points further apart.";
    const std::tuple<Clip, const MWOpenedMedia&, std::optional<QRectF>, QString> cases[] = {
        {clip("Intro", 10, 10.05), m, {}, "\u201CIntro\u201D" + tooShort},
        // Both points past the end clamp to the same place.
        {clip("Late", 70, 80), m, {}, "\u201CLate\u201D" + tooShort},
        // The picture rectangle lies wholly outside the frame.
        {clip("Off", 0, 1), m, QRectF(400, 300, 50, 50), "The frame for \u201COff\u201D is empty."},
        {clip("Sound", 0, 1), sound, {}, "The frame for \u201CSound\u201D is empty."}};
    for (const auto& [c, media, area, message] : cases) {
        const Outcome o = run(c, media, area);
        EXPECT_EQ(o.kind, Outcome::failed) << c.name.toStdString();
        EXPECT_EQ(o.message, message);
    }

    // A cancelled job refuses the next clip and leaves its file alone.
    QFile existing(out);
    ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
    existing.write("keep");
    existing.close();
    job->cancel();
    EXPECT_EQ(run(clip("A", 0, 1), quad).kind, Outcome::cancelled);
    EXPECT_FALSE(QFileInfo::exists(ran));  // for any clip of this test
    ASSERT_TRUE(existing.open(QIODevice::ReadOnly));
    EXPECT_EQ(existing.readAll(), "keep");
}

// A converter's file counts only when it succeeded and wrote more than a
// thousand bytes; otherwise the composition makes the clip instead, which is
// also the way when the job forces it or there is no converter.
TEST_F(ExporterTest, FallBackToTheComposition)
{
    // The real converter, and the composition when forced: the OutputTest.
    const std::pair<const char*, std::optional<qint64>> cases[] = {
        {"", {}},  // an empty body names no converter here
        {"head -c 1001 /dev/zero > \"$out\"", 1001},
        {"head -c 1000 /dev/zero > \"$out\"", {}},
        {"echo junk > \"$out\"; echo 'Unknown encoder' >&2; exit 1", {}}};
    for (const auto& [body, kept] : cases) {
        SCOPED_TRACE(body);
        exporttest::ConverterAt converter(*body ? exporttest::fakeConverter(dir, body) : QString());
        progress.clear();
        const Outcome o = run(clip("A", 0, 0.5), quad);
        EXPECT_EQ(o.kind, Outcome::done) << o.message.toStdString();
        if (kept) {
            EXPECT_EQ(QFileInfo(out).size(), *kept);
        } else {
            EXPECT_EQ(exporttest::engineOf(out), "composition");
        }
        ASSERT_FALSE(progress.empty());
        EXPECT_EQ(progress.back(), 1.0);
    }
}

// Cancelled while it runs, either engine stops and leaves no file: a converter
// that goes on finishing its file (ffmpeg, asked to stop, still writes its
// index and moves it to the front; the stand-in ignores the request altogether
// and would run ten minutes; the real one stops sooner), and the composition
// while it repeats a still picture (its single frame is shown for the whole
// 8 s). Before it runs, the composition's own test below.
TEST_F(ExporterTest, CancelStopsEitherEngineAndLeavesNoFile)
{
    const QString pidFile = dir.filePath("pid");
    const QString stubborn = exporttest::fakeConverter(
        dir, "trap '' TERM; echo $$ > \"" + pidFile +
                 "\"; echo partial > \"$out\"; echo 'time=00:00:00.10' >&2; exec sleep 600");
    exporttest::ConverterAt converter(stubborn);
    for (const bool composition : {false, true}) {
        SCOPED_TRACE(composition ? "composition" : "converter");
        job = std::make_shared<Job>();
        job->forceAVFoundation = composition;
        const Outcome o = exporttest::outcome(
            exportClip(clip("Long", 0, composition ? 8 : 12),
                       exporttest::media(composition ? "export_still.mp4" : "export_long.mp4"), {},
                       720, out, job, [j = job](double f) {
                           if (f > 0)
                               j->cancel();
                       }));
        EXPECT_EQ(o.kind, Outcome::cancelled);
        EXPECT_FALSE(QFileInfo::exists(out));
    }
    QFile f(pidFile);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const pid_t pid = f.readAll().trimmed().toInt();
    ASSERT_GT(pid, 0);
    EXPECT_NE(::kill(pid, 0), 0);  // gone, and reaped
}

// The composition on its own: cancelled before it runs, it ends at once; a
// source without a picture fails with the track message. Neither leaves a file.
TEST(CompositionExport, CancelBeforeRunAndASourceWithoutPicture)
{
    QTemporaryDir dir;
    for (const bool cancel : {true, false}) {
        const MWComposition c{
            .source = testutil::fixture(cancel ? "export_quad.mp4" : "frames_audio.m4a"),
            .end = 1,
            .preferredTransform = {},
            .crop = QRect(0, 0, 240, 240),
            .renderSize = QSize(720, 720),
            .output = dir.filePath("x.mp4")};
        MWCompositionExport session(c);
        if (cancel)
            session.cancel();
        session.run();
        EXPECT_EQ(session.status(), cancel ? MWCompositionExport::Status::cancelled
                                           : MWCompositionExport::Status::failed);
        EXPECT_EQ(session.error(), cancel ? QString() : "The video track can't be read.");
        EXPECT_FALSE(QFileInfo::exists(c.output));
    }
}

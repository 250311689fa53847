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

Clip clip(const QString& name, double in, double out, Aspect aspect = Aspect::square)
{
    Clip c;
    c.name = name;
    c.inTime = in;
    c.outTime = out;
    c.aspect = aspect;
    return c;
}

struct ExporterTest : ::testing::Test {
    QTemporaryDir dir;
    std::shared_ptr<Job> job = std::make_shared<Job>();
    QString out = dir.filePath("01 Clip (1x1).mp4");
    std::vector<double> progress;

    Outcome run(const Clip& c, const MWOpenedMedia& m, std::optional<QRectF> area = {})
    {
        return exporttest::outcome(
            exportClip(c, m, area, 720, out, job, [this](double f) { progress.push_back(f); }));
    }
    // A converter that leaves a mark when it runs at all.
    QString marking(const QString& then)
    {
        return exporttest::fakeConverter(dir, ": > \"" + dir.filePath("ran") + "\"; " + then);
    }
    bool converterRan() const { return QFileInfo::exists(dir.filePath("ran")); }
};

}  // namespace

TEST_F(ExporterTest, ClipsTooShortOrWithAnEmptyFrameFailBeforeAnythingRuns)
{
    exporttest::ConverterAt converter(marking("exit 0"));
    MWOpenedMedia m = exporttest::media("export_quad.mp4");
    m.duration = 60;
    MWOpenedMedia sound = m;
    sound.naturalSize = QSizeF(0, 0);
    const QString tooShort =
        " is shorter than 0.1 seconds. Set its In and Out points further apart.";
    struct Case {
        Clip clip;
        const MWOpenedMedia& media;
        std::optional<QRectF> area;
        QString message;
    };
    for (const Case& c : std::vector<Case>{
             {clip("Intro", 10, 10.05), m, {}, "\u201CIntro\u201D" + tooShort},
             // Both points past the end clamp to the same place.
             {clip("Late", 70, 80), m, {}, "\u201CLate\u201D" + tooShort},
             // The picture rectangle lies wholly outside the frame.
             {clip("Off", 0, 1), m, QRectF(400, 300, 50, 50),
              "The frame for \u201COff\u201D is empty."},
             {clip("Sound", 0, 1), sound, {}, "The frame for \u201CSound\u201D is empty."}}) {
        const Outcome o = run(c.clip, c.media, c.area);
        EXPECT_EQ(o.kind, Outcome::failed) << c.clip.name.toStdString();
        EXPECT_EQ(o.message, c.message);
    }
    EXPECT_FALSE(converterRan());
}

TEST_F(ExporterTest, CancelledJobRefusesTheNextClipAndLeavesTheFileAlone)
{
    exporttest::ConverterAt converter(marking("exit 0"));
    QFile existing(out);
    ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
    existing.write("keep");
    existing.close();
    job->cancel();
    EXPECT_EQ(run(clip("A", 0, 1), exporttest::media("export_quad.mp4")).kind, Outcome::cancelled);
    EXPECT_FALSE(converterRan());
    QFile kept(out);
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), "keep");
}

// A converter's file counts only when it succeeded and wrote more than a
// thousand bytes; otherwise the composition makes the clip instead.
TEST_F(ExporterTest, AFailedOrEmptyConverterFileFallsBackToTheComposition)
{
    const MWOpenedMedia m = exporttest::media("export_quad.mp4");
    struct Case {
        const char* body;
        bool kept;
    };
    for (const Case c : {Case{"head -c 1001 /dev/zero > \"$out\"", true},
                         Case{"head -c 1000 /dev/zero > \"$out\"", false},
                         Case{"echo junk > \"$out\"; echo 'Unknown encoder' >&2; exit 1", false}}) {
        exporttest::ConverterAt converter(exporttest::fakeConverter(dir, c.body));
        progress.clear();
        const Outcome o = run(clip("A", 0, 0.5), m);
        EXPECT_EQ(o.kind, Outcome::done) << c.body << o.message.toStdString();
        if (c.kept)
            EXPECT_EQ(QFileInfo(out).size(), 1001) << c.body;
        else
            EXPECT_EQ(exporttest::engineOf(out), "composition") << c.body;
        ASSERT_FALSE(progress.empty()) << c.body;
        EXPECT_EQ(progress.back(), 1.0) << c.body;
    }
}

TEST_F(ExporterTest, EngineChoice)
{
    const MWOpenedMedia m = exporttest::media("export_quad.mp4");
    // The real converter when it is there…
    EXPECT_EQ(run(clip("A", 0, 0.5), m).kind, Outcome::done);
    EXPECT_EQ(exporttest::engineOf(out), "converter");
    // …unless the job forces the composition…
    job->forceAVFoundation = true;
    EXPECT_EQ(run(clip("A", 0, 0.5), m).kind, Outcome::done);
    EXPECT_EQ(exporttest::engineOf(out), "composition");
    // …which is also the only way without a converter.
    job->forceAVFoundation = false;
    exporttest::ConverterAt none({});
    EXPECT_EQ(run(clip("A", 0, 0.5), m).kind, Outcome::done);
    EXPECT_EQ(exporttest::engineOf(out), "composition");
}

TEST_F(ExporterTest, CancelDuringEitherEngineStopsItAndLeavesNoFile)
{
    for (const bool composition : {false, true}) {
        job = std::make_shared<Job>();
        job->forceAVFoundation = composition;
        const auto j = job;
        const Outcome o = exporttest::outcome(
            exportClip(clip("Long", 0, 12), exporttest::media("export_long.mp4"), {}, 720, out, job,
                       [j](double) { j->cancel(); }));
        EXPECT_EQ(o.kind, Outcome::cancelled) << composition;
        EXPECT_FALSE(QFileInfo::exists(out));
    }
}

TEST_F(ExporterTest, CancelEndsAConverterThatGoesOnFinishingItsFile)
{
    // Asked to stop, ffmpeg still writes its index and moves it to the front;
    // this stand-in ignores the request altogether and would run ten minutes.
    const QString pidFile = dir.filePath("pid");
    exporttest::ConverterAt converter(exporttest::fakeConverter(
        dir, "trap '' TERM; echo $$ > \"" + pidFile +
                 "\"; echo partial > \"$out\"; echo 'time=00:00:00.10' >&2; exec sleep 600"));
    const auto j = job;
    const Outcome o =
        exporttest::outcome(exportClip(clip("Long", 0, 12), exporttest::media("export_long.mp4"),
                                       {}, 720, out, job, [j](double) { j->cancel(); }));
    EXPECT_EQ(o.kind, Outcome::cancelled);
    EXPECT_FALSE(QFileInfo::exists(out));
    QFile f(pidFile);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const pid_t pid = f.readAll().trimmed().toInt();
    ASSERT_GT(pid, 0);
    EXPECT_NE(::kill(pid, 0), 0);  // gone, and reaped
}

TEST_F(ExporterTest, CancelStopsTheCompositionWhileItRepeatsAStillPicture)
{
    // The single frame is shown for the whole 8 s: the cancel lands while it
    // is being repeated, not while the source is read.
    job->forceAVFoundation = true;
    const auto j = job;
    const Outcome o =
        exporttest::outcome(exportClip(clip("Still", 0, 8), exporttest::media("export_still.mp4"),
                                       {}, 720, out, job, [j](double f) {
                                           if (f > 0)
                                               j->cancel();
                                       }));
    EXPECT_EQ(o.kind, Outcome::cancelled);
    EXPECT_FALSE(QFileInfo::exists(out));
}

namespace {

// A composition of source into dir's x.mp4, cropped to crop.
MWComposition composition(const QTemporaryDir& dir, const QString& source, QRect crop)
{
    MWComposition c;
    c.source = source;
    c.end = 1;
    c.crop = crop;
    c.renderSize = QSize(720, 720);
    c.output = dir.filePath("x.mp4");
    return c;
}

}  // namespace

TEST(CompositionExport, CancelBeforeRunEndsItAtOnceWithoutAFile)
{
    QTemporaryDir dir;
    const MWComposition c =
        composition(dir, testutil::fixture("export_quad.mp4"), QRect(0, 0, 240, 240));
    MWCompositionExport session(c);
    session.cancel();
    session.run();
    EXPECT_EQ(session.status(), MWCompositionExport::Status::cancelled);
    EXPECT_FALSE(QFileInfo::exists(c.output));
}

TEST(CompositionExport, SourceWithoutPictureFailsWithTheTrackMessage)
{
    QTemporaryDir dir;
    const QString sound = dir.filePath("sound.m4a");
    ASSERT_EQ(testutil::run("ffmpeg", {"-v", "error", "-f", "lavfi", "-i", "sine=duration=1",
                                       "-c:a", "aac", sound})
                  .exitCode,
              0);
    const MWComposition c = composition(dir, sound, QRect(0, 0, 2, 2));
    MWCompositionExport session(c);
    session.run();
    EXPECT_EQ(session.status(), MWCompositionExport::Status::failed);
    EXPECT_EQ(session.error(), "The video track can't be read.");
    EXPECT_FALSE(QFileInfo::exists(c.output));
}

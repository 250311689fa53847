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
    MWOpenedMedia m = quad;
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
    EXPECT_EQ(run(clip("A", 0, 1), quad).kind, Outcome::cancelled);
    EXPECT_FALSE(converterRan());
    ASSERT_TRUE(existing.open(QIODevice::ReadOnly));
    EXPECT_EQ(existing.readAll(), "keep");
}

// A converter's file counts only when it succeeded and wrote more than a
// thousand bytes; otherwise the composition makes the clip instead, which is
// also the way when the job forces it or there is no converter.
TEST_F(ExporterTest, EngineChoiceAndTheFallBackToTheComposition)
{
    struct Case {
        std::optional<const char*> body;  // the real converter when not given
        bool force = false;
        std::optional<qint64> kept;  // the converter's file, of this size
    };
    for (const Case& c : std::vector<Case>{
             {{}, false, {}},
             {{}, true, {}},
             {"", false, {}},  // an empty body names no converter here
             {"head -c 1001 /dev/zero > \"$out\"", false, 1001},
             {"head -c 1000 /dev/zero > \"$out\"", false, {}},
             {"echo junk > \"$out\"; echo 'Unknown encoder' >&2; exit 1", false, {}}}) {
        SCOPED_TRACE(c.body.value_or("ffmpeg"));
        std::optional<exporttest::ConverterAt> converter;
        if (c.body)
            converter.emplace(**c.body ? exporttest::fakeConverter(dir, *c.body) : QString());
        job->forceAVFoundation = c.force;
        progress.clear();
        const Outcome o = run(clip("A", 0, 0.5), quad);
        EXPECT_EQ(o.kind, Outcome::done) << o.message.toStdString();
        if (c.kept) {
            EXPECT_EQ(QFileInfo(out).size(), *c.kept);
        } else {
            EXPECT_EQ(exporttest::engineOf(out), c.body || c.force ? "composition" : "converter");
        }
        ASSERT_FALSE(progress.empty());
        EXPECT_EQ(progress.back(), 1.0);
    }
}

// Cancelled, either engine stops and leaves no file: also a converter that
// goes on finishing its file (ffmpeg, asked to stop, still writes its index
// and moves it to the front; the stand-in ignores the request altogether and
// would run ten minutes), and the composition while it repeats a still
// picture (its single frame is shown for the whole 8 s).
TEST_F(ExporterTest, CancelStopsEitherEngineAndLeavesNoFile)
{
    const QString pidFile = dir.filePath("pid");
    const QString stubborn = exporttest::fakeConverter(
        dir, "trap '' TERM; echo $$ > \"" + pidFile +
                 "\"; echo partial > \"$out\"; echo 'time=00:00:00.10' >&2; exec sleep 600");
    struct Case {
        const char* fixture;
        double length;
        bool composition;
        std::optional<QString> converter;  // the real one when not given
        bool afterStart = false;           // cancel only once progress is past 0
    };
    for (const Case& c :
         {Case{"export_long.mp4", 12, false, {}}, Case{"export_long.mp4", 12, true, {}},
          Case{"export_long.mp4", 12, false, stubborn},
          Case{"export_still.mp4", 8, true, {}, true}}) {
        SCOPED_TRACE(testing::Message() << c.fixture << " composition " << c.composition
                                        << " stubborn " << bool(c.converter));
        std::optional<exporttest::ConverterAt> converter;
        if (c.converter)
            converter.emplace(*c.converter);
        job = std::make_shared<Job>();
        job->forceAVFoundation = c.composition;
        const auto j = job;
        const bool afterStart = c.afterStart;
        const Outcome o =
            exporttest::outcome(exportClip(clip("Long", 0, c.length), exporttest::media(c.fixture),
                                           {}, 720, out, job, [j, afterStart](double f) {
                                               if (f > 0 || !afterStart)
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
    const QString sound = dir.filePath("sound.m4a");
    ASSERT_EQ(testutil::run("ffmpeg", {"-v", "error", "-f", "lavfi", "-i", "sine=duration=1",
                                       "-c:a", "aac", sound})
                  .exitCode,
              0);
    for (const bool cancel : {true, false}) {
        const MWComposition c{.source = cancel ? testutil::fixture("export_quad.mp4") : sound,
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

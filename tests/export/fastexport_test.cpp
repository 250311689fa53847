#include "common/testutil.h"
#include "export/fastexport.h"
#include "export_support.h"
#include "model/cropmath.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace ClipExporter;
using exporttest::Outcome;

namespace {

struct FastExportTest : ::testing::Test {
    QTemporaryDir dir;
    std::shared_ptr<Job> job = std::make_shared<Job>();
    std::vector<double> progress;
    MWOpenedMedia media = exporttest::media("export_quad.mp4");
    QString out = dir.filePath("out.mp4");

    Outcome run(const QString& exe, double start = 0, double end = 2)
    {
        const QRectF crop = CropMath::cropFrame(Aspect::square, 1, 0.5, 0.5, media.naturalSize, {});
        return exporttest::outcome(fastExport(exe, media, start, end, crop, QSizeF(720, 720), out,
                                              job, [this](double f) { progress.push_back(f); }));
    }
};

}  // namespace

TEST_F(FastExportTest, FailuresCarryTheConvertersLastTwoLinesOrTheLaunchError)
{
    struct Case {
        QString exe;
        std::optional<QString> message;  // any non-empty one when not given
    };
    for (const Case& c : std::vector<Case>{
             {exporttest::fakeConverter(dir, "printf 'a\\n\\nb\\nc\\n' >&2; exit 1"), "b c"},
             {dir.filePath("missing-converter"), std::nullopt},
             // The shell reports the signal; the exit status alone would read 0.
             {exporttest::fakeConverter(dir, "echo dying >&2; kill -KILL $$"), "dying"}}) {
        const Outcome o = run(c.exe);
        EXPECT_EQ(o.kind, Outcome::failed) << c.exe.toStdString();
        if (c.message)
            EXPECT_EQ(o.message, *c.message);
        else
            EXPECT_FALSE(o.message.isEmpty());
    }
}

TEST_F(FastExportTest, ProgressComesFromTheLastTimeOfEachChunkAndStaysBelowOne)
{
    // Each printf is its own chunk only if the reader sees it before the next;
    // a pause between them (by the converter, not the test) makes sure of that.
    const QString exe = exporttest::fakeConverter(
        dir, "printf 'frame= 1 time=00:00:00.20 x time=00:00:01.00 bitrate=\\n' >&2; sleep 0.3;"
             "printf 'frame= 9 time=00:00:09.00 bitrate=\\n' >&2; sleep 0.3; : > \"$out\"");
    EXPECT_EQ(run(exe, 10, 12).kind, Outcome::done);
    EXPECT_EQ(progress, (std::vector<double>{0.5, 0.99}));
}

TEST_F(FastExportTest, ProgressNeverLeavesZeroToJustBelowOne)
{
    // A time before the start (the converter prints it with a leading minus)
    // and a clock of nonsense are no progress.
    for (const char* clock : {"-00:00:01.00", "-01:00:00.00", "1e308:5:8"}) {
        progress.clear();
        const QString exe = exporttest::fakeConverter(
            dir, QStringLiteral("printf 'frame= 1 time=%1 bitrate=\\n' >&2; : > \"$out\"")
                     .arg(QLatin1String(clock)));
        EXPECT_EQ(run(exe).kind, Outcome::done);
        EXPECT_EQ(progress, std::vector<double>{0.0}) << clock;
    }
}

TEST_F(FastExportTest, CancelTerminatesTheConverterAndIsNotAFailure)
{
    const QString exe = exporttest::fakeConverter(
        dir, "echo partial > \"$out\"; echo 'time=00:00:00.10' >&2; exec sleep 60");
    const auto j = job;
    const Outcome o =
        exporttest::outcome(fastExport(exe, media, 0, 2, QRectF(0, 0, 240, 240), QSizeF(720, 720),
                                       out, job, [j](double) { j->cancel(); }));
    EXPECT_EQ(o.kind, Outcome::cancelled);
    EXPECT_TRUE(job->cancelled());
}

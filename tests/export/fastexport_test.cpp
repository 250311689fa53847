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
    bool cancelOnProgress = false;

    Outcome run(const QString& exe, double start = 0, double end = 2)
    {
        const QRectF crop = CropMath::cropFrame(Aspect::square, 1, 0.5, 0.5, media.naturalSize, {});
        return exporttest::outcome(
            fastExport(exe, media, start, end, crop, QSizeF(720, 720), out, job, [this](double f) {
                progress.push_back(f);
                if (cancelOnProgress)
                    job->cancel();
            }));
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

// Each printf is its own chunk only if the reader sees it before the next; a
// pause between them (by the converter, not the test) makes sure of that. A
// time before the start (the converter prints it with a leading minus) and a
// clock of nonsense are no progress.
TEST_F(FastExportTest, ProgressComesFromTheLastTimeOfEachChunkAndStaysWithinZeroAndJustBelowOne)
{
    const auto at = [](const char* clock) {
        return QStringLiteral("printf 'frame= 1 time=%1 bitrate=\\n' >&2; ").arg(clock);
    };
    const std::tuple<QString, double, std::vector<double>> cases[] = {
        {"printf 'frame= 1 time=00:00:00.20 x time=00:00:01.00 bitrate=\\n' >&2; sleep 0.3;" +
             at("00:00:09.00") + "sleep 0.3;",
         10,
         {0.5, 0.99}},
        {at("-00:00:01.00"), 0, {0.0}},
        {at("-01:00:00.00"), 0, {0.0}},
        {at("1e308:5:8"), 0, {0.0}}};
    for (const auto& [body, start, expected] : cases) {
        progress.clear();
        EXPECT_EQ(run(exporttest::fakeConverter(dir, body + ": > \"$out\""), start, start + 2).kind,
                  Outcome::done);
        EXPECT_EQ(progress, expected) << body.toStdString();
    }
}

TEST_F(FastExportTest, CancelTerminatesTheConverterAndIsNotAFailure)
{
    cancelOnProgress = true;
    const Outcome o = run(exporttest::fakeConverter(
        dir, "echo partial > \"$out\"; echo 'time=00:00:00.10' >&2; exec sleep 60"));
    EXPECT_EQ(o.kind, Outcome::cancelled);
    EXPECT_TRUE(job->cancelled());
}

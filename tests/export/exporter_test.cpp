#include "common/processgone.h"
#include "export/avexport.h"
#include "export/exporter.h"
#include "export/fastexport.h"
#include "export/partfile.h"
#include "export_support.h"
#include "model/cropmath.h"
#include "platform/composition.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

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

// Short clips, empty frames and a cancelled job stop before anything runs. A
// converter's file counts only when it succeeded and wrote more than a
// thousand bytes; otherwise the composition makes the clip instead, which is
// also the way when the job forces it or there is no converter.
TEST_F(ExporterTest, RefusalsAndTheFallBackToTheComposition)
{
    // A converter that leaves a mark when it runs at all.
    const QString ran = dir.filePath("ran");
    testutil::ConverterAt marking(exporttest::fakeConverter(dir, ": > \"" + ran + "\""));
    const QString tooShort =
        " is shorter than 0.1 seconds. Set its In and Out points further apart.";
    const std::tuple<Clip, std::optional<QRectF>, QString> cases[] = {
        {clip("Intro", 1, 1.05), {}, "\u201CIntro\u201D" + tooShort},
        // Both points past the end (2 s) clamp to the same place.
        {clip("Late", 70, 80), {}, "\u201CLate\u201D" + tooShort},
        // The picture rectangle lies wholly outside the frame; a picture of no
        // size is the same empty frame (the geometry tests).
        {clip("Off", 0, 1), QRectF(400, 300, 50, 50), "The frame for \u201COff\u201D is empty."}};
    for (const auto& [c, area, message] : cases) {
        const Outcome o = run(c, quad, area);
        EXPECT_EQ(o.kind, Outcome::failed) << c.name.toStdString();
        EXPECT_EQ(o.message, message);
    }

    // A cancelled job refuses the next clip and leaves a file of its name alone
    // (the export removes it before either engine writes).
    QFile(out).open(QIODevice::WriteOnly);
    job->cancel();
    EXPECT_EQ(run(clip("A", 0, 1), quad).kind, Outcome::cancelled);
    EXPECT_FALSE(QFileInfo::exists(ran));  // for any clip so far
    EXPECT_TRUE(QFileInfo::exists(out));
    QFile::remove(out);

    // The real converter, and the composition when forced: the OutputTest.
    job = std::make_shared<Job>();
    const std::pair<const char*, std::optional<qint64>> engines[] = {
        {"", {}},  // an empty body names no converter here
        {"head -c 1001 /dev/zero > \"$out\"", 1001},
        {"head -c 1000 /dev/zero > \"$out\"", {}},
        {"echo junk > \"$out\"; echo 'Unknown encoder' >&2; exit 1", {}}};
    for (const auto& [body, kept] : engines) {
        SCOPED_TRACE(body);
        testutil::ConverterAt converter(*body ? exporttest::fakeConverter(dir, body) : QString());
        QFile::remove(out);  // the last engine's clip
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
    testutil::ConverterAt stubborn(exporttest::fakeConverter(
        dir, "trap '' TERM; echo $$ > \"" + pidFile +
                 "\"; echo partial > \"$out\"; echo 'time=00:00:00.10' >&2; exec sleep 600"));
    for (const bool composition : {false, true}) {
        SCOPED_TRACE(composition ? "composition" : "converter");
        job = std::make_shared<Job>();
        job->forceComposition = composition;
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
    EXPECT_TRUE(testutil::processGone(pidFile));
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

// The command line reads only the file, its size, its sound and its rate
// (30 when unset). The failure lines are FastExportFailuresAndProgress's.
TEST(FastArgs, ArgumentsBitRateAndFailureLines)
{
    MWOpenedMedia hd;
    hd.playable = "/media/in put.mp4";
    hd.hasAudio = true;
    hd.naturalSize = QSizeF(1920, 1080);
    const QRectF crop =
        CropMath::cropFrame(Aspect::vertical, 1, 0.5, 0.5, hd.naturalSize, std::nullopt);
    // Input seeking, as the player's exact seek; the rest of the line is what
    // the delivery tests probe in the files written.
    const QStringList args =
        fastArgs(hd, 12.5, 41.25, crop, QSizeF(1080, 1920), "/out/01 A (9x16).mp4");
    EXPECT_EQ(args.mid(3, 6),
              QStringList({"-ss", "12.500", "-t", "28.750", "-i", "/media/in put.mp4"}));
    EXPECT_TRUE(args.at(args.indexOf("-vf") + 1).startsWith("fps=30,"));
    EXPECT_EQ(args.at(args.indexOf("-b:v") + 1), "9953280");
    EXPECT_EQ(args.last(), "/out/01 A (9x16).mp4");

    hd.hasAudio = false;
    const QStringList silent = fastArgs(hd, 0, 2, crop, QSizeF(720, 1280), "/out/x.mp4");
    EXPECT_TRUE(silent.contains("0:a:0?"));  // the optional map stays
    EXPECT_FALSE(silent.contains("-c:a"));

    // It follows size and frame rate, with a floor; no rate counts as 30, more
    // than 60 as 60.
    EXPECT_EQ(fastBitRate(QSizeF(720, 1280), 25), 4000000);  // 3686400 is under the floor
    EXPECT_EQ(fastBitRate(QSizeF(1080, 1920), 120), 19906560);
    EXPECT_EQ(fastBitRate(QSizeF(1080, 1920), 0), 9953280);
    EXPECT_EQ(fastBitRate(QSizeF(1080, 1920), 59.94f), (long long)(1080.0 * 1920 * 59.94f * 0.16));
}

TEST(Composition, OrientationTurnsAndMirrors)
{
    // Qt's y axis points down, so a positive rotation turns the picture clockwise.
    // Stored rows become columns without turning: a mirror along the diagonal.
    const std::pair<QTransform, const char*> turns[] = {
        {QTransform(), ""},
        {QTransform().rotate(90), "transpose=clock"},
        {QTransform().rotate(-90), "transpose=cclock"},
        {QTransform().rotate(180), "hflip,vflip"},
        {QTransform(-1, 0, 0, 1, 320, 0), "hflip"},
        {QTransform(0, 1, 1, 0, 0, 0), "transpose=cclock_flip"}};
    for (const auto& [transform, filters] : turns)
        EXPECT_EQ(MWCompositionExport::orientationFilters(transform), filters) << filters;
}

// A failure carries the converter's last two lines or the launch error.
// Progress comes from the last time of each chunk and stays within 0 and just
// below 1: each printf is its own chunk only if the reader sees it before the
// next (the converter, not the test, pauses between them); a time before the
// start (printed with a leading minus) is no progress; what else is no clock is
// the converter's ConverterOutput table, the same parser.
TEST_F(ExporterTest, FastExportFailuresAndProgress)
{
    const QRectF crop = CropMath::cropFrame(Aspect::square, 1, 0.5, 0.5, quad.naturalSize, {});
    const auto fast = [&](const QString& exe, double start = 0) {
        progress.clear();
        return exporttest::outcome(fastExport(exe, quad, start, start + 2, crop, QSizeF(720, 720),
                                              out, job, [&](double f) { progress.push_back(f); }));
    };
    const auto fake = [&](const QString& body) { return exporttest::fakeConverter(dir, body); };
    EXPECT_EQ(fast(fake("printf 'a\\n\\nb\\nc\\n' >&2; exit 1")).message, "b c");
    // The shell reports the signal; the exit status alone would read 0.
    EXPECT_EQ(fast(fake("echo dying >&2; kill -KILL $$")).message, "dying");
    // Only failures have a message.
    EXPECT_FALSE(fast(dir.filePath("missing-converter")).message.isEmpty());

    const auto at = [](const char* clock) {
        return QStringLiteral("printf 'frame= 1 time=%1 bitrate=\\n' >&2; ").arg(clock);
    };
    const std::tuple<QString, double, std::vector<double>> cases[] = {
        {"printf 'frame= 1 time=00:00:00.20 x time=00:00:01.00 bitrate=\\n' >&2; sleep 0.3;" +
             at("00:00:09.00") + "sleep 0.3;",
         10,
         {0.5, 0.99}},
        {at("-01:00:00.00"), 0, {0.0}}};
    for (const auto& [body, start, expected] : cases) {
        EXPECT_EQ(fast(fake(body + ": > \"$out\""), start).kind, Outcome::done);
        EXPECT_EQ(progress, expected) << body.toStdString();
    }
}

// A clip is written under a hidden temporary beside its name and takes the
// name only when complete, never over a file that took it meanwhile. A program
// killed mid-export takes its converter with it; the temporary it left is
// removed at the next launch only because it is listed as this program's.
TEST_F(ExporterTest, ExportsTakeTheirNameOnlyWhenCompleteAndAKilledProgramLeavesNothingRunning)
{
    const auto entries = [&] {
        return QDir(dir.path()).entryList({"*.mp4", "*.part"}, QDir::Files | QDir::Hidden);
    };
    // Meanwhile, another program takes the name: the clip is numbered instead.
    testutil::ConverterAt racing(exporttest::fakeConverter(
        dir, "echo theirs > \"" + out + "\"; head -c 2000 /dev/zero > \"$out\""));
    const Outcome o = run(clip("A", 0, 0.5), quad);
    ASSERT_EQ(o.kind, Outcome::done) << o.message.toStdString();
    EXPECT_EQ(o.written, dir.filePath("01 Clip (1x1) 2.mp4"));
    EXPECT_EQ(QFileInfo(o.written).size(), 2000);
    QFile theirs(out);
    ASSERT_TRUE(theirs.open(QIODevice::ReadOnly));
    EXPECT_EQ(theirs.readAll(), "theirs\n");
    theirs.close();
    EXPECT_EQ(entries(), (QStringList{"01 Clip (1x1) 2.mp4", "01 Clip (1x1).mp4"}));
    QFile::remove(o.written);
    QFile::remove(out);

    // Killed one moment into its export, a program leaves no converter and
    // nothing under the clip's name.
    const QString pidFile = dir.filePath("converter.pid");
    testutil::ConverterAt slow(exporttest::fakeConverter(
        dir, "echo $$ > \"" + pidFile + "\"; echo partial > \"$out\"; exec sleep 600"));
    QProcess writer;
    writer.start(QCoreApplication::applicationDirPath() + "/export_writer",
                 {testutil::fixture("export_long.mp4"), out});
    ASSERT_TRUE(testutil::waitUntil([&] { return QFileInfo(pidFile).size() > 0; }, 30000));
    writer.kill();
    ASSERT_TRUE(writer.waitForFinished(10000));
    // Ended: gone, or a zombie left for whatever adopted it to reap.
    const auto ended = [&] {
        QFile pid(pidFile), stat;
        if (!pid.open(QIODevice::ReadOnly))
            return false;
        stat.setFileName("/proc/" + pid.readAll().trimmed() + "/stat");
        if (!stat.open(QIODevice::ReadOnly))
            return true;
        const QByteArray line = stat.readAll();
        return line.mid(line.lastIndexOf(')') + 2, 1) == "Z";
    };
    EXPECT_TRUE(testutil::waitUntil(ended, 10000)) << "the converter ended with the program";
    ASSERT_EQ(entries().size(), 1);
    const QString left = entries()[0];
    EXPECT_TRUE(left.startsWith(".01 Clip (1x1).mp4.cutwright-") && left.endsWith(".part"))
        << left.toStdString();

    // A user's file of the same form, never listed, stays; so does whatever a
    // damaged list names that is not of that form.
    const QString users = dir.filePath(".holiday.mp4.cutwright-0badcafe.part");
    QFile(users).open(QIODevice::WriteOnly);
    QFile list(CWPartFile::listPath());
    ASSERT_TRUE(list.open(QIODevice::Append));
    list.write(out.toUtf8() + "\n");
    list.close();
    QFile(out).open(QIODevice::WriteOnly);
    CWPartFile::sweepLeftovers();
    EXPECT_EQ(entries(),
              (QStringList{".holiday.mp4.cutwright-0badcafe.part", "01 Clip (1x1).mp4"}));
    EXPECT_FALSE(QFileInfo::exists(CWPartFile::listPath()));
}

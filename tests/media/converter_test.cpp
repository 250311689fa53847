#include "media/converter.h"

#include "common/processgone.h"
#include "opener_support.h"
#include "platform/asset.h"

#include <QDir>
#include <QFileInfo>
#include <cmath>
#include <functional>
#include <limits>
#include <unistd.h>

using namespace MWMediaOpener;
using support::await;
using support::failure;

namespace {

const QString damaged = "the file's contents are damaged or in a format the converter doesn't know";
const double infinite = std::numeric_limits<double>::infinity();

// A stand-in converter that writes text to its error stream and exits with code.
QString fakeConverter(const QTemporaryDir& dir, const QByteArray& text, int code)
{
    return testutil::script(dir, "ffmpeg",
                            "cat >&2 <<'END'\n" + text + "\nEND\nexit " + QByteArray::number(code));
}

const QString launcher = QStringLiteral(CW_LIBEXEC_DIR "/ffmpeg");

// Runs the launcher with args, the environment changed as env(1) is told.
testutil::Run launch(const QStringList& env, const QStringList& args)
{
    return testutil::run("env", env + QStringList{launcher} + args);
}

QStringList lines(const QByteArray& out)
{
    return QString::fromUtf8(out).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

// The arguments the launcher hands on, as an ffmpeg stand-in that prints them.
QStringList handedOn(const QStringList& args, const QString& hardware)
{
    static const QTemporaryDir dir;
    static const QString echo =
        testutil::script(dir, "ffmpeg", "for a in \"$@\"; do printf '%s\\n' \"$a\"; done");
    const auto r =
        launch({"CUTWRIGHT_FFMPEG=" + echo, "CUTWRIGHT_H264_HARDWARE=" + hardware}, args);
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    return lines(r.out);
}

// clang-format off
// The fast export's command line, which allows software encoding.
const QStringList exportLine = {
    "-hide_banner", "-nostdin", "-y", "-ss", "1.000", "-t", "2.000", "-i", "/in/a b.mp4",
    "-map", "0:v:0", "-map", "0:a:0?", "-vf", "crop=100:100:0:0,scale=100:100,format=nv12",
    "-c:v", "h264_videotoolbox", "-allow_sw", "1", "-profile:v", "high", "-b:v", "4000000",
    "-maxrate", "6000000", "-bufsize", "8000000", "-c:a", "aac", "-movflags", "+faststart",
    "-f", "mp4", "/out/x.mp4"};

// clang-format on

}  // namespace

// Text from the converter may be anything a hostile file makes it print: a
// clock is only what looks like one, a duration a finite length and progress
// a fraction.
TEST(ConverterOutput, ClocksDurationsProgressFailureReasonsAndCommandLines)
{
    // A time before the start is printed "-" and its distance: the sign
    // covers the whole clock. Empty pieces are dropped.
    const std::pair<const char*, double> clocks[] = {
        {"00:01:02.50", 62.5}, {"00:00:.5", 0.5}, {"::1:2:3", 3723}, {"-01:00:30", -3630}};
    for (const auto& [text, seconds] : clocks)
        EXPECT_DOUBLE_EQ(parseClock(text), seconds) << text;
    for (const char* text :
         {"1e308:5:8", "+1:0:0", "0:-1:0", "--0:0:1", "0.5:0:0", "0:0:1.2.3", "0x1:0:0", "inf:0:0",
          "00:00:nan", "N/A", "1:02", "", "00:00:04.00 b", "1:2:3:4", "00: 00:01", "0:0:\xd9\xa3"})
        EXPECT_EQ(parseClock(QString::fromUtf8(text)), 0) << text;
    EXPECT_EQ(parseClock(QString(400, QLatin1Char('9')) + ":00:00"), 0);

    const std::pair<QString, double> durations[] = {
        {"  Duration: 6e304:00:00, start: 0", 0},  // infinite once in seconds
        {"  Duration: -1:00:00.00, start", 0},
        {"  Duration: 00:12:34.56, start: 0", 754.56},
        {"no duration line", 0}};
    for (const auto& [report, seconds] : durations)
        EXPECT_DOUBLE_EQ(durationFromReport(report), seconds) << report.toStdString();

    const std::tuple<QString, double, std::optional<double>> progress[] = {
        {"time=6e304:00:00 bitrate=", infinite, std::nullopt},  // was NaN
        {"time=00:00:02.00 x\rtime=00:00:04.00 x", 8, 0.5},
        {"time=00:00:09.00 bitrate=", 8, 1.0},
        {"time=-00:00:04.00 bitrate=", 8, 0.0},
        {"time=00:00:04.00", 0, std::nullopt},
        {"time=00:00:04.00", std::nan(""), std::nullopt},
        {"frame= 1 fps=0.0", 8, std::nullopt}};
    for (const auto& [chunk, duration, fraction] : progress)
        EXPECT_EQ(progressFromChunk(chunk, duration), fraction) << chunk.toStdString();

    // A failure's reason is the first match in the lower-cased tail.
    const std::pair<const char*, QString> reasons[] = {
        {"x.ts: Invalid data found when processing input", damaged},
        {"Could not find codec parameters", damaged},
        {"x: No such file or directory\nNo space left on device",
         "the file can't be read (check the drive and permissions)"},
        {"Permission denied", "the file can't be read (check the drive and permissions)"},
        {"av_interleaved_write_frame(): No space left on device", "the disk is full"},
        {"Unknown encoder 'h264_videotoolbox'", "the converter couldn't decode it"}};
    for (const auto& [tail, reason] : reasons)
        EXPECT_EQ(failureReason(tail), reason) << tail;

    // The command lines, exactly.
    const QString vf = "yadif=deint=interlaced,scale=trunc(iw/2)*2:trunc(ih/2)*2";
    // clang-format off
    EXPECT_EQ(firstAttempt("/a/s.ts", "/c/d.mov"), QStringList({
        "-hide_banner", "-nostdin", "-y", "-i", "/a/s.ts", "-map", "0:v:0?", "-map", "0:a:0?",
        "-c:v", "h264_videotoolbox", "-b:v", "8M", "-pix_fmt", "yuv420p", "-vf", vf,
        "-c:a", "aac", "-b:a", "192k", "-ac", "2", "-movflags", "+faststart", "/c/d.mov"}));
    EXPECT_EQ(secondAttempt("/a/s.ts", "/c/d.mov", true), QStringList({
        "-hide_banner", "-nostdin", "-y", "-i", "/a/s.ts", "-map", "0:v:0?", "-map", "0:a:0?",
        "-c:v", "mpeg4", "-q:v", "3", "-vf", vf,
        "-c:a", "aac", "-b:a", "192k", "-ac", "2", "/c/d.mov"}));
    EXPECT_EQ(secondAttempt("/a/s.ts", "/c/d.mov", false), QStringList({
        "-hide_banner", "-nostdin", "-y", "-i", "/a/s.ts", "-vn",
        "-c:a", "aac", "-b:a", "192k", "-ac", "2", "/c/d.mov"}));
    // clang-format on
}

// The missing converter's message is the opener's FailuresCarryTheLastDetail.
// The duration probe reads the converter's report; one that hangs is given up
// and killed.
TEST(ConverterURL, PresentOnlyWhenExecutableLookedUpEveryTimeAndProbed)
{
    // The build tree mirrors the installation: bin/ beside libexec/cutwright/.
    EXPECT_EQ(converterURL(), QFileInfo(CW_LIBEXEC_DIR "/ffmpeg").absoluteFilePath());
    EXPECT_NEAR(probeDuration(testutil::fixture("mpeg.ts")), 2.0, 0.1);
    QTemporaryDir dir;
    const QString plain = dir.filePath("plain");
    QFile(plain).open(QIODevice::WriteOnly);
    testutil::ConverterAt at(plain);
    EXPECT_FALSE(converterURL());
    QFile(plain).setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_EQ(converterURL(), plain);
    testutil::ConverterAt folder(dir.path());  // a folder is no converter
    EXPECT_FALSE(converterURL());
    EXPECT_EQ(probeDuration(testutil::fixture("mpeg.ts")), 0);  // nothing started

    const QString pidFile = dir.filePath("pid");
    testutil::ConverterAt hanging(
        testutil::script(dir, "ffmpeg", "echo $$ > '" + pidFile.toUtf8() + "'\nexec sleep 120\n"));
    try {
        probeDuration(dir.filePath("on a stalled mount.ts"), 300);
        ADD_FAILURE() << "a hanging converter was waited for";
    } catch (const MWError& e) {
        EXPECT_EQ(e.message, "The converter stopped answering while reading \u201Con a stalled "
                             "mount.ts\u201D. Check that the drive holding it is connected and "
                             "responds, then try again.");
    }
    EXPECT_TRUE(testutil::processGone(pidFile));  // killed and reaped, not left behind
}

// Which reason and which fraction are the tables above; here, that the run
// reports them: the reason from the kept tail, each chunk's fraction posted
// to the main thread, and none for a chunk without one.
TEST(RunConverter, ReportsTheTailsReasonAndPostsProgress)
{
    QTemporaryDir dir;
    const auto run = [&](const QByteArray& said, int code) {
        return failure(runConverter(fakeConverter(dir, said, code), {}, 0, {}));
    };
    EXPECT_EQ(run("out.mov: No space left on device\n", 1), "Conversion failed: the disk is full.");
    // 4100 more bytes push the match out of the kept tail.
    EXPECT_EQ(run("Invalid data found when processing input\n" + QByteArray(4100, 'x'), 1),
              "Conversion failed: the converter couldn't decode it.");
    EXPECT_EQ(run("Invalid data", 0), "");
    EXPECT_FALSE(failure(runConverter(dir.filePath("absent"), {}, 0, {})).isEmpty());

    const QString progress = fakeConverter(
        dir, "frame= 50 time=00:00:02.00 bitrate=\rframe= 100 time=00:00:04.00 bitrate=", 0);
    for (const double duration : {8.0, infinite}) {
        support::StatusLog log;
        await(runConverter(progress, {}, duration, log.callback()));
        QCoreApplication::processEvents();  // progress is posted, not called
        EXPECT_FALSE(*log.offMainThread);
        ASSERT_EQ(log.calls->size(), duration == 8 ? 1u : 0u);
        EXPECT_TRUE(log.calls->empty() || log.calls->front().fraction == 0.5);
    }
}

// A converter without the hardware encoder: the first attempt leaves a partial
// file and fails; the second must start without it, and its failure is the one
// reported. The real converter's video conversion is the opener's transport stream.
TEST(Copies, ConverterSecondAttemptAfterAFailedFirstSoundOnlyAndTheReExport)
{
    QTemporaryDir dir;
    // Sound only when no picture is wanted, through the real converter.
    const QString sound = dir.filePath("mp3.mov");
    await(convertWithBuiltIn(testutil::fixture("audio.mp3"), sound, false, {}));
    EXPECT_EQ(MWAsset::open(sound)->videoTracks, 0);
    EXPECT_EQ(MWAsset::open(sound)->audioTracks, 1);

    const QString log = dir.filePath("log");
    // The duration probe (no -y) is not one of the attempts.
    QByteArray body = R"(
case "$*" in *' -y '*) ;; *) exit 1 ;; esac
for last; do :; done
[ -e "$last" ] && echo "found $last" >>'LOG'
echo "$*" >>'LOG'
case "$*" in
  *h264_videotoolbox*) echo partial >"$last"; echo "Unknown encoder" >&2; exit 1 ;;
  *' -vn '*) echo "No space left on device" >&2; exit 1 ;;
esac
echo done >"$last"
)";
    const QString dst = dir.filePath("out.mov");
    testutil::ConverterAt at(testutil::script(dir, "ffmpeg", body.replace("LOG", log.toUtf8())));
    await(convertWithBuiltIn("/in/x.ts", dst, true, {}));
    QFile f(log);
    f.open(QIODevice::ReadOnly);
    EXPECT_EQ(QString::fromUtf8(f.readAll()).split('\n', Qt::SkipEmptyParts),
              QStringList({firstAttempt("/in/x.ts", dst).join(' '),
                           secondAttempt("/in/x.ts", dst, true).join(' ')}));
    // Without a picture, the second attempt's reason, not the first's.
    EXPECT_EQ(failure(convertWithBuiltIn("/in/x.ts", dst, false, {})),
              "Conversion failed: the disk is full.");

    // The re-export copies the tracks as they are; the opener's ReExport shows
    // it is tried before the converter, and the length of its copy.
    const QString rotated = dir.filePath("rotated.mov");
    await(remuxByStreamCopy(testutil::fixture("rotated.mp4"), rotated, {}));
    const auto copy = MWAsset::open(rotated);
    EXPECT_EQ(copy->preferredTransform,
              MWAsset::open(testutil::fixture("rotated.mp4"))->preferredTransform);
    EXPECT_EQ(copy->audioTracks, 1);
    // A transport stream's clock starts late; the copy's starts at zero.
    const QString ts = dir.filePath("ts.mov");
    await(remuxByStreamCopy(testutil::fixture("mpeg.ts"), ts, {}));
    EXPECT_NEAR(MWAsset::open(ts)->startTime, 0, 0.1);

    // Its failures on random bytes, and that they leave nothing, are the
    // opener's FailuresCarryTheLastDetail.
    EXPECT_EQ(failure(remuxByStreamCopy(testutil::fixture("matroska.mkv"), ts, {})),
              "Linux can't export this file");
}

// The converter launcher: what it hands to ffmpeg for each kind of machine. The
// real ffmpeg behind it encodes every export test's converter clips (High
// profile without hardware: the export OutputTest).

TEST(LauncherArgs, TheEncoderIsSwappedAndEverythingElsePassesThroughInOrder)
{
    // The encoder and its permission to fall back become libx264's fast preset.
    const QStringList software =
        exportLine.join('\n')
            .replace("h264_videotoolbox\n-allow_sw\n1", "libx264\n-preset\nveryfast")
            .split('\n');
    const QStringList probe = {"-hide_banner", "-nostdin", "-i", "/in/h264_videotoolbox"};
    const QStringList second = {
        "-i", "in", "-c:v", "mpeg4", "-q:v", "3", "-allow_sw", "1", "h264_videotoolbox"};
    // The converter's first attempt has no permission to fall back: the missing
    // encoder is left to fail. (Made here: the library's own constants may not
    // be ready at start-up.)
    const QStringList convertLine = firstAttempt("/in/a.ts", "/out/a.mov");
    const std::pair<QStringList, QStringList> cases[] = {
        {exportLine, software}, {convertLine, convertLine}, {probe, probe}, {second, second}};
    for (const auto& [args, expected] : cases)
        EXPECT_EQ(handedOn(args, "none"), expected) << args.join(' ').toStdString();

    // VA-API needs its device (first: LauncherHardware's lines), an upload at
    // the end of the filters and no software pixel format.
    const QStringList vaapi = handedOn(convertLine, "h264_vaapi:/dev/dri/renderD129");
    EXPECT_FALSE(vaapi.contains("-pix_fmt"));
    EXPECT_TRUE(vaapi.contains("yadif=deint=interlaced,scale=trunc(iw/2)*2:trunc(ih/2)*2,"
                               "format=nv12,hwupload"));
    EXPECT_FALSE(handedOn(exportLine, "h264_vaapi:/dev/dri/renderD129").contains("-allow_sw"));
}

// Looking for a hardware encoder costs every export a few tenths of a second:
// it is done once per login session, and again whenever what it found could
// have changed.
TEST(LauncherHardware, LookedForOncePerSessionAndAgainWhenTheMachineChanges)
{
    QTemporaryDir dir;
    const QString mine = "cutwright-" + QString::number(::getuid());
    QDir root(dir.path());
    ASSERT_TRUE(root.mkpath("dev/dri") && root.mkpath("run") && root.mkpath("tmp") &&
                root.mkpath("elsewhere") && root.mkpath("linked"));
    ASSERT_TRUE(QFile::link(dir.filePath("elsewhere"), dir.filePath("linked/" + mine)));
    auto touch = [&](const QString& name) { QFile(dir.filePath(name)).open(QIODevice::WriteOnly); };
    touch("dev/dri/renderD128");
    // An ffmpeg whose VA-API encoder works; each look for one leaves a line.
    const QString probes = dir.filePath("probes");
    const QString ffmpeg =
        testutil::script(dir, "ffmpeg",
                         "case \"$*\" in *'-f null -'*) echo >> '" + probes.toUtf8() +
                             "'; case \"$*\" in *h264_vaapi*) exit 0;; esac; exit 1;; esac\n"
                             "for a in \"$@\"; do printf '%s\\n' \"$a\"; done\n");
    // env(1) takes its options before the settings.
    const QStringList unset = {"-u", "CUTWRIGHT_H264_HARDWARE"};
    const QStringList machine = {"CUTWRIGHT_FFMPEG=" + ffmpeg,
                                 "CUTWRIGHT_DEVICES=" + dir.filePath("dev")};
    QStringList env = unset + QStringList{"XDG_RUNTIME_DIR=" + dir.filePath("run")} + machine;
    const QStringList vaapi =
        QStringList{"-vaapi_device", dir.filePath("dev/dri/renderD128")} +
        QString("-i in.ts -vf format=nv12,hwupload -c:v h264_vaapi out.mov").split(' ');
    auto useTmp = [&](const char* folder) {
        env = unset + QStringList{"-u", "XDG_RUNTIME_DIR", "TMPDIR=" + dir.filePath(folder)} +
              machine;
    };

    struct Step {
        const char* what;
        std::function<void()> before;
        int looks;  // looks for an encoder so far
    };
    for (const Step& step : std::vector<Step>{
             {"first export", [] {}, 1},
             {"second export", [] {}, 1},
             {"a new device", [&] { touch("dev/dri/renderD129"); }, 2},
             // The right key over an answer that is none of the launcher's.
             {"a damaged answer",
              [&] {
                  testutil::run("sed", {"-i", "$c h264_vaapi:/x; rm -rf /",
                                        dir.filePath("run/cutwright-h264-hardware")});
              },
              3},
             {"no session folder: our own in the temporary one", [&] { useTmp("tmp"); }, 4},
             {"again", [] {}, 4},
             // A link of that name, which anyone could have made, is never trusted.
             {"a link in the temporary folder", [&] { useTmp("linked"); }, 5},
             {"again", [] {}, 6}}) {
        step.before();
        const auto r = launch(env, {"-i", "in.ts", "-c:v", "h264_videotoolbox", "out.mov"});
        EXPECT_EQ(lines(r.out), vaapi) << step.what;
        EXPECT_EQ(QFile(probes).size(), step.looks) << step.what;
    }
    EXPECT_FALSE(QFileInfo(dir.filePath("tmp/" + mine)).permissions() &
                 (QFile::ReadOther | QFile::WriteOther | QFile::ReadGroup | QFile::WriteGroup));
}

#include "media/converter.h"

#include "opener_support.h"
#include "platform/asset.h"

#include <QDir>
#include <QFileInfo>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <signal.h>
#include <string>

using namespace MWMediaOpener;
using support::await;
using support::failure;

namespace {

const QString missing = "The built-in converter is missing from this copy of the app.";
const QString damaged = "the file's contents are damaged or in a format the converter doesn't know";
const QString unreadable = "the file can't be read (check the drive and permissions)";

// A stand-in converter that writes text to its error stream and exits with code.
QString fakeConverter(const QTemporaryDir& dir, const QByteArray& text, int code)
{
    QFile f(dir.filePath("said"));
    f.open(QIODevice::WriteOnly);
    f.write(text);
    f.close();
    return support::script(dir, "ffmpeg",
                           "cat '" + f.fileName().toUtf8() + "' >&2\nexit " +
                               QByteArray::number(code) + "\n");
}

}  // namespace

TEST(ParseClock, OnlyWhatAClockLooksLike)
{
    // A time before the start is printed "-" and its distance: the sign
    // covers the whole clock. Empty pieces are dropped.
    const std::pair<const char*, double> clocks[] = {
        {"00:01:02.50", 62.5}, {"01:00:00", 3600}, {"00:00:07.5", 7.5},    {"00:12:34.56", 754.56},
        {"00:00:.5", 0.5},     {"::1:2:3", 3723},  {"-00:00:01.50", -1.5}, {"-01:00:30", -3630}};
    for (const auto& [text, seconds] : clocks)
        EXPECT_DOUBLE_EQ(parseClock(text), seconds) << text;
    // Exponents, signs inside, fractions outside the seconds, words, other
    // digits: none is a clock.
    for (const char* text :
         {"1e308:5:8", "1e3:0:0",   "0:0:1e1",     "+1:0:0",  "0:-1:0",        "0:0:-1",
          "--0:0:1",   "0.5:0:0",   "0:0:1.2.3",   "0x1:0:0", "inf:0:0",       "00:00:nan",
          "N/A",       "1:02",      "12",          "",        "00:00:04.00 b", "a:b:c",
          "1:2:3:4",   "00: 00:01", "0:0:\xd9\xa3"})
        EXPECT_EQ(parseClock(QString::fromUtf8(text)), 0) << text;
    EXPECT_EQ(parseClock(QString(400, QLatin1Char('9')) + ":00:00"), 0);
}

TEST(FailureReason, FirstMatchOfTheLowerCasedTail)
{
    const std::pair<const char*, QString> cases[] = {
        {"x.ts: Invalid data found when processing input", damaged},
        {"Could not find codec parameters", damaged},
        {"x: No such file or directory\nNo space left on device", unreadable},
        {"Permission denied", unreadable},
        {"av_interleaved_write_frame(): No space left on device", "the disk is full"},
        {"Unknown encoder 'h264_videotoolbox'", "the converter couldn't decode it"}};
    for (const auto& [tail, reason] : cases)
        EXPECT_EQ(failureReason(tail), reason) << tail;
}

TEST(CommandLines, ExactArguments)
{
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

TEST(ConverterURL, PresentOnlyWhenExecutableAndLookedUpEveryTimeElseNothingStarts)
{
    // The build tree mirrors the installation: bin/ beside libexec/cutwright/.
    const auto builtIn = converterURL();
    ASSERT_TRUE(builtIn);
    EXPECT_EQ(*builtIn, QFileInfo(CW_LIBEXEC_DIR "/ffmpeg").absoluteFilePath());

    QTemporaryDir dir;
    const QString plain = dir.filePath("plain");
    QFile(plain).open(QIODevice::WriteOnly);
    {
        support::ConverterAt at(plain);
        EXPECT_FALSE(converterURL());
        QFile(plain).setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        EXPECT_EQ(converterURL(), plain);
    }
    {
        support::ConverterAt at(dir.path());  // a folder is no converter
        EXPECT_FALSE(converterURL());
    }
    // None there: nothing is started.
    support::ConverterAt at(dir.filePath("absent"));
    EXPECT_EQ(probeDuration(testutil::fixture("mpeg.ts")), 0);
    const QString dst = dir.filePath("out.mov");
    EXPECT_EQ(failure(convertWithBuiltIn(testutil::fixture("mpeg.ts"), dst, true, {})), missing);
    EXPECT_FALSE(QFileInfo::exists(dst));
}

// What counts as a duration is durationFromReport's table below; a converter
// that hangs is given up.
TEST(ProbeDuration, ReadsTheConvertersDurationLineAndGivesUpOnAHang)
{
    EXPECT_NEAR(probeDuration(testutil::fixture("mpeg.ts")), 2.0, 0.1);
    QTemporaryDir dir;
    {
        support::ConverterAt at(fakeConverter(dir, "  Duration: 00:12:34.56, start: 0", 1));
        EXPECT_DOUBLE_EQ(probeDuration("x"), 754.56);
    }
    const QString pidFile = dir.filePath("pid");
    support::ConverterAt at(
        support::script(dir, "ffmpeg", "echo $$ > '" + pidFile.toUtf8() + "'\nexec sleep 120\n"));
    const QString src = dir.filePath("on a stalled mount.ts");
    try {
        probeDuration(src, 300);
        ADD_FAILURE() << "a hanging converter was waited for";
    } catch (const MWError& e) {
        EXPECT_EQ(e.message, "The converter stopped answering while reading \u201Con a stalled "
                             "mount.ts\u201D. Check that the drive holding it is connected and "
                             "responds, then try again.");
    }
    QFile f(pidFile);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const pid_t pid = f.readAll().trimmed().toInt();
    ASSERT_GT(pid, 0);
    EXPECT_NE(::kill(pid, 0), 0);  // killed and reaped, not left behind
    // The conversion reports it rather than starting a converter that would hang too.
}

// Text from the converter may be anything a hostile file makes it print.
TEST(ConverterOutput, DurationIsAFiniteLengthAndProgressAFraction)
{
    const std::pair<QString, double> durations[] = {
        {"  Duration: 6e304:00:00, start: 0", 0},  // infinite once in seconds
        {"  Duration: -1:00:00.00, start", 0},     // no length at all
        {"  Duration: 00:12:34.56, start: 0", 754.56},
        {"  Duration: N/A, bitrate: N/A", 0},
        {"  Duration: 1e308:5:8, start", 0},
        {"  Duration: -00:00:05.00", 0},
        {"no duration line", 0},
    };
    for (const auto& [report, seconds] : durations)
        EXPECT_DOUBLE_EQ(durationFromReport(report), seconds) << report.toStdString();

    struct Case {
        QString chunk;
        double duration;
        std::optional<double> fraction;
    };
    const double infinite = std::numeric_limits<double>::infinity();
    const Case progress[] = {
        {"time=6e304:00:00 bitrate=", infinite, std::nullopt},  // was NaN
        {"time=00:00:02.00 x\rtime=00:00:04.00 x", 8, 0.5},
        {"time=00:00:09.00 bitrate=", 8, 1.0},
        {"time=-01:00:00.00 bitrate=", 8, 0.0},
        {"time=-00:00:04.00 bitrate=", 8, 0.0},
        {"time=1e308:5:8 bitrate=", 8, 0.0},
        {"time=N/A bitrate=", 8, 0.0},
        {"time=00:00:04.00", 0, std::nullopt},
        {"time=00:00:04.00", std::nan(""), std::nullopt},
        {"frame= 1 fps=0.0", 8, std::nullopt},
    };
    for (const Case& c : progress)
        EXPECT_EQ(progressFromChunk(c.chunk, c.duration), c.fraction) << c.chunk.toStdString();
}

TEST(RunConverter, FailureReasonsFromTheErrorStream)
{
    QTemporaryDir dir;
    struct Case {
        QByteArray said;
        QString reason;
    };
    QByteArray longTail = "Invalid data found when processing input\n";
    longTail += QByteArray(4100, 'x');  // pushes the match out of the kept tail
    for (const Case& c :
         std::vector<Case>{{"out.mov: No space left on device\n", "the disk is full"},
                           {"in.ts: Invalid data found when processing input\n", damaged},
                           {"in.ts: No such file or directory\nNo space left\n", unreadable},
                           {"Killed\n", "the converter couldn't decode it"},
                           {longTail, "the converter couldn't decode it"}}) {
        const QString exe = fakeConverter(dir, c.said, 1);
        EXPECT_EQ(failure(runConverter(exe, {}, 0, {})), "Conversion failed: " + c.reason + ".");
    }
    EXPECT_EQ(failure(runConverter(fakeConverter(dir, "Invalid data", 0), {}, 0, {})), "");
    EXPECT_FALSE(failure(runConverter(dir.filePath("absent"), {}, 0, {})).isEmpty());
}

TEST(RunConverter, PostsProgressOnTheMainThread)
{
    // Which fraction a chunk gives is progressFromChunk's table above; here,
    // that one write is one chunk, posted to the main thread, and that a
    // chunk without a fraction posts nothing.
    QTemporaryDir dir;
    auto fractions = [&](const QByteArray& said, double duration) {
        support::StatusLog log;
        await(runConverter(fakeConverter(dir, said, 0), {}, duration, log.callback()));
        QCoreApplication::processEvents();  // progress is posted, not called
        std::vector<double> seen;
        for (const auto& s : *log.calls) {
            EXPECT_EQ(s.text, "Converting…");
            seen.push_back(s.fraction.value_or(-1));
        }
        EXPECT_FALSE(*log.offMainThread);
        return seen;
    };
    EXPECT_EQ(fractions("frame= 50 time=00:00:02.00 bitrate=\rframe= 100 fps=50 "
                        "time=00:00:04.00 bitrate=",
                        8),
              std::vector<double>{0.5});
    EXPECT_EQ(fractions("time=00:00:04.00 bitrate=", std::numeric_limits<double>::infinity()),
              std::vector<double>{});
}

TEST(ConvertWithBuiltIn, SecondAttemptAfterAFailedFirst)
{
    // A converter without the hardware encoder: the first attempt leaves a
    // partial file and fails; the second must start without it. It logs each
    // conversion's arguments, and any output file it finds already there.
    QTemporaryDir dir;
    const QString log = dir.filePath("log");
    QByteArray body = R"(
case "$*" in *' -y '*) ;; *) exit 1 ;; esac
for last; do :; done
[ -e "$last" ] && echo "found $last" >>'LOG'
echo "$*" >>'LOG'
case "$*" in *h264_videotoolbox*)
  echo partial >"$last"; echo "Unknown encoder 'h264_videotoolbox'" >&2; exit 1 ;;
esac
echo done >"$last"
)";
    support::ConverterAt at(support::script(dir, "ffmpeg", body.replace("LOG", log.toUtf8())));
    const QString dst = dir.filePath("out.mov");
    await(convertWithBuiltIn("/in/x.ts", dst, true, {}));
    QFile f(log);
    f.open(QIODevice::ReadOnly);
    const QStringList lines = QString::fromUtf8(f.readAll()).split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2) << lines.join('\n').toStdString();
    EXPECT_EQ(lines[0], firstAttempt("/in/x.ts", dst).join(' '));
    EXPECT_EQ(lines[1], secondAttempt("/in/x.ts", dst, true).join(' '));

    // The second attempt's failure is the one reported.
    support::ConverterAt failing(fakeConverter(dir, "No space left on device", 1));
    EXPECT_EQ(failure(convertWithBuiltIn("/in/x.ts", dst, false, {})),
              "Conversion failed: the disk is full.");
}

TEST(ConvertWithBuiltIn, RealConverterMakesAPlayableMovie)
{
    // No hardware encoder is assumed, so this also runs the MPEG-4 attempt.
    qputenv("CUTWRIGHT_H264_HARDWARE", "none");
    QTemporaryDir dir;
    support::StatusLog log;
    const QString dst = dir.filePath("ts.mov");
    await(convertWithBuiltIn(testutil::fixture("mpeg.ts"), dst, true, log.callback()));
    support::expectConverting(log);
    const auto copy = MWAsset::open(dst);
    EXPECT_TRUE(copy->playable);
    EXPECT_EQ(copy->naturalSize, QSizeF(320, 240));
    EXPECT_NEAR(copy->duration, 2.0, 0.1);
    EXPECT_EQ(copy->audioTracks, 1);

    // Sound only when no picture is wanted.
    const QString sound = dir.filePath("mp3.mov");
    await(convertWithBuiltIn(testutil::fixture("audio.mp3"), sound, false, {}));
    EXPECT_EQ(MWAsset::open(sound)->videoTracks, 0);
    EXPECT_EQ(MWAsset::open(sound)->audioTracks, 1);
    qunsetenv("CUTWRIGHT_H264_HARDWARE");
}

TEST(ExportWithAVFoundation, CopiesTracksIntoAMovie)
{
    QTemporaryDir dir;
    support::StatusLog log;
    const QString dst = dir.filePath("rotated.mov");
    await(exportWithAVFoundation(testutil::fixture("rotated.mp4"), dst, log.callback()));
    const auto copy = MWAsset::open(dst);
    const auto original = MWAsset::open(testutil::fixture("rotated.mp4"));
    EXPECT_NEAR(copy->duration, original->duration, 0.05);
    EXPECT_EQ(copy->preferredTransform, original->preferredTransform);
    EXPECT_EQ(copy->audioTracks, 1);
    ASSERT_FALSE(log.calls->empty());
    EXPECT_EQ(log.calls->front().text, "Converting…");

    // A transport stream's clock starts late; the copy's starts at zero.
    const QString ts = dir.filePath("ts.mov");
    await(exportWithAVFoundation(testutil::fixture("mpeg.ts"), ts, {}));
    EXPECT_NEAR(MWAsset::open(ts)->startTime, 0, 0.1);
    EXPECT_NEAR(MWAsset::open(ts)->duration, 2.0, 0.1);
}

TEST(ExportWithAVFoundation, FailuresLeaveNoFile)
{
    QTemporaryDir dir;
    const QString dst = dir.filePath("out.mov");
    EXPECT_EQ(failure(exportWithAVFoundation(testutil::fixture("matroska.mkv"), dst, {})),
              "Linux can't export this file");
    EXPECT_FALSE(
        failure(exportWithAVFoundation(testutil::fixture("random.mp4"), dst, {})).isEmpty());
    EXPECT_FALSE(QFileInfo::exists(dst));
}

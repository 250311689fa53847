// The converter launcher: what it hands to ffmpeg for each kind of machine. The
// real ffmpeg behind it encodes every export test's converter clips (High
// profile without hardware: the export OutputTest).

#include "common/testutil.h"
#include "media/converter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>
#include <unistd.h>
#include <vector>

namespace {

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
    const QStringList convertLine = MWMediaOpener::firstAttempt("/in/a.ts", "/out/a.mov");
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

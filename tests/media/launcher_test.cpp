// The converter launcher: what it hands to ffmpeg for each kind of machine, and
// what the real ffmpeg makes of it here.

#include "common/testutil.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>
#include <unistd.h>
#include <vector>

namespace {

const QString launcher = QStringLiteral(CW_LIBEXEC_DIR "/ffmpeg");

testutil::Run launchIn(const QStringList& args, const QProcessEnvironment& env)
{
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(launcher, args);
    testutil::Run r;
    if (!p.waitForFinished(120000))
        return r;
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    return r;
}

testutil::Run launch(const QStringList& args, const QString& ffmpeg, const QString& hardware)
{
    auto env = QProcessEnvironment::systemEnvironment();
    if (!ffmpeg.isEmpty())
        env.insert(QStringLiteral("CUTWRIGHT_FFMPEG"), ffmpeg);
    env.insert(QStringLiteral("CUTWRIGHT_H264_HARDWARE"), hardware);
    return launchIn(args, env);
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
    const auto r = launch(args, echo, hardware);
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

// The converter's first attempt, which does not.
const QStringList convertLine = {
    "-hide_banner", "-nostdin", "-y", "-i", "/in/a.ts", "-map", "0:v:0?", "-map", "0:a:0?",
    "-c:v", "h264_videotoolbox", "-b:v", "8M", "-pix_fmt", "yuv420p", "-vf",
    "yadif=deint=interlaced,scale=trunc(iw/2)*2:trunc(ih/2)*2", "-c:a", "aac", "/out/a.mov"};
// clang-format on

}  // namespace

TEST(LauncherArgs, TheEncoderIsSwappedAndEverythingElsePassesThroughInOrder)
{
    QStringList software = exportLine;
    const int at = software.indexOf("h264_videotoolbox");
    software[at] = "libx264";
    software.insert(at + 1, "-preset");
    software.insert(at + 2, "veryfast");
    software.remove(at + 3, 2);  // "-allow_sw", "1"
    QStringList nvenc = convertLine;
    nvenc.replace(nvenc.indexOf("h264_videotoolbox"), "h264_nvenc");
    const QStringList probe = {"-hide_banner", "-nostdin", "-i", "/in/h264_videotoolbox"};
    const QStringList second = {
        "-i", "in", "-c:v", "mpeg4", "-q:v", "3", "-allow_sw", "1", "h264_videotoolbox"};
    struct Case {
        QStringList args;
        const char* hardware;
        QStringList expected;
    };
    for (const Case& c :
         std::vector<Case>{{exportLine, "none", software},
                           // Without permission to fall back, the missing encoder is left to fail.
                           {convertLine, "none", convertLine},
                           {convertLine, "h264_nvenc", nvenc},
                           {probe, "none", probe},
                           {second, "none", second}})
        EXPECT_EQ(handedOn(c.args, c.hardware), c.expected) << c.args.join(' ').toStdString();

    // VA-API needs its device, an upload at the end of the filters and no
    // software pixel format.
    const QStringList vaapi = handedOn(convertLine, "h264_vaapi:/dev/dri/renderD129");
    ASSERT_GE(vaapi.size(), 2);
    EXPECT_EQ(vaapi.mid(0, 2), QStringList({"-vaapi_device", "/dev/dri/renderD129"}));
    EXPECT_FALSE(vaapi.contains("-pix_fmt"));
    EXPECT_TRUE(vaapi.contains("h264_vaapi"));
    EXPECT_TRUE(vaapi.contains("yadif=deint=interlaced,scale=trunc(iw/2)*2:trunc(ih/2)*2,"
                               "format=nv12,hwupload"));
    EXPECT_FALSE(handedOn(exportLine, "h264_vaapi:/dev/dri/renderD129").contains("-allow_sw"));
}

TEST(Launcher, RealFfmpegEncodesHighProfileWithoutHardware)
{
    QTemporaryDir dir;
    QStringList args = exportLine;
    args[args.indexOf("/in/a b.mp4")] = testutil::fixture("h264_aac.mp4");
    args.last() = dir.filePath("x.mp4");
    const auto r = launch(args, {}, "none");
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const auto probe =
        testutil::run("ffprobe", {"-v", "error", "-select_streams", "v:0", "-show_entries",
                                  "stream=codec_name,profile", "-of", "csv=p=0", args.last()});
    EXPECT_EQ(probe.out.trimmed(), "h264,High");

    // Without "-allow_sw 1" and without hardware, the first conversion fails.
    QStringList convert = convertLine;
    convert[convert.indexOf("/in/a.ts")] = testutil::fixture("h264_aac.mp4");
    convert.last() = dir.filePath("a.mov");
    EXPECT_NE(launch(convert, {}, "none").exitCode, 0);
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
    auto env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("CUTWRIGHT_H264_HARDWARE"));
    env.insert(QStringLiteral("CUTWRIGHT_FFMPEG"), ffmpeg);
    env.insert(QStringLiteral("CUTWRIGHT_DEVICES"), dir.filePath("dev"));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), dir.filePath("run"));
    const QStringList vaapi =
        QStringList{"-vaapi_device", dir.filePath("dev/dri/renderD128")} +
        QString("-i in.ts -vf format=nv12,hwupload -c:v h264_vaapi out.mov").split(' ');
    auto useTmp = [&](const char* folder) {
        env.remove(QStringLiteral("XDG_RUNTIME_DIR"));
        env.insert(QStringLiteral("TMPDIR"), dir.filePath(folder));
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
             {"after it", [] {}, 2},
             // The right key over an answer that is none of the launcher's.
             {"a damaged answer",
              [&] {
                  QFile f(dir.filePath("run/cutwright-h264-hardware"));
                  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
                  QByteArray text = f.readAll().trimmed();
                  f.close();
                  text = text.left(text.lastIndexOf('\n') + 1) + "h264_vaapi:/x; rm -rf /\n";
                  ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
                  f.write(text);
              },
              3},
             {"no session folder: our own in the temporary one", [&] { useTmp("tmp"); }, 4},
             {"again", [] {}, 4},
             // A link of that name, which anyone could have made, is never trusted.
             {"a link in the temporary folder", [&] { useTmp("linked"); }, 5},
             {"again", [] {}, 6}}) {
        step.before();
        const auto r = launchIn({"-i", "in.ts", "-c:v", "h264_videotoolbox", "out.mov"}, env);
        EXPECT_EQ(lines(r.out), vaapi) << step.what;
        EXPECT_EQ(QFile(probes).size(), step.looks) << step.what;
    }
    EXPECT_FALSE(QFileInfo(dir.filePath("tmp/" + mine)).permissions() &
                 (QFile::ReadOther | QFile::WriteOther | QFile::ReadGroup | QFile::WriteGroup));
}

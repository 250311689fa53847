#include "export/delivery.h"
#include "export/exporter.h"
#include "export/fastexport.h"
#include "export_support.h"
#include "model/cropmath.h"
#include "model/framepath.h"
#include "platform/captiondraw.h"

#include <QFile>
#include <QPainter>

using namespace ClipExporter;
using exporttest::Engine;

namespace {

constexpr int kShortSide = 360;
constexpr double kRate = 25;
// The same picture through either engine (see the motion tests); a caption
// there or not is many times this.
constexpr double kSamePicture = 6;

// From In 0.2 of 25 fps testsrc2, its frame still or moving (a hold, a glide
// across and in, and a cut at 1.6 s).
Clip captionedClip(bool moving = false)
{
    Clip clip = exporttest::clipOf(0.2, 2.2, Aspect::vertical, 1, 0.5, 0.5, "Weather");
    if (moving) {
        clip.points = {
            {0.4, 0.2, 0.5, 1, false}, {1.2, 0.8, 0.6, 2, false}, {1.6, 0.3, 0.4, 1.5, true}};
        FramePath::mirrorFirstPoint(clip);
    }
    clip.captions = true;
    return clip;
}

// In source time: one cut by In (clip frames 0–14), one starting exactly on
// clip frame 20 with markup that must not move it (to frame 34), one cut by
// Out (frames 45–49).
const Captions::Cues kCues = {
    {0.0, 0.8, "Before In"},
    {1.0, 1.6, "Mid {\\an8} cue\\N"},
    {2.0, 3.0, "Past Out"},
};

bool shown(int n)
{
    return n <= 14 || (n >= 20 && n <= 34) || n >= 45;
}

QSize render()
{
    return renderSize(Aspect::vertical, kShortSide);
}

QByteArray clipScript(const Clip& clip)
{
    return Captions::script(Captions::forClip(kCues, clip.inTime, clip.outTime), render(),
                            clip.aspect, clip.captionStyle);
}

// What output frame n must show, drawn by the ffmpeg command line from the
// source: the path's frame cut and scaled, and (with a script) the script's
// captions at the frame's clip time.
QImage reference(const Clip& clip, const MWOpenedMedia& media, int n, const QString& script = {})
{
    QString filter = QStringLiteral("setpts=PTS-STARTPTS+%1/TB,").arg(n / kRate) +
                     exporttest::pathCrop(clip, media, n, kRate, kShortSide);
    if (!script.isEmpty())
        filter += QLatin1Char(',') + captionFilter(script);
    return testutil::ffmpegFrame(testutil::fixture(QStringLiteral("export_motion.mp4")),
                                 std::max(0.0, clip.inTime + n / kRate - 0.01), filter);
}

struct CaptionsTest : exporttest::EngineTest {};

}  // namespace

TEST_P(CaptionsTest, FramesMatchTheConverterLineDrawingTheSameScript)
{
    const Clip clip = captionedClip();
    const MWOpenedMedia media = exporttest::media("export_motion.mp4");
    const QString out = exportOf("export_motion.mp4", clip, kShortSide, false, kCues);
    const QString script = dir.filePath(QStringLiteral("reference.ass"));
    {
        QFile file(script);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(clipScript(clip));
    }
    // Compared where the captions are drawn, so that they count.
    Captions::Drawing drawing;
    drawing.setScript(clipScript(clip));
    QRect area;
    for (const double t : {0.3, 1.0, 1.9}) {
        const QImage captions = drawing.frame(t, render());
        for (int y = 0; y < captions.height(); ++y)
            for (int x = 0; x < captions.width(); ++x)
                if (qAlpha(captions.pixel(x, y)) > 0)
                    area |= QRect(x, y, 1, 1);
    }
    ASSERT_FALSE(area.isEmpty());
    area.adjust(-2, -2, 2, 2);
    // Low on the picture: the markup did not lift the middle cue to the top.
    EXPECT_GT(area.top(), render().height() / 2);

    for (const int n : {0, 14, 15, 19, 20, 30, 34, 35, 44, 45, 49}) {
        const QImage frame = testutil::ffmpegFrame(out, std::max(0.0, n / kRate - 0.01)).copy(area);
        const QImage expected = reference(clip, media, n, script).copy(area);
        const QImage bare = reference(clip, media, n).copy(area);
        EXPECT_LT(testutil::difference(frame, expected), kSamePicture) << "frame " << n;
        if (shown(n))
            EXPECT_GT(testutil::difference(frame, bare), 3 * kSamePicture) << "frame " << n;
        else
            EXPECT_LT(testutil::difference(frame, bare), kSamePicture) << "frame " << n;
    }

    // The viewer's drawing over the bare picture is what was burned.
    for (const int n : {5, 25}) {
        QImage viewed = reference(clip, media, n);
        QPainter(&viewed).drawImage(0, 0, drawing.frame(n / kRate, render()));
        const QImage burned = testutil::ffmpegFrame(out, std::max(0.0, n / kRate - 0.01));
        EXPECT_LT(testutil::difference(burned.copy(area), viewed.copy(area)), 2 * kSamePicture)
            << "frame " << n;
    }
}

// A caption's letters are white wherever the frame is cut: their insides
// (opaque white in the viewer's drawing, as are their neighbours across) stay
// white on every frame that shows them, whatever the picture behind.
TEST_P(CaptionsTest, CaptionsStayPutWhileTheFrameMoves)
{
    const Clip clip = captionedClip(true);
    const QString out = exportOf("export_motion.mp4", clip, kShortSide, false, kCues);
    Captions::Drawing drawing;
    drawing.setScript(clipScript(clip));
    for (const int n : {0, 10, 20, 25, 34, 45, 49}) {
        const QImage captions = drawing.frame(n / kRate, render());
        const QImage burned = testutil::ffmpegFrame(out, std::max(0.0, n / kRate - 0.01));
        auto white = [&](int x, int y) {
            const QRgb p = captions.pixel(x, y);
            return qAlpha(p) == 255 && qRed(p) > 250 && qGreen(p) > 250 && qBlue(p) > 250;
        };
        double sum = 0;
        int count = 0;
        for (int y = 1; y + 1 < captions.height(); ++y)
            for (int x = 1; x + 1 < captions.width(); ++x)
                if (white(x, y) && white(x - 1, y) && white(x + 1, y)) {
                    const QRgb b = burned.pixel(x, y);
                    sum += std::min({qRed(b), qGreen(b), qBlue(b)});
                    ++count;
                }
        ASSERT_GT(count, 20) << "frame " << n;
        EXPECT_GT(sum / count, 170) << "frame " << n;
    }
}

TEST_P(CaptionsTest, MissingCaptionsFailNamingTheClip)
{
    const Clip clip = captionedClip();
    auto job = std::make_shared<Job>();
    job->forceComposition = GetParam() == Engine::composition;
    const QString out = dir.filePath(QStringLiteral("missing.mp4"));
    const exporttest::Outcome o = exporttest::outcome(
        exportClip(clip, exporttest::media("export_motion.mp4"), {}, kShortSide, out, job, {}, {}));
    EXPECT_EQ(o.kind, exporttest::Outcome::failed);
    EXPECT_TRUE(o.message.contains(QStringLiteral("\u201CWeather\u201D")))
        << o.message.toStdString();
    EXPECT_FALSE(QFile::exists(out));
}

CW_EACH_ENGINE(CaptionsTest);

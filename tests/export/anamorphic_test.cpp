#include "common/testutil.h"
#include "export/exporter.h"
#include "export_support.h"
#include "media/opener.h"
#include "model/cropmath.h"

#include <QCoroTask>
#include <QTemporaryDir>
#include <cmath>
#include <gtest/gtest.h>

using namespace ClipExporter;
using exporttest::Engine;

// Sources whose pixels are not square: the crop frame is placed on the picture
// as the player shows it, and each engine must write exactly what the frame
// covered there, undistorted. The yardstick is the ffmpeg command line making
// the same region of the shown picture.
namespace {

// Mean difference per channel (0…255) within which two renderings of one
// region count as the same picture. Measured: 1.0 to 3.8 for the right region
// through either engine; 12 to 44 for the stored-pixel crop of old.
constexpr double kSamePicture = 6;

struct AnamorphicExport : ::testing::TestWithParam<Engine> {};

}  // namespace

TEST_P(AnamorphicExport, TheFileShowsExactlyWhatTheFrameCoveredOnTheShownPicture)
{
    struct Case {
        const char* fixture;
        QSize shown;  // upright, with square pixels
        Aspect aspect;
        double zoom, cx, cy;
    };
    for (const Case c : {
             Case{"anamorphic_pal.vob", {1024, 576}, Aspect::vertical, 1, 0.3, 0.5},
             Case{"anamorphic_pal.vob", {1024, 576}, Aspect::wide, 1.5, 0.6, 0.4},
             Case{"anamorphic_hdv.mp4", {640, 360}, Aspect::square, 2, 0.7, 0.3},
             Case{"anamorphic_hdv_cw.mp4", {360, 640}, Aspect::portrait, 1.5, 0.4, 0.3},
         }) {
        SCOPED_TRACE(testing::Message() << c.fixture << " " << fileTag(c.aspect).toStdString());
        // A copy of its own, so that the DVD's converted copy is made here.
        QTemporaryDir dir;
        const QString source = dir.filePath(c.fixture);
        QFile::copy(testutil::fixture(c.fixture), source);
        const MWOpenedMedia media = testutil::await(MWMediaOpener::open(source, true, {}));
        const QString out = exporttest::exportWith(
            GetParam(), exporttest::clipOf(0, 0.2, c.aspect, c.zoom, c.cx, c.cy), media,
            dir.filePath("out.mp4"));
        const QSize render = renderSize(c.aspect, 720);
        const exporttest::Probe p = exporttest::probe(out);
        EXPECT_EQ(p.size(), render);
        EXPECT_EQ(p.field("sample_aspect_ratio"), "1:1");

        // The region is worked out on the shown picture the table names, not
        // on the record's size, so that a wrong record cannot hide itself.
        EXPECT_EQ(media.naturalSize, QSizeF(c.shown));
        const QRectF frame =
            CropMath::cropFrame(c.aspect, c.zoom, c.cx, c.cy, QSizeF(c.shown), std::nullopt);
        const QImage reference = testutil::ffmpegFrame(
            media.original, 0,
            QStringLiteral("scale=%1:%2,setsar=1,crop=%3:%4:%5:%6,scale=%7:%8:flags=bicubic")
                .arg(c.shown.width())
                .arg(c.shown.height())
                .arg(qRound(frame.width()))
                .arg(qRound(frame.height()))
                .arg(qRound(frame.x()))
                .arg(qRound(frame.y()))
                .arg(render.width())
                .arg(render.height()));
        EXPECT_LT(testutil::difference(testutil::ffmpegFrame(out, 0), reference), kSamePicture);
    }
}

INSTANTIATE_TEST_SUITE_P(Engines, AnamorphicExport,
                         ::testing::Values(Engine::converter, Engine::composition),
                         exporttest::engineName);

#include "common/testutil.h"
#include "export/delivery.h"
#include "model/openedmedia.h"
#include "platform/asset.h"
#include "platform/mpvplayer.h"
#include "platform/playersurface.h"

#include <QSignalSpy>
#include <QTest>
#include <cmath>
#include <gtest/gtest.h>

namespace {

// Waits until the surface has drawn a frame while the player shows the one at shown.
bool drawn(MWMpvPlayer& player, MWPlayerSurface& surface, double shown)
{
    bool done = false;
    const auto connection = QObject::connect(&surface, &MWPlayerSurface::frameRendered, [&] {
        done = done || std::abs(player.shownTime() - shown) < 1e-6;
    });
    const bool ok = testutil::waitUntil([&] { return done; });
    QObject::disconnect(connection);
    return ok;
}

// Both ways of drawing: into memory (machines without a graphics card) and
// through OpenGL.
class PlayerSurface : public testing::TestWithParam<MWPlayerSurface::Output> {};

}  // namespace

// Black without a player. A player whose item opened before it met the surface
// (the viewer appears with it), preloaded first: the frame of an exact seek, fitted on black and
// following the surface's size at once; repaints leave the video alone; moved
// into another window (a new GL context), the same picture and player, and
// frames keep coming while it plays. Black again once the player has gone.
TEST_P(PlayerSurface, ShowsTheFrameOfAnExactSeekFittedOnBlackInAnyWindowAndFollowsItsSize)
{
    QWidget first, second;
    auto* surface = new MWPlayerSurface(&first, GetParam());
    surface->resize(640, 240);
    first.resize(640, 240);
    first.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&first, 30000));
    EXPECT_EQ(surface->grabFrame().pixel(320, 120) & 0xffffff, 0u);
    auto* player = new MWMpvPlayer({.video = true, .audio = false});
    const auto asset = MWAsset::open(testutil::fixture("frames_counter.mp4"));
    // Preloaded before any surface could draw it: the load must not be one
    // without a picture.
    player->preload(asset->path);
    QTest::qWait(300);
    player->replaceItem(asset);
    player->seekExact(3.5);
    surface->setPlayer(player);
    ASSERT_TRUE(drawn(*player, *surface, 3.52));
    const QImage reference = testutil::ffmpegFrame(asset->path, 3.5);

    // Wide: black at the sides, the picture 1:1 in the middle. It is what
    // `ffmpeg -ss 3.5` starts with, within the colour conversion's noise; the
    // frames either side differ by a moved block.
    const QImage wide = surface->grabFrame().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(wide.pixel(10, 120), qRgb(0, 0, 0));
    const QImage shot = wide.copy(160, 0, 320, 240);
    const double same = testutil::difference(shot, reference);
    EXPECT_LT(same, 6.0);
    EXPECT_GT(testutil::difference(shot, testutil::ffmpegFrame(asset->path, 3.48)), same + 3.0);
    EXPECT_GT(testutil::difference(shot, testutil::ffmpegFrame(asset->path, 3.56)), same + 3.0);

    // Tall, at once: the first picture at the new size has the bars above and below.
    surface->resize(320, 480);
    const QImage tall = surface->grabFrame().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(tall.pixel(160, 470), qRgb(0, 0, 0));
    EXPECT_LT(testutil::difference(tall.copy(0, 120, 320, 240), reference), 6.0);

    surface->setPlayer(player);
    surface->repaint();
    surface->repaint();
    EXPECT_NEAR(player->shownTime(), 3.52, 1e-6);
    EXPECT_EQ(player->currentTime(), 3.5);

    second.resize(500, 300);
    second.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&second, 30000));
    surface->setParent(&second);
    surface->resize(320, 240);
    surface->show();
    player->seekExact(2.0);
    ASSERT_TRUE(drawn(*player, *surface, 2.0));
    const QImage moved = surface->grabFrame().convertToFormat(QImage::Format_RGB32);
    EXPECT_LT(testutil::difference(moved, testutil::ffmpegFrame(asset->path, 2.0)), 6.0);
    QSignalSpy frames(surface, &MWPlayerSurface::frameRendered);
    player->play();
    ASSERT_TRUE(testutil::waitUntil([&] { return player->currentTime() > 3.0; }));
    player->pause();
    EXPECT_GT(frames.count(), 5);

    // The player ends first: it has the surface free its render context.
    delete player;
    EXPECT_EQ(surface->player(), nullptr);
    EXPECT_EQ(surface->grabFrame().pixel(160, 120) & 0xffffff, 0u);
}

// HDR shown as the export will write it: through the exports' tone mapping,
// not the player's own. The yardstick is the common tone mapping on the
// ffmpeg command line; the player's own mapping (without the filter) is far
// from it, so the comparison can tell the two apart.
TEST_P(PlayerSurface, ShowsHdrToneMappedAsTheExportWritesIt)
{
    QWidget window;
    auto* surface = new MWPlayerSurface(&window, GetParam());
    surface->resize(320, 180);
    window.resize(320, 180);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window, 30000));
    MWMpvPlayer player({.video = true, .audio = false});
    surface->setPlayer(&player);
    const QString path = testutil::fixture("export_hlg.mp4");
    MWOpenedMedia media;
    media.asset = MWAsset::open(path);
    const QImage reference = testutil::ffmpegFrame(
        path, 0.4,
        "zscale=t=linear:npl=100,format=gbrpf32le,zscale=p=bt709,tonemap=tonemap=hable:desat=0,"
        "zscale=t=bt709:m=bt709:r=tv,format=yuv420p");
    double shown[2] = {};
    for (const bool filtered : {true, false}) {
        player.setPictureFilter(filtered ? ClipExporter::viewerFilter(media) : QString());
        player.replaceItem(media.asset);
        player.seekExact(0.4);
        ASSERT_TRUE(drawn(player, *surface, 0.4));
        const QImage grabbed = surface->grabFrame().convertToFormat(QImage::Format_RGB32);
        shown[filtered ? 0 : 1] = testutil::difference(grabbed, reference);
    }
    RecordProperty("toneMapped", std::to_string(shown[0]));
    RecordProperty("playersOwn", std::to_string(shown[1]));
    EXPECT_LT(shown[0], 6.0);
    EXPECT_GT(shown[1], shown[0] + 3.0) << "the player's own tone mapping";
    surface->setPlayer(nullptr);
}

INSTANTIATE_TEST_SUITE_P(Outputs, PlayerSurface,
                         testing::Values(MWPlayerSurface::Output::software,
                                         MWPlayerSurface::Output::openGL),
                         [](const auto& info) {
                             return info.param == MWPlayerSurface::Output::software ? "Software"
                                                                                    : "OpenGL";
                         });

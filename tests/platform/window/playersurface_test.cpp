#include "common/testutil.h"
#include "platform/asset.h"
#include "platform/mpvplayer.h"
#include "platform/playersurface.h"

#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <cmath>
#include <gtest/gtest.h>

namespace {

std::shared_ptr<const MWAsset> counter()
{
    return MWAsset::open(testutil::fixture("frames_counter.mp4"));
}

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

}  // namespace

TEST(PlayerSurface, ShowsTheFrameOfAnExactSeekFittedOnBlackAndFollowsItsSizeAtOnce)
{
    MWMpvPlayer player({.video = true, .audio = false});
    MWPlayerSurface surface;
    surface.setPlayer(&player);
    surface.resize(640, 240);
    surface.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&surface, 30000));
    const auto asset = counter();
    player.replaceItem(asset);
    player.seekExact(3.5);
    ASSERT_TRUE(drawn(player, surface, 3.52));
    const QImage reference = testutil::ffmpegFrame(asset->path, 3.5);

    // Wide: black at the sides, the picture 1:1 in the middle. It is what
    // `ffmpeg -ss 3.5` starts with, within the colour conversion's noise; the
    // frames either side differ by a moved block.
    const QImage wide = surface.grabFramebuffer().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(wide.size(), QSize(640, 240));
    EXPECT_EQ(wide.pixel(10, 120), qRgb(0, 0, 0));
    EXPECT_EQ(wide.pixel(630, 120), qRgb(0, 0, 0));
    const QImage shot = wide.copy(160, 0, 320, 240);
    const double same = testutil::difference(shot, reference);
    EXPECT_LT(same, 6.0);
    EXPECT_GT(testutil::difference(shot, testutil::ffmpegFrame(asset->path, 3.48)), same + 3.0);
    EXPECT_GT(testutil::difference(shot, testutil::ffmpegFrame(asset->path, 3.56)), same + 3.0);

    // Tall, at once: the first picture at the new size has the bars above and below.
    surface.resize(320, 480);
    const QImage tall = surface.grabFramebuffer().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(tall.size(), QSize(320, 480));
    EXPECT_EQ(tall.pixel(160, 10), qRgb(0, 0, 0));
    EXPECT_EQ(tall.pixel(160, 470), qRgb(0, 0, 0));
    EXPECT_LT(testutil::difference(tall.copy(0, 120, 320, 240), reference), 6.0);
}

TEST(PlayerSurface, SurvivesLateAttachRepaintsAndReparentingAndPlaysOn)
{
    MWMpvPlayer player({.video = true, .audio = false});
    QWidget first;
    QWidget second;
    // The item is open before any surface exists (the viewer appears with it).
    player.replaceItem(counter());
    player.seekExact(1.0);
    auto* surface = new MWPlayerSurface(&first);
    surface->setPlayer(&player);
    surface->resize(320, 240);
    first.resize(400, 300);
    first.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&first, 30000));
    ASSERT_TRUE(drawn(player, *surface, 1.0));
    EXPECT_EQ(player.currentTime(), 1.0);

    // Repaints and the same player again leave the video alone.
    surface->setPlayer(&player);
    surface->repaint();
    surface->repaint();
    EXPECT_NEAR(player.shownTime(), 1.0, 1e-6);
    EXPECT_EQ(player.currentTime(), 1.0);

    // Moved into another window: a new GL context, the same picture and player.
    second.setWindowTitle(QStringLiteral("MWSO Cutwright"));
    second.resize(500, 300);
    second.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&second, 30000));
    surface->setParent(&second);
    surface->show();
    player.seekExact(2.0);
    ASSERT_TRUE(drawn(player, *surface, 2.0));
    const QImage shot = surface->grabFramebuffer().convertToFormat(QImage::Format_RGB32);
    EXPECT_LT(testutil::difference(shot, testutil::ffmpegFrame(counter()->path, 2.0)), 6.0);

    // Playing there, frames keep coming; with CW_SCREENSHOT set, the whole
    // screen is saved there.
    QSignalSpy frames(surface, &MWPlayerSurface::frameRendered);
    player.play();
    ASSERT_TRUE(testutil::waitUntil([&] { return player.currentTime() > 3.0; }));
    player.pause();
    EXPECT_GT(frames.count(), 5);
    if (const QString path = qEnvironmentVariable("CW_SCREENSHOT"); !path.isEmpty())
        surface->screen()->grabWindow(0).save(path);
}

TEST(PlayerSurface, BlackWithoutAPlayerAndTheRenderContextGoesBeforeTheCore)
{
    MWPlayerSurface surface;
    surface.resize(200, 100);
    surface.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&surface, 30000));
    EXPECT_EQ(surface.grabFramebuffer().pixel(100, 50) & 0xffffff, 0u);

    auto* player = new MWMpvPlayer({.video = true, .audio = false});
    surface.setPlayer(player);
    player->replaceItem(counter());
    ASSERT_TRUE(drawn(*player, surface, 0.0));
    // The player ends first: it has the surface free its render context.
    delete player;
    EXPECT_EQ(surface.player(), nullptr);
    EXPECT_EQ(surface.grabFramebuffer().pixel(100, 50) & 0xffffff, 0u);
}

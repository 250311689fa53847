// Pictures of the whole window for looking at, taken only when asked:
//   CW_WINDOW_SHOTS=DIR app_tests --gtest_filter='WindowShots*'
// Three real sources with their filmstrips, three clips, one selected; every
// finish at 100 % and 150 %, each also with the export queue over it.
#include "app/window_fixture_support.h"
#include "platform/mpvplayer.h"
#include "platform/playersurface.h"
#include "store/store_fixture_support.h"
#include "theme/mwui.h"
#include "views/mainview.h"
#include "views/viewer.h"

#include <QDir>

TEST(WindowShots, EveryFinishAtTwoZooms)
{
    const QString folder = qEnvironmentVariable("CW_WINDOW_SHOTS");
    if (folder.isEmpty())
        GTEST_SKIP() << "set CW_WINDOW_SHOTS to a folder to take the pictures";
    QDir().mkpath(folder);
    QFile::remove(CWStore::sessionURL());
    auto* store =
        new CWStore(new MWMpvPlayer({.video = true, .audio = false}), new ScriptedServices);
    CWDelegate delegate;
    CWMainWindow window(store, &delegate);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window, 30000));
    storetest::importNow(*store, {testutil::fixture("bars_letterbox.mp4"),
                                  testutil::fixture("frames_portrait.mp4"),
                                  testutil::fixture("h264_aac.mp4")});
    ASSERT_EQ(store->sources().size(), 3);
    ASSERT_TRUE(testutil::waitUntil(
        [&] {
            for (const CWSource& s : store->sources())
                if (s.thumbs.isEmpty())
                    return false;
            return true;
        },
        60000));
    store->select(store->sources().first().id);
    for (const auto& [in, out, aspect] :
         {std::tuple{0.0, 1.5, Aspect::vertical}, std::tuple{1.0, 3.2, Aspect::square},
          std::tuple{2.0, 4.0, Aspect::wide}}) {
        store->seek(in);
        store->markIn();
        store->seek(out);
        store->markOut();
        store->setAspect(aspect);
        store->addClip();
    }
    store->selectClip(store->clips()[1]);
    QList<ExportRow> rows;
    for (const auto& [name, progress, state] :
         {std::tuple{"bars_letterbox – clip 1.mp4", 1.0, "Done"},
          std::tuple{"bars_letterbox – clip 2.mp4", 0.4, "Exporting…"},
          std::tuple{"bars_letterbox – clip 3.mp4", 0.0, "Failed: The disk is full."},
          std::tuple{"frames_portrait – clip 1.mp4", 0.0, "Waiting"}})
        rows.append(ExportRow{QUuid::createUuid(), name, progress, state, std::nullopt});

    auto* viewer = window.findChild<CWMain*>()->viewer();
    for (const MWTheme& theme : MWTheme::all()) {
        for (double zoom : {1.0, 1.5}) {
            MWUI::shared()->setTheme(theme);
            MWUI::shared()->setZoom(zoom);
            window.resize(QSize(1440, 900) * zoom);
            bool drawn = false;
            QObject::connect(viewer->surface(), &MWPlayerSurface::frameRendered,
                             [&] { drawn = true; });
            store->seek(store->time());
            testutil::waitUntil([&] { return drawn; }, 10000);
            QTest::qWait(50);
            const QString name = QString("%1/%2-%3").arg(folder, theme.id).arg(qRound(zoom * 100));
            window.grab().save(name + ".png");
            CWStoreTestAccess::setExport(*store, rows, true);
            QTest::qWait(50);
            window.grab().save(name + "-queue.png");
            CWStoreTestAccess::setExport(*store, {}, false);
        }
    }
    MWUI::shared()->resetZoom();
    MWUI::shared()->setTheme(MWTheme::all().front());
    CWApp::publish(nullptr);
}

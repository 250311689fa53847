#include "common/testutil.h"
#include "media/thumbnails.h"
#include "platform/asset.h"
#include "store/store_fixture_support.h"
#include "theme/mwui.h"
#include "views/timeline.h"

#include <QDir>

// Pictures of the panel with a real source, its filmstrip, clips and a
// selection, for a person to look at: written only when CW_TIMELINE_SHOTS
// names a folder.
class TimelineShots : public StoreTest {};

TEST_F(TimelineShots, PanelInTwoFinishesAndTwoZooms)
{
    const QString folder = qEnvironmentVariable("CW_TIMELINE_SHOTS");
    if (folder.isEmpty())
        GTEST_SKIP() << "set CW_TIMELINE_SHOTS to a folder to write the pictures";
    QDir().mkpath(folder);
    const QString path = testutil::fixture("export_long.mp4");
    const auto asset = MWAsset::open(path);
    CWSource s;
    s.id = QUuid::createUuid();
    s.media.original = path;
    s.media.playable = path;
    s.media.asset = asset;
    s.media.duration = asset->duration;
    s.media.hasVideo = true;
    s.media.naturalSize = QSizeF(320, 240);
    s.thumbs = MWMediaOpener::makeThumbnails(asset, asset->duration, 24, 60);
    ASSERT_EQ(s.thumbs.size(), 24);
    CWStoreTestAccess::addSource(*store, s);
    store->select(s.id);
    const Clip a{QUuid::createUuid(), s.id, "a", 1, 3.5};
    const Clip b{QUuid::createUuid(), s.id, "b", 10, 10.02};
    const Clip c{QUuid::createUuid(), s.id, "c", 4.5, 8};
    CWStoreTestAccess::setClips(*store, {a, b, c});
    store->setSelectedClipID(c.id);
    store->setOut(8);
    store->setIn(4.5);
    store->setTrimFocus(1);
    store->seek(6);

    const QString finishes[] = {MWTheme::all().front().id, MWTheme::all().back().id};
    for (const QString& finish : finishes) {
        for (double zoom : {1.0, 1.5}) {
            MWUI::shared()->setTheme(MWTheme::named(finish));
            MWUI::shared()->setZoom(zoom);
            CWTimeline timeline(store.get());
            timeline.resize(int(900 * zoom), int(190 * zoom));
            timeline.show();
            const QString name =
                QStringLiteral("%1/timeline-%2-%3.png").arg(folder, finish).arg(int(zoom * 100));
            EXPECT_TRUE(timeline.grab().save(name));
        }
    }
    MWUI::shared()->setZoom(1.0);
}

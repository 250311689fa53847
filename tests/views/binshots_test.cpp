#include "common/testutil.h"
#include "media/thumbnails.h"
#include "platform/asset.h"
#include "store/store_fixture_support.h"
#include "theme/mwui.h"
#include "theme/root.h"
#include "views/bin.h"
#include "views/exportqueue.h"

#include <QDir>
#include <QHBoxLayout>
#include <QPainter>
#include <QTest>

// Pictures of the media bin and of the export queue over a window, for a
// person to look at: written only when CW_BIN_SHOTS names a folder.
class BinShots : public StoreTest {
protected:
    CWSource add(const QString& path)
    {
        const auto asset = MWAsset::open(path);
        CWSource s;
        s.id = QUuid::createUuid();
        s.media.original = s.media.playable = path;
        s.media.asset = asset;
        s.media.duration = asset->duration;
        s.media.hasVideo = true;
        s.media.naturalSize = asset->naturalSize;
        s.thumbs = MWMediaOpener::makeThumbnails(asset, asset->duration, 12, 120);
        CWStoreTestAccess::addSource(*store, s);
        return s;
    }
};

namespace {
// Stands in for the window under the queue: the finish's background and a
// bin, so the backdrop has something to dim.
class Backdrop : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent*) override
    {
        const MWTheme& t = MWUI::shared()->theme();
        QPainter p(this);
        QLinearGradient g(0, 0, 0, height());
        g.setColorAt(0, t.base);
        g.setColorAt(1, t.deep);
        p.fillRect(rect(), g);
    }
};

ExportRow row(const QString& name, const QString& state, double progress)
{
    return ExportRow{QUuid::createUuid(), name, progress, state, std::nullopt};
}
}  // namespace

TEST_F(BinShots, BinAndQueueInTwoFinishesAndTwoZooms)
{
    const QString folder = qEnvironmentVariable("CW_BIN_SHOTS");
    if (folder.isEmpty())
        GTEST_SKIP() << "set CW_BIN_SHOTS to a folder to write the pictures";
    QDir().mkpath(folder);
    for (double zoom : {1.0, 1.5}) {
        MWUI::shared()->setZoom(zoom);
        QWidget root;
        mwsoRoot(&root);
        auto* bin = new CWBin(store.get(), &root);
        bin->resize(int(230 * zoom), int(300 * zoom));
        root.resize(bin->size());
        root.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&root));
        QCoreApplication::processEvents();
        EXPECT_TRUE(bin->grab().save(
            QStringLiteral("%1/bin-empty-%2.png").arg(folder).arg(int(zoom * 100))));
    }
    QTemporaryDir files;
    const CWSource first = add(testutil::fixture("h264_aac.mp4"));
    add(testutil::copyFixture(
        "rotated.mp4", files.path(),
        "Family reunion at the lake house, summer 2024 - full uncut camera roll (phone).mp4"));
    add(testutil::fixture("export_long.mp4"));
    store->select(first.id);
    CWStoreTestAccess::setClips(*store, {storetest::clipOf(first.id, "Intro", 0, 1),
                                         storetest::clipOf(first.id, "Wave", 1, 2)});
    CWStoreTestAccess::setExport(
        *store,
        {row("Intro_9x16.mp4", "Done", 1),
         row("Wave_9x16.mp4",
             "Failed: The converter stopped: Could not write header for output file #0 "
             "(incorrect codec parameters?): Invalid argument",
             0.3),
         row("Lake house, a very long clip name that has to give way_1x1.mp4", "Exporting…", 0.4),
         row("Outro_16x9.mp4", "Waiting", 0)},
        true);

    const QString finishes[] = {MWTheme::all().front().id, MWTheme::all().back().id};
    for (const QString& finish : finishes) {
        for (double zoom : {1.0, 1.5}) {
            MWUI::shared()->setTheme(MWTheme::named(finish));
            MWUI::shared()->setZoom(zoom);
            const QString suffix = QStringLiteral("%1-%2.png").arg(finish).arg(int(zoom * 100));
            {
                QWidget root;
                mwsoRoot(&root);
                auto* bin = new CWBin(store.get(), &root);
                bin->resize(int(230 * zoom), int(640 * zoom));
                root.resize(bin->size());
                root.show();
                ASSERT_TRUE(QTest::qWaitForWindowExposed(&root));
                QCoreApplication::processEvents();
                EXPECT_TRUE(bin->grab().save(folder + "/bin-" + suffix));
            }
            Backdrop window;
            mwsoRoot(&window);
            window.resize(int(1180 * zoom), int(760 * zoom));
            auto* layout = new QHBoxLayout(&window);
            auto* bin = new CWBin(store.get());
            bin->setFixedWidth(int(230 * zoom));
            layout->addWidget(bin);
            layout->addStretch(1);
            CWExportQueue queue(store.get(), &window);
            window.show();
            ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
            QCoreApplication::processEvents();
            EXPECT_TRUE(window.grab().save(folder + "/queue-" + suffix));
        }
    }
    MWUI::shared()->setZoom(1.0);
    MWUI::shared()->setTheme(MWTheme::all().front());
}

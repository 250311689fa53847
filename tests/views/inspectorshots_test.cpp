#include "common/testutil.h"
#include "store/store_fixture_support.h"
#include "theme/mwui.h"
#include "views/inspector.h"

#include <QDir>
#include <QLayout>
#include <QPainter>
#include <QScrollBar>

// Pictures of the inspector with a clip selected and black bars found, for a
// person to look at: written only when CW_INSPECTOR_SHOTS names a folder.
class InspectorShots : public StoreTest {};

TEST_F(InspectorShots, ColumnInTwoFinishesAndTwoZooms)
{
    const QString folder = qEnvironmentVariable("CW_INSPECTOR_SHOTS");
    if (folder.isEmpty())
        GTEST_SKIP() << "set CW_INSPECTOR_SHOTS to a folder to write the pictures";
    QDir().mkpath(folder);
    CWSource s;
    s.id = QUuid::createUuid();
    s.media.original = s.media.playable = "/videos/letterbox.mp4";
    s.media.duration = 120;
    s.media.hasVideo = true;
    s.media.naturalSize = QSizeF(1920, 1080);
    s.picture = QRectF(0, 140, 1920, 800);
    CWStoreTestAccess::addSource(*store, s);
    store->select(s.id);
    const Clip c =
        storetest::clipOf(s.id, "Opening shot of the harbour", 12.3, 19.85, Aspect::portrait);
    CWStoreTestAccess::setClips(*store, {c});
    store->selectClip(c);
    store->setZoom(1.4);
    store->setCenterX(0.35);

    const QString finishes[] = {MWTheme::all().front().id, MWTheme::all().back().id};
    for (const QString& finish : finishes) {
        for (double zoom : {1.0, 1.5}) {
            MWUI::shared()->setTheme(MWTheme::named(finish));
            MWUI::shared()->setZoom(zoom);
            // The window's background stands behind the column as it will in
            // the main window.
            QWidget back;
            QPalette palette;
            palette.setColor(QPalette::Window, MWUI::shared()->theme().base);
            back.setPalette(palette);
            back.setAutoFillBackground(true);
            CWInspector inspector(store.get(), &back);
            const int width = qRound(300 * zoom);
            back.resize(width, 3000);
            inspector.setGeometry(0, 0, width, 3000);
            back.show();
            // The picture is as tall as the laid-out column, so nothing scrolls.
            QWidget* content = inspector.widget();
            ASSERT_TRUE(testutil::waitUntil([&] { return content->width() == width; }, 5000));
            const int height = content->heightForWidth(width) > 0
                                   ? content->heightForWidth(width)
                                   : content->layout()->minimumSize().height();
            back.resize(width, height);
            inspector.setGeometry(0, 0, width, height);
            QCoreApplication::processEvents();
            const QString name =
                QStringLiteral("%1/inspector-%2-%3.png").arg(folder, finish).arg(int(zoom * 100));
            EXPECT_TRUE(back.grab().save(name));
        }
    }
    MWUI::shared()->setZoom(1.0);
}

#include "common/testutil.h"
#include "store/store_fixture_support.h"
#include "theme/buttons.h"
#include "theme/mwui.h"
#include "views/bin.h"
#include "views/binrow.h"

#include <QDropEvent>
#include <QMimeData>
#include <QTest>

namespace {
QImage solid(const QColor& colour)
{
    QImage image(160, 90, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

bool near(const QColor& a, const QColor& b)
{
    return std::abs(a.red() - b.red()) < 8 && std::abs(a.green() - b.green()) < 8 &&
           std::abs(a.blue() - b.blue()) < 8;
}

class BinTest : public StoreTest {
protected:
    void SetUp() override
    {
        StoreTest::SetUp();
        MWUI::shared()->resetZoom();
        bin = std::make_unique<CWBin>(store.get());
        bin->resize(230, 700);
        bin->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(bin.get()));
    }
    void TearDown() override
    {
        bin.reset();
        MWUI::shared()->resetZoom();
    }
    CWBinRow* rowOf(const QUuid& id) const
    {
        for (CWBinRow* row : bin->rows()) {
            if (row->id() == id)
                return row;
        }
        return nullptr;
    }
    void click(QWidget* widget, QPoint at)
    {
        QTest::mouseClick(widget, Qt::LeftButton, {}, at);
        QCoreApplication::processEvents();
    }
    // The colour drawn at a point of the picture block, clear of the badge.
    QColor pictureColour(CWBinRow* row)
    {
        const QImage shot = row->grab().toImage();
        const QPointF at = row->pictureRect().topLeft() + QPointF(20, 20);
        return shot.pixelColor((at * shot.devicePixelRatio()).toPoint());
    }

    std::unique_ptr<CWBin> bin;
};
}  // namespace

TEST_F(BinTest, EmptyBinShowsOnlyTheHint)
{
    EXPECT_TRUE(bin->rows().isEmpty());
    EXPECT_TRUE(bin->hint()->isVisible());
    EXPECT_EQ(bin->importButton()->toolTip(), "Import videos (Ctrl+I)");
    const CWSource s = addSource("/videos/a.mp4", 30);
    EXPECT_EQ(bin->rows().size(), 1);
    EXPECT_FALSE(bin->hint()->isVisible());
    store->removeSource(s.id);
    EXPECT_TRUE(bin->hint()->isVisible());
}

TEST_F(BinTest, PlaceholderUntilTheFilmstripThenTheThumbOneThirdIn)
{
    const CWSource s = addSource("/videos/a.mp4", 30);
    CWBinRow* row = rowOf(s.id);
    ASSERT_TRUE(row);
    EXPECT_FALSE(row->hasPicture());
    EXPECT_TRUE(near(pictureColour(row), MWUI::shared()->theme().well));

    const QColor colours[] = {Qt::red, Qt::green, Qt::blue, Qt::yellow, Qt::cyan, Qt::magenta};
    QList<Thumb> thumbs;
    for (int i = 0; i < 6; ++i)
        thumbs << Thumb{i * 5.0, solid(colours[i])};
    CWStoreTestAccess::setThumbs(*store, s.id, thumbs);
    EXPECT_EQ(rowOf(s.id), row);  // the same row takes the filmstrip
    EXPECT_TRUE(near(pictureColour(row), Qt::blue));

    // Short filmstrips: the element after skipping count / 3.
    const struct {
        int count;
        int shown;
    } cases[] = {{1, 0}, {2, 0}, {3, 1}, {5, 1}, {6, 2}};
    for (const auto& c : cases) {
        const QImage picked = CWBinRow::pickThumb(thumbs.mid(0, c.count));
        EXPECT_EQ(picked.pixelColor(0, 0), colours[c.shown]) << c.count;
    }
    EXPECT_TRUE(CWBinRow::pickThumb({}).isNull());
}

TEST_F(BinTest, ClipCountsCountOnlyTheirOwnSource)
{
    const CWSource a = addSource("/videos/a.mp4", 60);
    const CWSource b = addSource("/videos/b.mp4", 60);
    CWBinRow* rowA = rowOf(a.id);
    EXPECT_EQ(rowA->info(), "1920×1080 · 0 clips");
    CWStoreTestAccess::setClips(*store, {storetest::clipOf(a.id, "a1", 0, 5),
                                         storetest::clipOf(b.id, "b1", 0, 5),
                                         storetest::clipOf(b.id, "b2", 5, 9)});
    EXPECT_EQ(rowOf(a.id), rowA);  // counted in place
    EXPECT_EQ(rowA->info(), "1920×1080 · 1 clips");
    EXPECT_EQ(rowOf(b.id)->info(), "1920×1080 · 2 clips");
    const CWSource c = addSource("/videos/c.mp4", 60);
    EXPECT_EQ(rowOf(c.id)->info(), "1920×1080 · 0 clips");
}

TEST_F(BinTest, LongNameStaysOnOneLineCutInTheMiddle)
{
    const QString name = "holiday_" + QString(120, 'x') + "_final_cut.mp4";
    const CWSource longOne = addSource("/videos/" + name, 60);
    const CWSource shortOne = addSource("/videos/b.mp4", 60);
    for (double zoom : {1.0, 1.5}) {
        MWUI::shared()->setZoom(zoom);
        bin->resize(int(230 * zoom), 700);
        QCoreApplication::processEvents();
        CWBinRow* row = rowOf(longOne.id);
        const QString shown = row->shownName();
        EXPECT_TRUE(shown.startsWith("holiday_")) << shown.toStdString();
        EXPECT_TRUE(shown.endsWith(".mp4")) << shown.toStdString();
        EXPECT_TRUE(shown.contains(QChar(0x2026)));
        EXPECT_EQ(row->sizeHint().height(), rowOf(shortOne.id)->sizeHint().height());
        EXPECT_LE(row->width(), bin->width());
    }
    EXPECT_EQ(rowOf(shortOne.id)->shownName(), "b.mp4");
}

TEST_F(BinTest, CrossRemovesWithoutSelectingAndClickSelects)
{
    const CWSource a = addSource("/videos/a.mp4", 60);
    const CWSource b = addSource("/videos/b.mp4", 60);
    const CWSource c = addSource("/videos/c.mp4", 60);
    store->select(a.id);
    EXPECT_TRUE(rowOf(a.id)->selected());

    QSignalSpy currentChanges(store.get(), &CWStore::changed);
    CWBinRemoveButton* cross = rowOf(b.id)->removeButton();
    EXPECT_EQ(cross->toolTip(), "Remove from the bin");
    click(cross, cross->rect().center());
    ASSERT_EQ(store->sources().size(), 2);
    EXPECT_FALSE(rowOf(b.id));
    EXPECT_EQ(store->currentSourceID(), a.id);
    for (const auto& change : currentChanges)
        EXPECT_NE(change[0].value<CWStore::Field>(), CWStore::Field::currentSourceID);

    CWBinRow* rowC = rowOf(c.id);
    click(rowC, rowC->pictureRect().center().toPoint());
    EXPECT_EQ(store->currentSourceID(), c.id);
    EXPECT_TRUE(rowC->selected());
    EXPECT_FALSE(rowOf(a.id)->selected());
}

TEST_F(BinTest, PlayheadTicksNeitherRebuildNorRescale)
{
    const CWSource s = addSource("/videos/a.mp4", 60);
    CWStoreTestAccess::setThumbs(*store, s.id, {{0.0, solid(Qt::red)}});
    store->select(s.id);
    CWBinRow* row = rowOf(s.id);
    row->grab();
    const long long scaled = CWBinRow::scalings();
    for (int i = 1; i <= 30; ++i)
        tickAt(i / 30.0);
    row->repaint();
    row->grab();
    EXPECT_EQ(rowOf(s.id), row);
    EXPECT_EQ(CWBinRow::scalings(), scaled);
    // A new block size does scale again.
    bin->resize(300, 700);
    QCoreApplication::processEvents();
    row->grab();
    EXPECT_EQ(CWBinRow::scalings(), scaled + 1);
}

TEST_F(BinTest, FilesDroppedAnywhereOnThePanelAreImported)
{
    const QString file = testutil::fixture("h264_aac.mp4");
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(file), QUrl::fromLocalFile("/tmp/notes.txt")});
    QSignalSpy finished(store.get(), &CWStore::importFinished);
    const QPointF at(bin->width() / 2.0, bin->height() - 20.0);
    QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, &mime, Qt::LeftButton, {});
    QCoreApplication::sendEvent(bin.get(), &enter);
    QDropEvent drop(at, Qt::CopyAction, &mime, Qt::LeftButton, {});
    QCoreApplication::sendEvent(bin.get(), &drop);
    ASSERT_TRUE(finished.wait(120000));
    ASSERT_EQ(store->sources().size(), 1);
    EXPECT_EQ(store->sources()[0].media.original, file);
    EXPECT_TRUE(services->alerts.isEmpty());
    ASSERT_EQ(bin->rows().size(), 1);
    EXPECT_FALSE(bin->hint()->isVisible());
}

#include "theme/buttons.h"
#include "views/bin.h"
#include "views/binrow.h"
#include "views/views_support.h"

#include <QDropEvent>
#include <QMimeData>

namespace {
class BinTest : public ViewTest<CWBin, 230, 700> {
protected:
    CWBinRow* rowOf(const QUuid& id) const
    {
        for (CWBinRow* row : view->rows()) {
            if (row->id() == id)
                return row;
        }
        return nullptr;
    }
    // The colour drawn at a point of the picture block, clear of the badge.
    QColor pictureColour(CWBinRow* row)
    {
        const QImage shot = row->grab().toImage();
        const QPointF at = row->pictureRect().topLeft() + QPointF(20, 20);
        return shot.pixelColor((at * shot.devicePixelRatio()).toPoint());
    }
};
}  // namespace

// Rows are a list of items the mouse, the keyboard and a screen reader choose.
TEST_F(BinTest, RowsCountClipsSelectRemoveCutLongNamesShowTheirThumbAndTakeDroppedFiles)
{
    EXPECT_TRUE(view->hint()->isVisible());
    const CWSource a = addSource("/videos/a.mp4", 60);
    const CWSource b = addSource("/videos/b.mp4", 65);
    const CWSource c = addSource("/videos/holiday_" + QString(120, 'x') + "_final.mp4", 60);
    EXPECT_EQ(view->rows().size(), 3);
    EXPECT_FALSE(view->hint()->isVisible());
    view->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(view.get()));

    // Each row counts only its own source's clips, in place, as a reader hears it.
    store->select(a.id);
    CWBinRow* rowA = rowOf(a.id);
    CWStoreTestAccess::setClips(*store, {storetest::clipOf(a.id, "a1", 0, 5),
                                         storetest::clipOf(b.id, "b1", 0, 5),
                                         storetest::clipOf(b.id, "b2", 5, 9)});
    EXPECT_EQ(rowOf(a.id), rowA);
    QAccessibleInterface* item = a11y(rowA);
    ASSERT_TRUE(item);
    EXPECT_EQ(item->role(), QAccessible::ListItem);
    EXPECT_EQ(item->text(QAccessible::Name), "a.mp4, 1920×1080, 1 clips, 1:00");
    EXPECT_EQ(a11yName(rowOf(b.id)), "b.mp4, 1920×1080, 2 clips, 1:05");
    EXPECT_TRUE(item->state().selected);
    ASSERT_TRUE(item->parent());
    EXPECT_EQ(item->parent()->role(), QAccessible::List);
    EXPECT_EQ(item->parent()->text(QAccessible::Name), "Media bin");

    // The ✕ inside the row is a button of its own; it removes its video
    // without selecting it.
    QAccessibleInterface* cross = a11y(rowOf(b.id)->removeButton());
    EXPECT_EQ(cross->role(), QAccessible::Button);
    EXPECT_EQ(cross->text(QAccessible::Name), "Remove from the bin");
    QSignalSpy changes(store.get(), &CWStore::changed);
    click(rowOf(b.id)->removeButton());
    EXPECT_FALSE(rowOf(b.id));
    EXPECT_EQ(store->currentSourceID(), a.id);
    for (const auto& change : changes)
        EXPECT_NE(change[0].value<CWStore::Field>(), CWStore::Field::currentSourceID);

    // A click on a row selects its video, and so does a reader's press.
    CWBinRow* rowC = rowOf(c.id);
    click(rowC, rowC->pictureRect().center());
    EXPECT_EQ(store->currentSourceID(), c.id);
    EXPECT_TRUE(rowC->selected());
    EXPECT_FALSE(rowA->selected());
    EXPECT_FALSE(item->state().selected);
    item->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(store->currentSourceID(), a.id);
    EXPECT_TRUE(item->state().selected);

    // Tab reaches every row; the arrows move between them, Return and Space choose.
    EXPECT_EQ(rowA->focusPolicy(), Qt::TabFocus);
    rowA->setFocus(Qt::TabFocusReason);
    QTest::keyClick(rowA, Qt::Key_Down);
    EXPECT_TRUE(rowC->hasFocus());
    QTest::keyClick(rowC, Qt::Key_Down);  // the last row keeps it
    EXPECT_TRUE(rowC->hasFocus());
    QTest::keyClick(rowC, Qt::Key_Return);
    EXPECT_EQ(store->currentSourceID(), c.id);
    QTest::keyClick(rowC, Qt::Key_Up);
    ASSERT_TRUE(rowA->hasFocus());
    QTest::keyClick(rowA, Qt::Key_Space);
    EXPECT_EQ(store->currentSourceID(), a.id);

    // Clicked again, the row shown changes nothing: a selected clip's marks stay.
    const Clip clipC = storetest::clipOf(c.id, "c1", 20, 30);
    CWStoreTestAccess::setClips(*store, store->clips() + QList<Clip>{clipC});
    store->selectClip(clipC);
    EXPECT_TRUE(a11yName(rowC).endsWith(", 1 clips, 1:00"));  // what a reader hears follows
    click(rowC, rowC->pictureRect().center());
    EXPECT_EQ(store->selectedClipID(), clipC.id);
    EXPECT_DOUBLE_EQ(store->inMark(), 20);
    EXPECT_DOUBLE_EQ(store->outMark(), 30);
    EXPECT_EQ(store->clips().last(), clipC);

    // A long name stays on one line, cut in the middle.
    MWUI::shared()->setZoom(1.5);
    view->resize(345, 700);
    QCoreApplication::processEvents();
    const QString shown = rowC->shownName();
    EXPECT_TRUE(shown.startsWith("holiday_") && shown.contains(QChar(0x2026)) &&
                shown.endsWith(".mp4"))
        << shown.toStdString();
    EXPECT_EQ(rowC->sizeHint().height(), rowA->sizeHint().height());
    EXPECT_LE(rowC->width(), view->width());
    EXPECT_EQ(rowA->shownName(), "a.mp4");

    // A placeholder until the filmstrip, then the thumbnail one third in, scaled once.
    const CWSource s = addSource("/videos/d.mp4", 30);
    CWBinRow* row = rowOf(s.id);
    EXPECT_EQ(pictureColour(row).rgb(), MWUI::shared()->theme().well.rgb());

    const QColor colours[] = {Qt::red, Qt::green, Qt::blue, Qt::yellow, Qt::cyan, Qt::magenta};
    QList<Thumb> thumbs;
    for (int i = 0; i < 6; ++i) {
        thumbs << Thumb{i * 5.0, QImage(160, 90, QImage::Format_RGB32)};
        thumbs.last().second.fill(colours[i]);
    }
    CWStoreTestAccess::setThumbs(*store, s.id, thumbs);
    EXPECT_EQ(rowOf(s.id), row);  // the same row takes the filmstrip
    EXPECT_EQ(pictureColour(row).rgb(), QColor(Qt::blue).rgb());
    // Short filmstrips: the element after skipping count / 3.
    for (auto [count, shown] : {std::pair{1, 0}, {5, 1}})
        EXPECT_EQ(CWBinRow::pickThumb(thumbs.mid(0, count)).pixelColor(0, 0), colours[shown]);

    // Playhead ticks neither rebuild the row nor scale its picture again.
    store->select(s.id);
    row->grab();
    const long long scaled = CWBinRow::scalings();
    for (int i = 1; i <= 30; ++i)
        tickAt(i / 30.0);
    row->grab();
    EXPECT_EQ(CWBinRow::scalings(), scaled);  // a rebuilt row would scale again
    // A new block size does scale again.
    view->resize(300, 700);
    QCoreApplication::processEvents();
    row->grab();
    EXPECT_EQ(CWBinRow::scalings(), scaled + 1);

    // Files dropped anywhere on the panel are imported.
    const QString file = testutil::fixture("h264_aac.mp4");
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(file), QUrl::fromLocalFile("/tmp/notes.txt")});
    QSignalSpy finished(store.get(), &CWStore::importFinished);
    const QPointF at(view->width() / 2.0, view->height() - 20.0);
    QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, &mime, Qt::LeftButton, {});
    QCoreApplication::sendEvent(view.get(), &enter);
    QDropEvent drop(at, Qt::CopyAction, &mime, Qt::LeftButton, {});
    QCoreApplication::sendEvent(view.get(), &drop);
    ASSERT_TRUE(finished.wait(120000));
    ASSERT_EQ(store->sources().size(), 4);  // the video only
    EXPECT_EQ(store->sources().last().media.original, file);
}

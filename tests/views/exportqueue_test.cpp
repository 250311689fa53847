#include "theme/buttons.h"
#include "theme/panel.h"
#include "views/exportqueue.h"
#include "views/views_support.h"

#include <QAccessibleValueInterface>
#include <QLabel>
#include <QLineEdit>
#include <QScrollArea>
#include <QScrollBar>

namespace {
QList<ExportRow> batch(int count)
{
    QList<ExportRow> rows;
    for (int i = 0; i < count; ++i)
        rows << ExportRow{QUuid::createUuid(), QString("talk_%1.mp4").arg(i), 0, "Waiting", {}};
    return rows;
}

// A window holding the queue and, made after it, a sibling that covers the
// window: the queue must rise above it when it appears.
struct Window : QWidget {
    explicit Window(CWStore* store) : queue(new CWExportQueue(store, this))
    {
        below->setGeometry(0, 0, 1180, 760);
    }
    CWExportQueue* queue;
    QWidget* below = new QWidget(this);
};

class QueueTest : public ViewTest<Window, 1180, 760> {
protected:
    void setExport(const QList<ExportRow>& rows, bool exporting)
    {
        CWStoreTestAccess::setExport(*store, rows, exporting);
        QCoreApplication::processEvents();
    }
};
}  // namespace

TEST_F(QueueTest, AppearsOverTheWindowWithColouredRowsAndGivesTheKeysBackWhenClosed)
{
    CWExportQueue* queue = view->queue;
    auto* first = new QLineEdit(view->below);  // next after the queue in the focus chain
    auto* editor = new QLineEdit(view->below);
    editor->move(0, 40);
    first->show();
    editor->show();
    view->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(view.get()));
    editor->setFocus();

    const QColor red(255, 69, 58), green(48, 209, 88), neutral = MWUI::shared()->theme().dim;
    const struct {
        QString state;
        QColor colour;
    } cases[] = {{"Failed: The disk is full", red},
                 {"Failed: " + QString(300, 'x'), red},
                 {"Done", green},
                 {"Waiting", neutral}};
    QList<ExportRow> rows;
    for (const auto& c : cases)
        rows << ExportRow{QUuid::createUuid(), "clip.mp4", 0.5, c.state, {}};
    setExport(rows, true);
    EXPECT_EQ(view->childAt(5, 5), queue);  // shown, and raised above the later sibling
    EXPECT_EQ(queue->title()->text(), "Exporting clips…");
    EXPECT_FALSE(queue->closeButton()->isVisible());
    ASSERT_EQ(queue->rows().size(), std::size(cases));
    for (qsizetype i = 0; i < queue->rows().size(); ++i) {
        QLabel* state = queue->rows()[i]->stateLabel();
        EXPECT_EQ(state->palette().color(QPalette::WindowText), cases[i].colour)
            << cases[i].state.toStdString();
        // A long failure is cut short inside the list rather than widening it.
        EXPECT_LE(queue->rows()[i]->width(), queue->scrollArea()->viewport()->width());
        QLabel* name = queue->rows()[i]->nameLabel();
        EXPECT_GE(name->width(), name->fontMetrics().horizontalAdvance(name->text()));
    }
    // Cancel without a job behind the rows changes nothing.
    click(queue->cancelButton());
    EXPECT_EQ(store->exportRows(), rows);
    EXPECT_TRUE(store->exporting());

    // Rows change in place (the real batch below checks they are the same
    // rows): the colour and the bar follow.
    rows[3].state = "Done";
    rows[0].progress = 0.75;
    setExport(rows, true);
    EXPECT_EQ(queue->rows()[3]->stateLabel()->palette().color(QPalette::WindowText), green);
    EXPECT_DOUBLE_EQ(queue->rows()[0]->bar()->value(), 0.75);
    // A new batch of the same size is a new list.
    setExport(batch(rows.size()), true);
    EXPECT_EQ(queue->rows()[0]->stateLabel()->text(), "Waiting");

    // It follows the window; twenty rows and more scroll inside the list
    // without growing the panel.
    view->resize(1600, 1200);
    MWUI::shared()->setZoom(1.5);
    QCoreApplication::processEvents();
    EXPECT_EQ(queue->geometry(), view->rect());
    EXPECT_EQ(queue->panel()->geometry().center().x(), queue->rect().center().x());
    const int few = queue->panel()->height();
    setExport(batch(20), true);
    const int twenty = queue->panel()->height();
    setExport(batch(40), false);
    EXPECT_GT(twenty, few);
    EXPECT_EQ(queue->panel()->height(), twenty);
    EXPECT_GT(queue->scrollArea()->verticalScrollBar()->maximum(), 0);
    EXPECT_EQ(queue->panel()->width(), 840);

    click(queue->closeButton());
    EXPECT_TRUE(editor->hasFocus());  // the keys go back where they were
}

TEST_F(QueueTest, CancelDuringARealBatchEndsItThenOffersClose)
{
    CWExportQueue* queue = view->queue;
    services->folder = out.path();
    storetest::importNow(*store, {copy("export_long.mp4", "long.mp4")});
    ASSERT_EQ(store->sources().size(), 1);
    const QUuid source = store->sources()[0].id;
    CWStoreTestAccess::setClips(
        *store, {storetest::clipOf(source, "a", 0, 8), storetest::clipOf(source, "b", 0, 8)});
    QSignalSpy finished(store.get(), &CWStore::exportFinished);
    store->exportAll();
    const QList<CWQueueRow*> rows = queue->rows();
    ASSERT_EQ(rows.size(), 2);
    ASSERT_TRUE(testutil::waitUntil([&] { return rows[0]->bar()->value() > 0; }, 60000));

    // Stray keys never stop a batch: Space is the play key everywhere else.
    for (const Qt::Key key :
         {Qt::Key_Space, Qt::Key_Return, Qt::Key_Escape, Qt::Key_Tab, Qt::Key_Space, Qt::Key_Enter})
        QTest::keyClick(view->windowHandle(), key);
    EXPECT_TRUE(store->exporting());
    for (CWQueueRow* row : rows)
        EXPECT_NE(row->stateLabel()->text(), "Cancelled");
    EXPECT_FALSE(queue->cancelButton()->hasFocus());

    QTest::mouseClick(queue->cancelButton(), Qt::LeftButton);
    ASSERT_TRUE(finished.wait(60000));
    QCoreApplication::processEvents();
    EXPECT_EQ(queue->rows(), rows);  // progress and the end changed the rows in place
    for (CWQueueRow* row : rows)
        EXPECT_EQ(row->stateLabel()->text(), "Cancelled");
    EXPECT_EQ(queue->title()->text(), "Export finished");
    QTest::keyClick(view->windowHandle(), Qt::Key_Escape);  // ended: Escape closes
    EXPECT_FALSE(queue->isVisible());
}

// The export queue is a dialog named by its title with the batch's progress;
// each row and bar is named by its clip, with its state in words.
TEST_F(QueueTest, RowsTellTheirStateAndProgressAndTheQueueTheWholeBatch)
{
    CWExportQueue* queue = view->queue;
    const QList<ExportRow> rows{
        {QUuid::createUuid(), "talk – clip 1 (9x16).mp4", 1.0, "Done", {}},
        {QUuid::createUuid(), "talk – clip 2 (1x1).mp4", 0.42, "Exporting…", {}},
        {QUuid::createUuid(), "talk – clip 3 (4x5).mp4", 0.1, "Failed: The disk is full", {}},
        {QUuid::createUuid(), "talk – clip 4 (16x9).mp4", 0, "Waiting", {}}};
    setExport(rows, true);
    ASSERT_EQ(queue->rows().size(), 4);

    QAccessibleInterface* dialog = a11y(queue);
    EXPECT_EQ(dialog->role(), QAccessible::Dialog);
    EXPECT_EQ(dialog->text(QAccessible::Name), "Exporting clips…");
    EXPECT_EQ(dialog->text(QAccessible::Description), "2 of 4 finished, 61 %");
    ASSERT_NE(dialog->valueInterface(), nullptr);
    EXPECT_NEAR(dialog->valueInterface()->currentValue().toDouble(), 2.42 / 4, 1e-9);

    const QStringList spoken{"Done", "Exporting… 42 %", "Failed: The disk is full", "Waiting"};
    for (int i = 0; i < 4; ++i) {
        CWQueueRow* row = queue->rows()[i];
        QAccessibleInterface* item = a11y(row);
        EXPECT_EQ(item->role(), QAccessible::ListItem);
        EXPECT_EQ(item->text(QAccessible::Name), rows[i].name);
        EXPECT_EQ(item->text(QAccessible::Description), spoken[i]);
        QAccessibleInterface* bar = a11y(row->bar());
        EXPECT_EQ(bar->role(), QAccessible::ProgressBar);
        EXPECT_EQ(bar->text(QAccessible::Name), rows[i].name);
        EXPECT_NEAR(bar->valueInterface()->currentValue().toDouble(), rows[i].progress, 1e-9);
    }

    QList<ExportRow> ended = rows;
    ended[1].state = "Done";
    ended[1].progress = 1;
    ended[3].state = "Cancelled";
    setExport(ended, false);
    EXPECT_EQ(dialog->text(QAccessible::Name), "Export finished");
    EXPECT_EQ(dialog->text(QAccessible::Description), "4 of 4 finished, 100 %");
    EXPECT_EQ(a11y(queue->rows()[1])->text(QAccessible::Description), "Done");
}

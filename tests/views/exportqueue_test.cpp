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

// The queue rises over the window as a dialog named by its title with the
// batch's progress; each row is coloured by its state and named by its clip,
// its state and its bar's progress in words.
TEST_F(QueueTest, AppearsOverTheWindowTellsEachRowsStateAndGivesTheKeysBackWhenClosed)
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
    const QString longFailure = "Failed: " + QString(300, 'x');
    const struct {
        QString name, state;
        double progress;
        QColor colour;
        QString spoken;
    } cases[] = {{"talk – clip 1 (9x16).mp4", "Done", 1.0, green, "Done"},
                 {"talk – clip 2 (1x1).mp4", "Exporting…", 0.42, neutral, "Exporting… 42 %"},
                 {"talk – clip 3 (4x5).mp4", "Failed: The disk is full", 0.1, red,
                  "Failed: The disk is full"},
                 {"talk – clip 4 (16x9).mp4", longFailure, 0, red, longFailure},
                 {"talk – clip 5 (9x16).mp4", "Waiting", 0, neutral, "Waiting"}};
    QList<ExportRow> rows;
    for (const auto& c : cases)
        rows << ExportRow{QUuid::createUuid(), c.name, c.progress, c.state, {}};
    setExport(rows, true);
    EXPECT_EQ(view->childAt(5, 5), queue);  // shown, and raised above the later sibling
    EXPECT_FALSE(queue->closeButton()->isVisible());
    QAccessibleInterface* dialog = a11y(queue);
    EXPECT_EQ(dialog->role(), QAccessible::Dialog);
    EXPECT_EQ(dialog->text(QAccessible::Name), "Exporting clips…");
    EXPECT_EQ(dialog->text(QAccessible::Description), "3 of 5 finished, 68 %");
    ASSERT_NE(dialog->valueInterface(), nullptr);
    EXPECT_NEAR(dialog->valueInterface()->currentValue().toDouble(), 3.42 / 5, 1e-9);
    ASSERT_EQ(queue->rows().size(), std::size(cases));
    for (qsizetype i = 0; i < queue->rows().size(); ++i) {
        SCOPED_TRACE(cases[i].name.toStdString());
        CWQueueRow* row = queue->rows()[i];
        EXPECT_EQ(row->stateLabel()->palette().color(QPalette::WindowText), cases[i].colour);
        // A long failure is cut short inside the list rather than widening it.
        EXPECT_LE(row->width(), queue->scrollArea()->viewport()->width());
        QLabel* name = row->nameLabel();
        EXPECT_GE(name->width(), name->fontMetrics().horizontalAdvance(name->text()));
        QAccessibleInterface* item = a11y(row);
        EXPECT_EQ(item->role(), QAccessible::ListItem);
        EXPECT_EQ(item->text(QAccessible::Name), cases[i].name);
        EXPECT_EQ(item->text(QAccessible::Description), cases[i].spoken);
        QAccessibleInterface* bar = a11y(row->bar());
        EXPECT_EQ(bar->role(), QAccessible::ProgressBar);
        EXPECT_EQ(bar->text(QAccessible::Name), cases[i].name);
        EXPECT_NEAR(bar->valueInterface()->currentValue().toDouble(), cases[i].progress, 1e-9);
    }
    // Cancel without a job behind the rows changes nothing.
    click(queue->cancelButton());
    EXPECT_EQ(store->exportRows(), rows);
    EXPECT_TRUE(store->exporting());

    // Rows change in place (the real batch below checks they are the same
    // rows): the colour, the bar and the words follow, and the batch ends.
    rows[1].state = "Done";
    rows[1].progress = 1;
    rows[4].state = "Cancelled";
    setExport(rows, false);
    EXPECT_EQ(queue->rows()[1]->stateLabel()->palette().color(QPalette::WindowText), green);
    EXPECT_DOUBLE_EQ(queue->rows()[1]->bar()->value(), 1);
    EXPECT_EQ(a11y(queue->rows()[1])->text(QAccessible::Description), "Done");
    EXPECT_EQ(dialog->text(QAccessible::Name), "Export finished");
    EXPECT_EQ(dialog->text(QAccessible::Description), "5 of 5 finished, 100 %");
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

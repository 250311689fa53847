#include "theme/buttons.h"
#include "theme/panel.h"
#include "views/exportqueue.h"
#include "views/views_support.h"

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
    void SetUp() override
    {
        ViewTest::SetUp();
        queue = view->queue;
    }
    void setExport(const QList<ExportRow>& rows, bool exporting)
    {
        CWStoreTestAccess::setExport(*store, rows, exporting);
        QCoreApplication::processEvents();
    }

    CWExportQueue* queue = nullptr;
};
}  // namespace

TEST_F(QueueTest, AppearsOverTheWholeWindowOnlyWhileRowsExist)
{
    EXPECT_FALSE(queue->isVisible());
    const QList<ExportRow> rows = batch(2);
    setExport(rows, true);
    EXPECT_EQ(view->childAt(5, 5), queue);  // shown, and raised above the later sibling
    EXPECT_EQ(queue->title()->text(), "Exporting clips…");
    EXPECT_FALSE(queue->closeButton()->isVisible());
    // Cancel without a job behind the rows changes nothing.
    QTest::mouseClick(queue->cancelButton(), Qt::LeftButton);
    QTest::keyClick(queue->cancelButton(), Qt::Key_Escape);
    QTest::keyClick(queue->cancelButton(), Qt::Key_Return);
    QCoreApplication::processEvents();
    EXPECT_EQ(store->exportRows(), rows);
    EXPECT_TRUE(store->exporting());

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
    setExport(batch(40), true);
    EXPECT_GT(twenty, few);
    EXPECT_EQ(queue->panel()->height(), twenty);
    EXPECT_LE(queue->scrollArea()->height(), 480);
    EXPECT_GT(queue->scrollArea()->verticalScrollBar()->maximum(), 0);
    EXPECT_EQ(queue->panel()->width(), 840);
    setExport({}, false);
    EXPECT_FALSE(queue->isVisible());
}

TEST_F(QueueTest, StatesAreColouredAndRowsChangeInPlace)
{
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
    ASSERT_EQ(queue->rows().size(), std::size(cases));
    for (qsizetype i = 0; i < queue->rows().size(); ++i) {
        QLabel* state = queue->rows()[i]->stateLabel();
        EXPECT_EQ(state->text(), cases[i].state);
        EXPECT_EQ(state->palette().color(QPalette::WindowText), cases[i].colour)
            << cases[i].state.toStdString();
        // A long failure is cut short inside the list rather than widening it.
        EXPECT_LE(queue->rows()[i]->width(), queue->scrollArea()->viewport()->width());
        QLabel* name = queue->rows()[i]->nameLabel();
        EXPECT_GE(name->width(), name->fontMetrics().horizontalAdvance(name->text()));
    }

    // A progress tick and a state change keep the same rows; the colour follows.
    const QList<CWQueueRow*> before = queue->rows();
    rows[3].state = "Done";
    rows[0].progress = 0.75;
    setExport(rows, true);
    EXPECT_EQ(queue->rows(), before);
    EXPECT_EQ(before[3]->stateLabel()->palette().color(QPalette::WindowText), green);
    EXPECT_DOUBLE_EQ(before[0]->bar()->value(), 0.75);
    // A new batch of the same size is a new list.
    setExport(batch(rows.size()), true);
    EXPECT_EQ(queue->rows()[0]->stateLabel()->text(), "Waiting");
}

TEST_F(QueueTest, ReturnClosesAFinishedBatchAndGivesTheKeysBack)
{
    auto* first = new QLineEdit(view->below);  // next after the queue in the focus chain
    auto* editor = new QLineEdit(view->below);
    editor->move(0, 40);
    first->show();
    editor->show();
    view->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(view.get()));
    editor->setFocus();
    setExport(batch(3), false);
    EXPECT_TRUE(queue->closeButton()->hasFocus());
    QTest::keyClick(queue->closeButton(), Qt::Key_Return);
    EXPECT_TRUE(store->exportRows().isEmpty());
    EXPECT_FALSE(queue->isVisible());
    EXPECT_TRUE(editor->hasFocus());  // the keys go back where they were
}

TEST_F(QueueTest, CancelDuringARealBatchEndsItThenOffersClose)
{
    services->folder = out.path();
    storetest::importNow(*store, {copy("export_long.mp4", "long.mp4")});
    ASSERT_EQ(store->sources().size(), 1);
    const QUuid source = store->sources()[0].id;
    CWStoreTestAccess::setClips(
        *store, {storetest::clipOf(source, "a", 0, 8), storetest::clipOf(source, "b", 0, 8)});
    QSignalSpy finished(store.get(), &CWStore::exportFinished);
    store->exportAll();
    ASSERT_TRUE(queue->cancelButton()->isVisible());
    const QList<CWQueueRow*> rows = queue->rows();
    ASSERT_EQ(rows.size(), 2);
    ASSERT_TRUE(testutil::waitUntil([&] { return rows[0]->bar()->value() > 0; }, 60000));

    QTest::mouseClick(queue->cancelButton(), Qt::LeftButton);
    ASSERT_TRUE(finished.wait(60000));
    QCoreApplication::processEvents();
    EXPECT_EQ(queue->rows(), rows);  // progress and the end changed the rows in place
    for (CWQueueRow* row : rows)
        EXPECT_EQ(row->stateLabel()->text(), "Cancelled");
    EXPECT_EQ(queue->title()->text(), "Export finished");
    ASSERT_TRUE(queue->closeButton()->isVisible());
    QTest::mouseClick(queue->closeButton(), Qt::LeftButton);
    EXPECT_FALSE(queue->isVisible());
}

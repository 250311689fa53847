#include "common/testutil.h"
#include "store/store_fixture_support.h"
#include "theme/buttons.h"
#include "theme/mwui.h"
#include "theme/panel.h"
#include "views/exportqueue.h"

#include <QLabel>
#include <QLineEdit>
#include <QScrollArea>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>

namespace {
ExportRow row(const QString& name, const QString& state = "Waiting", double progress = 0)
{
    ExportRow r;
    r.id = QUuid::createUuid();
    r.name = name;
    r.state = state;
    r.progress = progress;
    return r;
}

QList<ExportRow> batch(int count)
{
    QList<ExportRow> rows;
    for (int i = 0; i < count; ++i)
        rows << row(QStringLiteral("talk_%1_9x16.mp4").arg(i + 1));
    return rows;
}

class QueueTest : public StoreTest {
protected:
    void SetUp() override
    {
        StoreTest::SetUp();
        MWUI::shared()->resetZoom();
        window = std::make_unique<QWidget>();
        window->resize(1180, 760);
        queue = new CWExportQueue(store.get(), window.get());
        below = new QWidget(window.get());  // made later: above the queue until it appears
        below->setGeometry(window->rect());
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }
    void TearDown() override
    {
        window.reset();
        MWUI::shared()->resetZoom();
    }
    void setExport(const QList<ExportRow>& rows, bool exporting)
    {
        CWStoreTestAccess::setExport(*store, rows, exporting);
        QCoreApplication::processEvents();
    }

    std::unique_ptr<QWidget> window;
    CWExportQueue* queue = nullptr;
    QWidget* below = nullptr;
};
}  // namespace

TEST_F(QueueTest, AppearsOverTheWholeWindowOnlyWhileRowsExist)
{
    EXPECT_FALSE(queue->isVisible());
    setExport(batch(2), true);
    ASSERT_TRUE(queue->isVisible());
    EXPECT_EQ(queue->geometry(), window->rect());
    EXPECT_EQ(window->childAt(5, 5), queue);  // raised above the later sibling
    window->resize(1400, 900);
    QCoreApplication::processEvents();
    EXPECT_EQ(queue->geometry(), window->rect());
    EXPECT_EQ(queue->panel()->width(), 560);
    EXPECT_EQ(queue->panel()->geometry().center().x(), queue->rect().center().x());
    setExport({}, false);
    EXPECT_FALSE(queue->isVisible());
}

TEST_F(QueueTest, TitleAndButtonFollowExporting)
{
    setExport(batch(1), true);
    EXPECT_EQ(queue->title()->text(), "Exporting clips…");
    EXPECT_TRUE(queue->cancelButton()->isVisible());
    EXPECT_FALSE(queue->closeButton()->isVisible());
    setExport(store->exportRows(), false);
    EXPECT_EQ(queue->title()->text(), "Export finished");
    EXPECT_FALSE(queue->cancelButton()->isVisible());
    EXPECT_TRUE(queue->closeButton()->isVisible());
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
                 {"Waiting", neutral},
                 {"Exporting…", neutral},
                 {"Cancelled", neutral},
                 {"Skipped", neutral}};
    QList<ExportRow> rows;
    for (const auto& c : cases)
        rows << row("clip.mp4", c.state, 0.5);
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
    rows[3].progress = 1;
    rows[4].progress = 0.75;
    setExport(rows, true);
    EXPECT_EQ(queue->rows(), before);
    EXPECT_EQ(before[3]->stateLabel()->palette().color(QPalette::WindowText), green);
    EXPECT_DOUBLE_EQ(before[4]->bar()->value(), 0.75);
    // A new batch of the same size is a new list.
    setExport(batch(rows.size()), true);
    EXPECT_EQ(queue->rows()[0]->stateLabel()->text(), "Waiting");
}

TEST_F(QueueTest, TwentyRowsScrollInsideTheListWithoutGrowingThePanel)
{
    window->resize(1600, 1200);
    for (double zoom : {1.0, 1.5}) {
        MWUI::shared()->setZoom(zoom);
        setExport(batch(3), true);
        const int few = queue->panel()->height();
        setExport(batch(20), true);
        const int twenty = queue->panel()->height();
        setExport(batch(40), true);
        EXPECT_GT(twenty, few) << zoom;
        EXPECT_EQ(queue->panel()->height(), twenty) << zoom;
        EXPECT_LE(queue->scrollArea()->height(), qRound(320 * zoom)) << zoom;
        EXPECT_GT(queue->scrollArea()->verticalScrollBar()->maximum(), 0) << zoom;
        EXPECT_EQ(queue->panel()->width(), qRound(560 * zoom));
    }
}

TEST_F(QueueTest, CloseEmptiesTheRowsAndHides)
{
    auto* first = new QLineEdit(below);  // next after the queue in the focus chain
    auto* editor = new QLineEdit(below);
    editor->move(0, 40);
    first->show();
    editor->show();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    editor->setFocus();
    setExport(batch(3), false);
    EXPECT_TRUE(queue->closeButton()->hasFocus());
    QTest::mouseClick(queue->closeButton(), Qt::LeftButton);
    EXPECT_TRUE(store->exportRows().isEmpty());
    EXPECT_FALSE(queue->isVisible());
    EXPECT_TRUE(editor->hasFocus());  // the keys go back where they were
    // Return closes a finished batch too.
    setExport(batch(3), false);
    ASSERT_TRUE(queue->isVisible());
    QTest::keyClick(queue->closeButton(), Qt::Key_Return);
    EXPECT_TRUE(store->exportRows().isEmpty());
    EXPECT_FALSE(queue->isVisible());
}

TEST_F(QueueTest, CancelWithoutAJobChangesNothing)
{
    const QList<ExportRow> rows = batch(3);
    setExport(rows, true);
    QTest::mouseClick(queue->cancelButton(), Qt::LeftButton);
    QTest::keyClick(queue->cancelButton(), Qt::Key_Escape);
    QTest::keyClick(queue->cancelButton(), Qt::Key_Return);
    QCoreApplication::processEvents();
    EXPECT_EQ(store->exportRows(), rows);
    EXPECT_TRUE(store->exporting());
    EXPECT_TRUE(queue->isVisible());
}

TEST_F(QueueTest, CancelDuringARealBatchEndsItThenOffersClose)
{
    QTemporaryDir media;
    QTemporaryDir out;
    services->folder = out.path();
    storetest::importNow(*store,
                         {testutil::copyFixture("export_long.mp4", media.path(), "long.mp4")});
    ASSERT_EQ(store->sources().size(), 1);
    const QUuid source = store->sources()[0].id;
    CWStoreTestAccess::setClips(
        *store, {storetest::clipOf(source, "a", 0, 8), storetest::clipOf(source, "b", 0, 8)});
    QSignalSpy finished(store.get(), &CWStore::exportFinished);
    store->exportAll();
    ASSERT_TRUE(queue->isVisible());
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

#include "common/testutil.h"
#include "store/store_fixture_support.h"
#include "theme/mwui.h"
#include "theme/text.h"
#include "views/rack.h"

#include <QLabel>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <QWheelEvent>

namespace {
class RackTest : public StoreTest {
protected:
    void SetUp() override
    {
        StoreTest::SetUp();
        MWUI::shared()->resetZoom();
        source = addSource("/videos/talk.mp4", 600);
        rack = std::make_unique<CWRack>(store.get());
        rack->resize(700, 40);
        rack->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(rack.get()));
    }
    void TearDown() override
    {
        rack.reset();
        MWUI::shared()->resetZoom();
    }

    Clip clip(const QString& name, double in, double out)
    {
        Clip c;
        c.id = QUuid::createUuid();
        c.sourceID = source.id;
        c.name = name;
        c.inTime = in;
        c.outTime = out;
        return c;
    }
    void setClips(const QList<Clip>& clips)
    {
        CWStoreTestAccess::setClips(*store, clips);
        QCoreApplication::processEvents();
    }
    QStringList names() const
    {
        QStringList out;
        for (CWRackChip* chip : rack->chips())
            out << QString::number(chip->number()) + " " + chip->clip().name;
        return out;
    }
    void click(CWRackChip* chip, QPointF at)
    {
        QTest::mouseClick(chip, Qt::LeftButton, {}, at.toPoint());
        QCoreApplication::processEvents();
    }

    CWSource source;
    std::unique_ptr<CWRack> rack;
};
}  // namespace

TEST_F(RackTest, EmptyRackShowsCaptionAndHintOnly)
{
    EXPECT_TRUE(rack->chips().isEmpty());
    EXPECT_TRUE(rack->hint()->isVisible());
    EXPECT_TRUE(rack->caption()->isVisible());
    setClips({clip("A", 0, 5)});
    EXPECT_FALSE(rack->hint()->isVisible());
    setClips({});
    EXPECT_TRUE(rack->hint()->isVisible());
}

TEST_F(RackTest, ClickSelectsAndCrossDeletesRenumbering)
{
    const Clip a = clip("Opening", 0, 5), b = clip("Middle", 10, 20), c = clip("End", 30, 42);
    setClips({a, b, c});
    ASSERT_EQ(names(), QStringList({"1 Opening", "2 Middle", "3 End"}));

    click(rack->chips()[1], {rack->chips()[1]->width() / 2.0, rack->chips()[1]->height() / 2.0});
    ASSERT_EQ(store->selectedClipID(), b.id);
    EXPECT_TRUE(rack->chips()[1]->selected());
    EXPECT_FALSE(rack->chips()[0]->selected());
    EXPECT_EQ(store->inMark(), 10);

    // ✕ on the first chip deletes that clip only; the later ones move up.
    CWRackChip* first = rack->chips()[0];
    click(first, first->closeRect().center());
    EXPECT_EQ(names(), QStringList({"1 Middle", "2 End"}));
    EXPECT_EQ(store->clips().size(), 2);

    // Deleting the selected clip removes its chip.
    click(rack->chips()[0], rack->chips()[0]->closeRect().center());
    EXPECT_EQ(names(), QStringList({"1 End"}));
    EXPECT_FALSE(rack->chips()[0]->selected());
}

TEST_F(RackTest, InfoLineNeverShowsANegativeLength)
{
    Clip c = clip("x", 10, 22.57);
    EXPECT_EQ(CWRackChip::info(c), "9:16 · 0:12.5");
    c.aspect = Aspect::wide;
    c.outTime = 4;
    EXPECT_EQ(CWRackChip::info(c), "16:9 · 0:00.0");
}

TEST_F(RackTest, LongNamesStayInTheirColumnAtEveryZoom)
{
    for (double zoom : {1.0, 1.5}) {
        MWUI::shared()->setZoom(zoom);
        setClips({clip(QString(200, 'W'), 0, 5), clip("Short", 0, 5)});
        const int most = qCeil((8 + 18 + 6 + 150 + 6 + 12 + 8) * zoom) + 1;
        EXPECT_LE(rack->chips()[0]->sizeHint().width(), most) << zoom;
        EXPECT_LT(rack->chips()[1]->sizeHint().width(), rack->chips()[0]->sizeHint().width());
    }
}

TEST_F(RackTest, ManyChipsScrollWhileTheCaptionStays)
{
    QList<Clip> many;
    for (int i = 0; i < 30; ++i)
        many << clip(QString("Clip %1").arg(i + 1), i, i + 3);
    setClips(many);
    QScrollBar* bar = rack->scrollArea()->horizontalScrollBar();
    ASSERT_TRUE(testutil::waitUntil([&] { return bar->maximum() > 0; }, 5000));
    const QPoint caption = rack->caption()->pos();
    // A plain wheel turn scrolls sideways.
    QWidget* viewport = rack->scrollArea()->viewport();
    QWheelEvent wheel(QPointF(10, 10), viewport->mapToGlobal(QPointF(10, 10)), {}, {0, -120},
                      Qt::NoButton, {}, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(viewport, &wheel);
    EXPECT_GT(bar->value(), 0);
    bar->setValue(bar->maximum());
    QCoreApplication::processEvents();
    EXPECT_EQ(rack->caption()->pos(), caption);
    EXPECT_LT(rack->chips().first()->mapTo(rack.get(), QPoint(0, 0)).x(), 0);
}

#include "theme/text.h"
#include "views/rack.h"
#include "views/views_support.h"

#include <QLabel>
#include <QScrollArea>
#include <QScrollBar>
#include <QWheelEvent>

namespace {
class RackTest : public ViewTest<CWRack, 700, 40> {
protected:
    void prepare() override { source = addSource("/videos/talk.mp4", 600); }
    Clip clip(const QString& name, double in, double out)
    {
        return storetest::clipOf(source.id, name, in, out, Aspect::vertical);
    }
    void setClips(const QList<Clip>& clips) { CWStoreTestAccess::setClips(*store, clips); }
    QStringList names() const
    {
        QStringList out;
        for (CWRackChip* chip : view->chips())
            out << QString::number(chip->number()) + " " + chip->clip().name;
        return out;
    }

    CWSource source;
};
}  // namespace

TEST_F(RackTest, ChipsSelectDeleteRenumberScrollAndKeepLongNamesInTheirColumn)
{
    EXPECT_TRUE(view->hint()->isVisible());
    const Clip a = clip("Opening", 0, 5), b = clip("Middle", 10, 20), c = clip("End", 30, 42);
    setClips({a, b, c});
    ASSERT_EQ(names(), QStringList({"1 Opening", "2 Middle", "3 End"}));
    EXPECT_FALSE(view->hint()->isVisible());

    click(view->chips()[1]);
    EXPECT_EQ(store->selectedClipID(), b.id);
    EXPECT_TRUE(view->chips()[1]->selected());
    EXPECT_FALSE(view->chips()[0]->selected());

    // ✕ on the first chip deletes that clip only; the later ones move up.
    click(view->chips()[0], view->chips()[0]->closeRect().center());
    EXPECT_EQ(names(), QStringList({"1 Middle", "2 End"}));
    // Deleting the selected clip removes its chip.
    click(view->chips()[0], view->chips()[0]->closeRect().center());
    EXPECT_EQ(names(), QStringList({"1 End"}));
    EXPECT_FALSE(view->chips()[0]->selected());

    // Many chips scroll, a plain wheel turn sideways, while the caption stays.
    QList<Clip> many;
    for (int i = 0; i < 30; ++i)
        many << clip(QString("Clip %1").arg(i + 1), i, i + 3);
    setClips(many);
    QScrollBar* bar = view->scrollArea()->horizontalScrollBar();
    ASSERT_TRUE(testutil::waitUntil([&] { return bar->maximum() > 0; }, 5000));
    const QPoint caption = view->caption()->pos();
    QWidget* viewport = view->scrollArea()->viewport();
    QWheelEvent wheel(QPointF(10, 10), viewport->mapToGlobal(QPointF(10, 10)), {}, {0, -120},
                      Qt::NoButton, {}, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(viewport, &wheel);
    EXPECT_GT(bar->value(), 0);
    bar->setValue(bar->maximum());
    QCoreApplication::processEvents();
    EXPECT_EQ(view->caption()->pos(), caption);
    EXPECT_LT(view->chips().first()->mapTo(view.get(), QPoint(0, 0)).x(), 0);

    // Chips show shape and length; long names stay in their column.
    Clip chip = clip("x", 10, 22.57);
    EXPECT_EQ(CWRackChip::info(chip), "9:16 · 0:12.5");
    chip.aspect = Aspect::wide;
    chip.outTime = 4;  // never a negative length
    EXPECT_EQ(CWRackChip::info(chip), "16:9 · 0:00.0");

    MWUI::shared()->setZoom(1.5);
    setClips({clip(QString(200, 'W'), 0, 5), clip("Short", 0, 5)});
    const int most = qCeil((8 + 18 + 6 + 150 + 6 + 12 + 8) * 1.5) + 1;
    EXPECT_LE(view->chips()[0]->sizeHint().width(), most);
    EXPECT_LT(view->chips()[1]->sizeHint().width(), view->chips()[0]->sizeHint().width());
}

#include "common/testutil.h"
#include "store/store_fixture_support.h"
#include "theme/buttons.h"
#include "theme/knob.h"
#include "theme/mwui.h"
#include "theme/segment.h"
#include "theme/switch.h"
#include "theme/text.h"
#include "views/inspector.h"
#include "views/positionpad.h"
#include "views/shapetile.h"

#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTest>

namespace {
class InspectorTest : public StoreTest {
protected:
    void SetUp() override
    {
        StoreTest::SetUp();
        MWUI::shared()->resetZoom();
        source = addSource("/videos/talk.mp4", 600);
        store->select(source.id);
        inspector = std::make_unique<CWInspector>(store.get());
        inspector->resize(300, 900);
        inspector->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(inspector.get()));
    }
    void TearDown() override
    {
        inspector.reset();
        MWUI::shared()->resetZoom();
    }

    Clip addClip(const QString& name, double in, double out)
    {
        const Clip c = storetest::clipOf(source.id, name, in, out, Aspect::vertical);
        QList<Clip> clips = store->clips();
        clips.append(c);
        CWStoreTestAccess::setClips(*store, clips);
        return c;
    }
    void click(QWidget* widget, QPointF at)
    {
        QTest::mouseClick(widget, Qt::LeftButton, {}, at.toPoint());
    }
    void click(QWidget* widget) { click(widget, QRectF(widget->rect()).center()); }
    const Clip& clip(int i) const { return store->clips().at(i); }

    CWSource source;
    std::unique_ptr<CWInspector> inspector;
};
}  // namespace

// A 9:16 frame on a 16:9 picture can only slide sideways: a corner click puts
// it against that side, and the dot lands short of the corner, where the
// frame's centre really is.
TEST_F(InspectorTest, PadClickPutsTheFrameAsFarAsItCanGo)
{
    const QRectF pillarbox(240, 0, 1440, 1080);
    struct Case {
        Aspect aspect;
        double zoom;
        std::optional<QRectF> picture;
        QPointF at;  // fraction of the pad
        QPointF centre;
    } cases[] = {
        {Aspect::vertical, 1, {}, {0.01, 0.01}, {303.75 / 1920, 0.5}},
        {Aspect::vertical, 1, {}, {0.99, 0.99}, {1 - 303.75 / 1920, 0.5}},
        {Aspect::vertical, 2, {}, {0.01, 0.01}, {151.875 / 1920, 270.0 / 1080}},
        {Aspect::vertical, 1, {}, {0.3, 0.5}, {0.3, 0.5}},
        // Inside bars the region is the picture: a wide frame fills its width.
        {Aspect::wide, 1, pillarbox, {0.01, 0.99}, {0.5, 1 - 405.0 / 1080}},
    };
    CWPositionPad* pad = inspector->pad();
    const double s = CWPositionPad::side();
    for (const Case& c : cases) {
        CWStoreTestAccess::setPicture(*store, source.id, c.picture);
        store->setAspect(c.aspect);
        store->setZoom(c.zoom);
        click(pad, {c.at.x() * s, c.at.y() * s});
        EXPECT_NEAR(store->centerX(), c.centre.x(), 0.5 / s) << c.at.x() << " " << c.zoom;
        EXPECT_NEAR(store->centerY(), c.centre.y(), 0.5 / s) << c.at.y() << " " << c.zoom;
        EXPECT_NEAR(pad->dotCentre().x(), s * store->centerX(), 1e-9);
    }
}

TEST_F(InspectorTest, PadDragPastTheEdgeStopsAtTheFurthestPlaceAndWritesTheClip)
{
    const Clip c = addClip("Talk", 1, 4);
    store->selectClip(c);
    CWPositionPad* pad = inspector->pad();
    const double s = CWPositionPad::side();
    QTest::mousePress(pad, Qt::LeftButton, {}, QPoint(int(s / 2), int(s / 2)));
    QMouseEvent move(QEvent::MouseMove, QPointF(-300, -300), pad->mapToGlobal(QPointF(-300, -300)),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(pad, &move);
    QTest::mouseRelease(pad, Qt::LeftButton, {}, QPoint(-300, -300));
    EXPECT_DOUBLE_EQ(store->centerX(), 303.75 / 1920);
    EXPECT_DOUBLE_EQ(store->centerY(), 0.5);
    EXPECT_DOUBLE_EQ(clip(0).centerX, 303.75 / 1920);

    // A later plain move without the button held does not drag.
    QMouseEvent hover(QEvent::MouseMove, QPointF(s, s), pad->mapToGlobal(QPointF(s, s)),
                      Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(pad, &hover);
    EXPECT_DOUBLE_EQ(store->centerX(), 303.75 / 1920);
}

TEST_F(InspectorTest, PadWithoutAPictureLeavesTheCentreAlone)
{
    auto empty = std::make_unique<CWStore>(new ScriptedPlayer, new ScriptedServices);
    CWPositionPad pad(empty.get());
    pad.show();
    click(&pad, {2, 2});
    EXPECT_EQ(empty->centerX(), 0.5);
    EXPECT_EQ(empty->centerY(), 0.5);
}

TEST_F(InspectorTest, CenterStoresTheMiddleEvenWithUnequalBars)
{
    CWStoreTestAccess::setPicture(*store, source.id, QRectF(0, 0, 1500, 1080));
    store->setAspect(Aspect::square);
    click(inspector->pad(), {2, 2});
    ASSERT_NE(store->centerX(), 0.5);
    click(inspector->centerButton());
    EXPECT_EQ(store->centerX(), 0.5);
    EXPECT_EQ(store->centerY(), 0.5);
    const double s = CWPositionPad::side();
    EXPECT_EQ(inspector->pad()->dotCentre(), QPointF(s / 2, s / 2));

    store->setZoom(2.5);
    store->setCenterX(0.1);
    click(inspector->resetButton());
    EXPECT_EQ(store->zoom(), 1);
    EXPECT_EQ(store->centerX(), 0.5);
}

TEST_F(InspectorTest, TilesChooseTheShapeAndTheSizeLineFollowsShapeAndQuality)
{
    struct Case {
        int tile;
        int quality;  // segment item: 0 is 1080p, 1 is 720p
        QString line;
    } cases[] = {
        {0, 0, "1080 × 1920 · H.264 MP4 with sound"}, {1, 0, "1080 × 1080 · H.264 MP4 with sound"},
        {2, 1, "720 × 900 · H.264 MP4 with sound"},   {3, 1, "1280 × 720 · H.264 MP4 with sound"},
        {3, 0, "1920 × 1080 · H.264 MP4 with sound"},
    };
    for (const Case& c : cases) {
        CWShapeTile* tile = inspector->tiles()[c.tile];
        click(tile);
        MWSegment* segment = inspector->qualitySegment();
        click(segment, segment->itemRect(c.quality).center());
        EXPECT_EQ(store->aspect(), tile->aspect());
        EXPECT_EQ(store->shortSide(), c.quality == 0 ? 1080 : 720);
        EXPECT_EQ(inspector->sizeLine()->text(), c.line);
        for (CWShapeTile* other : inspector->tiles())
            EXPECT_EQ(other->selected(), other == tile) << rawValue(other->aspect()).toStdString();
    }
    // The store changed by other means (a key, the menu) shows here too.
    store->setAspect(Aspect::vertical);
    store->setShortSide(720);
    EXPECT_EQ(inspector->sizeLine()->text(), "720 × 1280 · H.264 MP4 with sound");
    EXPECT_EQ(inspector->qualitySegment()->selectedIndex(), 1);
    EXPECT_TRUE(inspector->tiles()[0]->selected());
    EXPECT_EQ(inspector->tiles()[2]->toolTip(), "4:5 — Instagram / Facebook feed");
}

// Showing the store's values must not write them back: each echo would rewrite
// the selected clip and save the session once more.
TEST_F(InspectorTest, ShowingTheStoreWritesNothingBack)
{
    store->selectClip(addClip("A", 0, 2));
    QList<CWStore::Field> fields;
    QObject::connect(store.get(), &CWStore::changed, [&](CWStore::Field f) { fields << f; });
    store->setZoom(1.5);
    store->setShortSide(720);
    EXPECT_EQ(fields, QList<CWStore::Field>({CWStore::Field::zoom, CWStore::Field::clips,
                                             CWStore::Field::shortSide}));
    EXPECT_EQ(inspector->zoomKnob()->value(), 1.5);
    EXPECT_EQ(inspector->zoomKnob()->valueText(), "1.50×");
    EXPECT_EQ(inspector->qualitySegment()->selectedIndex(), 1);
}

TEST_F(InspectorTest, CaptionAndClipSectionFollowTheSelection)
{
    EXPECT_EQ(inspector->caption()->text(), "Frame for the next clip");
    EXPECT_FALSE(inspector->clipSection()->isVisible());
    const Clip a = addClip("Opening", 1, 3.56);
    EXPECT_FALSE(inspector->clipSection()->isVisible());

    store->selectClip(a);
    EXPECT_EQ(inspector->caption()->text(), "Frame for the selected clip");
    ASSERT_TRUE(inspector->clipSection()->isVisible());
    EXPECT_EQ(inspector->nameField()->text(), "Opening");
    EXPECT_EQ(inspector->timesLine()->text(), "0:01.0 – 0:03.5 · 0:02.5");

    click(inspector->duplicateButton());
    ASSERT_EQ(store->clips().size(), 2);
    EXPECT_EQ(store->selectedClipID(), clip(1).id);
    EXPECT_EQ(inspector->nameField()->text(), "Opening copy");

    click(inspector->doneButton());
    EXPECT_FALSE(store->selectedClipID());
    EXPECT_EQ(inspector->caption()->text(), "Frame for the next clip");
    EXPECT_FALSE(inspector->clipSection()->isVisible());
}

TEST_F(InspectorTest, NameFieldRenamesOnEveryKeyWithoutLosingItsPlace)
{
    const Clip a = addClip("Clip 1", 0, 5);
    store->selectClip(a);
    inspector->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(inspector.get()));
    QLineEdit* field = inspector->nameField();
    click(field);
    ASSERT_TRUE(field->hasFocus());
    QTest::keyClick(field, Qt::Key_Home);
    for (int i = 0; i < 4; ++i)
        QTest::keyClick(field, Qt::Key_Right);

    struct Step {
        Qt::Key key;
        char text;
        QString name;
        int cursor;
    } steps[] = {
        {Qt::Key_X, 'x', "Clipx 1", 5},
        {Qt::Key_Y, 'y', "Clipxy 1", 6},
        {Qt::Key_Backspace, 0, "Clipx 1", 5},
        {Qt::Key_Space, ' ', "Clipx  1", 6},
    };
    for (const Step& s : steps) {
        if (s.text)
            QTest::keyClick(field, s.text);
        else
            QTest::keyClick(field, s.key);
        EXPECT_EQ(clip(0).name, s.name);
        // The playhead moving on while the user types leaves the field alone.
        tickAt(player->now + 0.04);
        EXPECT_EQ(field->text(), s.name);
        EXPECT_EQ(field->cursorPosition(), s.cursor) << s.name.toStdString();
        EXPECT_TRUE(field->hasFocus());
    }
    // Emptying the field is a rename too.
    field->selectAll();
    QTest::keyClick(field, Qt::Key_Delete);
    EXPECT_EQ(clip(0).name, "");
    EXPECT_EQ(field->placeholderText(), "Clip name");
}

TEST_F(InspectorTest, BarsSwitchOnlyForASourceWithBarsFound)
{
    EXPECT_FALSE(inspector->barsSwitch()->isVisible());
    CWSource barred = addSource("/videos/letterbox.mp4", 60);
    CWStoreTestAccess::setPicture(*store, barred.id, QRectF(0, 140, 1920, 800));
    store->select(barred.id);
    MWSwitch* bars = inspector->barsSwitch();
    ASSERT_TRUE(bars->isVisible());
    EXPECT_TRUE(bars->isOn());
    EXPECT_TRUE(bars->toolTip().startsWith("This video has black bars burned into the picture."));

    click(bars);
    EXPECT_FALSE(store->current()->trimBorders);
    EXPECT_FALSE(bars->isOn());
    click(bars);
    EXPECT_TRUE(store->current()->trimBorders);

    store->select(source.id);
    EXPECT_FALSE(bars->isVisible());
}

TEST_F(InspectorTest, ApplyToAllIsDisabledWithoutClipsAndShapesThemAll)
{
    MWChromeButton* apply = inspector->applyAllButton();
    EXPECT_FALSE(apply->isEnabled());
    addClip("A", 0, 2);
    addClip("B", 3, 5);
    ASSERT_TRUE(apply->isEnabled());
    const QList<QAction*> items = apply->menu()->actions();
    ASSERT_EQ(items.size(), 4);
    EXPECT_EQ(items[1]->text(), "1:1  Feed posts");
    items[3]->trigger();
    EXPECT_EQ(clip(0).aspect, Aspect::wide);
    EXPECT_EQ(clip(1).aspect, Aspect::wide);
    EXPECT_EQ(store->aspect(), Aspect::wide);

    CWStoreTestAccess::setClips(*store, {});
    EXPECT_FALSE(apply->isEnabled());
}

TEST_F(InspectorTest, SizesFollowTheZoom)
{
    for (double zoom : {1.0, 1.5, 2.0}) {
        MWUI::shared()->setZoom(zoom);
        EXPECT_EQ(inspector->pad()->width(), qRound(86 * zoom));
        EXPECT_EQ(CWShapeTile::miniature(Aspect::wide, zoom),
                  QSizeF(1.6 * 34 * zoom, 1.6 * 34 * zoom * 9 / 16));
        CWShapeTile* tile = inspector->tiles()[0];
        EXPECT_TRUE(testutil::waitUntil([&] { return tile->height() >= 54 * zoom; }, 5000))
            << tile->height() << " at " << zoom;
    }
}

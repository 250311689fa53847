#include "theme/buttons.h"
#include "theme/knob.h"
#include "theme/segment.h"
#include "theme/switch.h"
#include "theme/text.h"
#include "views/cropframewidget.h"
#include "views/inspector.h"
#include "views/positionpad.h"
#include "views/shapetile.h"
#include "views/views_support.h"

#include <QAccessibleActionInterface>
#include <QAccessibleValueInterface>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QSettings>

namespace {
class InspectorTest : public ViewTest<CWInspector, 300, 900> {
protected:
    void prepare() override
    {
        source = addSource("/videos/talk.mp4", 600);
        store->select(source.id);
    }
    Clip addClip(const QString& name, double in, double out)
    {
        const Clip c = storetest::clipOf(source.id, name, in, out, Aspect::vertical);
        CWStoreTestAccess::setClips(*store, store->clips() + QList<Clip>{c});
        return c;
    }
    const Clip& clip(int i) const { return store->clips().at(i); }

    CWSource source;
};
}  // namespace

// How far the frame can go is the crop frame's test; here, that a click on
// the pad goes through it with the store's zoom and bars, and the dot lands
// where the frame's centre really is.
TEST_F(InspectorTest, PadTilesQualityAndAudioWriteTheStoreAndItsEchoesWriteNothingBack)
{
    struct Case {
        Aspect aspect;
        double zoom;
        std::optional<QRectF> picture;
        QPointF at, centre;  // at: fraction of the pad
    } cases[] = {
        {Aspect::vertical, 2, {}, {0.01, 0.01}, {151.875 / 1920, 270.0 / 1080}},
        {Aspect::vertical, 1, {}, {0.3, 0.5}, {0.3, 0.5}},
        // Inside bars the region is the picture: a wide frame fills its width.
        {Aspect::wide, 1, QRectF(240, 0, 1440, 1080), {0.01, 0.99}, {0.5, 1 - 405.0 / 1080}},
    };
    CWPositionPad* pad = view->pad();
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

    // A drag past the edge stops at the furthest place and writes the clip.
    CWStoreTestAccess::setPicture(*store, source.id, std::nullopt);
    store->setAspect(Aspect::vertical);
    store->selectClip(addClip("Talk", 1, 4));
    QTest::mousePress(pad, Qt::LeftButton, {}, QPoint(int(s / 2), int(s / 2)));
    QTest::mouseMove(pad, QPoint(-300, -300));
    QTest::mouseRelease(pad, Qt::LeftButton, {}, QPoint(-300, -300));
    EXPECT_DOUBLE_EQ(clip(0).centerX, 303.75 / 1920);
    // A later move without the button held does not drag.
    QMouseEvent hover(QEvent::MouseMove, {s, s}, pad->mapToGlobal(QPointF(s, s)), Qt::NoButton,
                      Qt::NoButton, {});
    QCoreApplication::sendEvent(pad, &hover);
    EXPECT_DOUBLE_EQ(store->centerX(), 303.75 / 1920);

    // Center stores the middle even with unequal bars; Reset sets zoom 1 too.
    CWStoreTestAccess::setPicture(*store, source.id, QRectF(0, 0, 1500, 1080));
    store->setAspect(Aspect::square);
    click(view->centerButton());
    EXPECT_EQ(store->centerX(), 0.5);
    store->setZoom(2.5);
    store->setCenterX(0.1);
    click(view->resetButton());
    EXPECT_EQ(store->zoom(), 1);
    EXPECT_EQ(store->centerX(), 0.5);

    // Without a picture the pad leaves the centre alone.
    CWStore empty(new ScriptedPlayer, new ScriptedServices);
    CWPositionPad bare(&empty);
    bare.show();
    click(&bare, {2, 2});
    EXPECT_EQ(empty.centerX(), 0.5);

    // Tiles and quality choose the output.
    MWSegment* segment = view->qualitySegment();
    for (int i = 0; i < 4; ++i) {
        CWShapeTile* tile = view->tiles()[i];
        click(tile);
        click(segment, segment->itemRect((i + 1) % 2).center());  // item 0 is 1080p, 1 is 720p
        EXPECT_EQ(store->aspect(), tile->aspect());
        EXPECT_EQ(store->shortSide(), i % 2 ? 1080 : 720);
        for (CWShapeTile* other : view->tiles())
            EXPECT_EQ(other->selected(), other == tile) << rawValue(other->aspect()).toStdString();
    }

    // The store changed by other means (a key, the menu) shows here, and showing
    // it writes nothing back: each echo would rewrite the clip and save again.
    store->selectClip(addClip("A", 0, 2));
    QList<CWStore::Field> fields;
    QObject::connect(store.get(), &CWStore::changed, [&](CWStore::Field f) { fields << f; });
    store->setZoom(1.5);
    store->setShortSide(720);
    EXPECT_EQ(fields, QList<CWStore::Field>({CWStore::Field::zoom, CWStore::Field::clips,
                                             CWStore::Field::shortSide}));
    EXPECT_EQ(view->zoomKnob()->value(), 1.5);
    EXPECT_EQ(segment->selectedIndex(), 1);
    EXPECT_TRUE(view->tiles()[0]->selected());

    // The audio choice likewise, and it is the preference the next launch
    // reads and shows.
    MWSegment* audio = view->audioSegment();
    fields.clear();
    click(audio, audio->itemRect(1).center());
    EXPECT_EQ(store->audioLevel(), AudioLevel::normalized);
    EXPECT_EQ(QSettings().value("mwso.cw.audioLevel").toString(), "normalized");
    CWStore next(new ScriptedPlayer, new ScriptedServices);
    EXPECT_EQ(CWInspector(&next).audioSegment()->selectedIndex(), 1);
    store->setAudioLevel(AudioLevel::source);
    EXPECT_EQ(audio->selectedIndex(), 0);
    EXPECT_EQ(fields, QList<CWStore::Field>(2, CWStore::Field::audioLevel));
}

TEST_F(InspectorTest, BarsSwitchApplyToAllSizesAndTheSelectedClip)
{
    MWSwitch* bars = view->barsSwitch();
    EXPECT_FALSE(bars->isVisible());
    CWSource barred = addSource("/videos/letterbox.mp4", 60);
    CWStoreTestAccess::setPicture(*store, barred.id, QRectF(0, 140, 1920, 800));
    store->select(barred.id);
    ASSERT_TRUE(bars->isVisible());
    EXPECT_TRUE(bars->isOn());
    click(bars);
    EXPECT_FALSE(store->current()->trimBorders);
    store->select(source.id);
    EXPECT_FALSE(bars->isVisible());

    MWChromeButton* apply = view->applyAllButton();
    EXPECT_FALSE(apply->isEnabled());
    addClip("A", 0, 2);
    addClip("B", 3, 5);
    ASSERT_TRUE(apply->isEnabled());
    const QList<QAction*> items = apply->menu()->actions();
    ASSERT_EQ(items.size(), 4);
    items[3]->trigger();
    EXPECT_EQ(clip(1).aspect, Aspect::wide);
    EXPECT_EQ(store->aspect(), Aspect::wide);
    CWStoreTestAccess::setClips(*store, {});
    EXPECT_FALSE(apply->isEnabled());

    // The clip section follows the selection and renames on every key.
    store->selectClip(addClip("Opening", 1, 3.56));
    EXPECT_TRUE(view->clipSection()->isVisible());
    EXPECT_EQ(view->timesLine()->text(), "0:01.0 – 0:03.5 · 0:02.5");

    click(view->duplicateButton());
    ASSERT_EQ(store->clips().size(), 2);
    EXPECT_EQ(store->selectedClipID(), clip(1).id);
    QLineEdit* field = view->nameField();
    EXPECT_EQ(field->text(), "Opening copy");

    // Typing mid-name: the store's echo and the playhead moving on leave the
    // cursor where it was (a rewrite of the text would throw it to the end).
    field->setCursorPosition(4);
    QTest::keyClick(field, 'x');
    EXPECT_EQ(clip(1).name, "Openxing copy");
    tickAt(player->now + 0.04);
    EXPECT_EQ(field->cursorPosition(), 5);

    click(view->doneButton());
    EXPECT_FALSE(store->selectedClipID());
    EXPECT_FALSE(view->clipSection()->isVisible());
}

// Glide / Cut is there only for a clip whose frame moves, chooses only with
// the playhead on one of its points, and a click sets that point's kind.
TEST_F(InspectorTest, GlideOrCutForThePointAtThePlayhead)
{
    QWidget* controls = view->pointControls();
    MWSegment* kind = view->pointKind();
    EXPECT_EQ(kind->accessibleName(), "How the frame reaches this point");
    Clip c = addClip("Talk", 10, 30);
    store->selectClip(c);
    EXPECT_FALSE(controls->isVisible()) << "a still frame has no points";

    store->seek(20);
    store->setCenterX(0.3);  // the first point away from In
    EXPECT_TRUE(controls->isVisible());
    EXPECT_TRUE(kind->isEnabled());
    EXPECT_EQ(kind->selectedIndex(), 0);

    click(kind, kind->itemRect(1).center());
    EXPECT_TRUE(clip(0).points[1].cut);
    EXPECT_EQ(store->undoLabel(), "Cut to Frame Point");

    store->seek(25);
    EXPECT_FALSE(kind->isEnabled()) << "between points";
    store->seek(10);
    EXPECT_TRUE(kind->isEnabled());
    EXPECT_EQ(kind->selectedIndex(), 0) << "the point at In glides";
    store->seek(20);
    EXPECT_EQ(kind->selectedIndex(), 1);
    click(kind, kind->itemRect(0).center());
    EXPECT_FALSE(clip(0).points[1].cut);

    store->setSelectedClipID(std::nullopt);
    EXPECT_FALSE(controls->isVisible());
}

// The inspector's controls by their names; pressing a segment's item is the
// kit's test, and the item reaching the store the inspector's click test.
TEST_F(InspectorTest, ShapesQualityZoomPadFrameAndNameAreReadableAndWork)
{
    store->selectClip(addClip("Talk", 1, 4));
    EXPECT_EQ(a11yName(view.get()), "Inspector");
    EXPECT_EQ(a11y(view.get())->role(), QAccessible::Grouping);

    CWShapeTile* vertical = view->tiles().at(0);
    CWShapeTile* square = view->tiles().at(1);
    EXPECT_EQ(a11y(vertical)->role(), QAccessible::RadioButton);
    EXPECT_EQ(a11yName(vertical), "9:16, Reels · TikTok · Shorts");
    EXPECT_TRUE(a11y(vertical)->state().checked);
    EXPECT_FALSE(a11y(square)->state().checked);
    a11y(square)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(store->aspect(), Aspect::square);
    EXPECT_EQ(store->selectedClip()->aspect, Aspect::square);
    EXPECT_TRUE(a11y(square)->state().checked);
    EXPECT_FALSE(a11y(vertical)->state().checked);

    EXPECT_EQ(a11yName(view->qualitySegment()), "Output quality");
    QAccessibleInterface* audio = a11y(view->audioSegment());
    EXPECT_EQ(audio->text(QAccessible::Name), "Audio level");
    ASSERT_EQ(audio->childCount(), 2);
    EXPECT_EQ(audio->child(0)->text(QAccessible::Name), "Source level");
    EXPECT_EQ(audio->child(1)->text(QAccessible::Name), "Normalize to −14 LUFS");

    store->setZoom(1.5);
    EXPECT_EQ(a11yName(view->zoomKnob()), "Zoom");
    EXPECT_EQ(a11yDescription(view->zoomKnob()), "1.50×");
    a11y(view->zoomKnob())->valueInterface()->setCurrentValue(2.0);
    EXPECT_DOUBLE_EQ(store->zoom(), 2.0);

    CWPositionPad* pad = view->pad();
    EXPECT_EQ(a11yName(pad), "Position");
    store->setCenterX(0.25);
    EXPECT_EQ(a11yDescription(pad), "Centre 25 %, 50 %");
    CWCropOverlay frame(store.get());
    EXPECT_EQ(a11yName(&frame), "Crop frame");
    EXPECT_EQ(a11yDescription(&frame), "1:1, centre 25 %, 50 %");
    // The pad's axes are sliders a reader can set, through the frame's rule:
    // the square frame at zoom 2 stops with its left edge on the picture's.
    ASSERT_EQ(a11y(pad)->childCount(), 2);
    QAccessibleInterface* across = a11y(pad)->child(0);
    EXPECT_EQ(across->role(), QAccessible::Slider);
    EXPECT_EQ(across->text(QAccessible::Name), "Across");
    EXPECT_EQ(a11y(pad)->indexOfChild(across), 0);
    across->valueInterface()->setCurrentValue(0.0);
    EXPECT_NEAR(store->centerX(), 270.0 / 1920, 1e-9);
    EXPECT_NEAR(across->valueInterface()->currentValue().toDouble(), 270.0 / 1920, 1e-9);
    EXPECT_EQ(a11y(pad)->child(1)->text(QAccessible::Value), "50 %");

    EXPECT_EQ(a11yName(view->nameField()), "Clip name");
    EXPECT_EQ(a11y(view->nameField())->role(), QAccessible::EditableText);
}

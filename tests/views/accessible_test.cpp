#include "theme/buttons.h"
#include "theme/knob.h"
#include "theme/segment.h"
#include "theme/text.h"
#include "views/cropframewidget.h"
#include "views/header.h"
#include "views/inspector.h"
#include "views/positionpad.h"
#include "views/shapetile.h"
#include "views/views_support.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QAccessibleValueInterface>
#include <QLabel>
#include <QLineEdit>

namespace {
QAccessibleInterface* a11y(QWidget* widget)
{
    return QAccessible::queryAccessibleInterface(widget);
}
QString name(QWidget* widget)
{
    return a11y(widget)->text(QAccessible::Name);
}
QString description(QWidget* widget)
{
    return a11y(widget)->text(QAccessible::Description);
}

class HeaderA11y : public ViewTest<CWHeader, 1400, 80> {
protected:
    void prepare() override
    {
        const CWSource source = addSource("/videos/talk.mp4", 600);
        store->select(source.id);
        CWStoreTestAccess::setClips(*store,
                                    {storetest::clipOf(source.id, "A", 0, 2, Aspect::vertical),
                                     storetest::clipOf(source.id, "B", 3, 5, Aspect::square)});
    }
};

class InspectorA11y : public ViewTest<CWInspector, 300, 900> {
protected:
    void prepare() override
    {
        source = addSource("/videos/talk.mp4", 600);
        store->select(source.id);
        const Clip clip = storetest::clipOf(source.id, "Talk", 1, 4, Aspect::vertical);
        CWStoreTestAccess::setClips(*store, {clip});
        store->selectClip(clip);
    }
    CWSource source;
};
}  // namespace

// The header is a tool bar of buttons named for what they do (never their
// symbol), with the marks and the playhead readable as times.
TEST_F(HeaderA11y, IsAToolBarOfNamedControlsAndReadableTimes)
{
    EXPECT_EQ(a11y(view.get())->role(), QAccessible::ToolBar);
    EXPECT_EQ(name(view.get()), "Header");
    EXPECT_EQ(name(view->exportAllButton()), "Export All (2)");
    EXPECT_EQ(name(view->addClipButton()), "Add Clip");
    EXPECT_EQ(name(view->inOrb()), "Set In");
    EXPECT_EQ(description(view->inOrb()), "Set In (I)");
    EXPECT_EQ(name(view->outOrb()), "Set Out");
    EXPECT_EQ(name(view->backOrb()), "Back one frame");
    EXPECT_EQ(name(view->playOrb()), "Play");
    EXPECT_EQ(a11y(view->clock())->role(), QAccessible::StaticText);
    EXPECT_EQ(name(view->clock()), view->clock()->text());
    EXPECT_EQ(description(view->clock()), "Playhead");
    store->markIn();
    tickAt(2.5);
    store->markOut();
    QCoreApplication::processEvents();
    EXPECT_EQ(name(view->outValue()), "Out " + view->outValue()->text());
    EXPECT_EQ(name(view->clock()), view->clock()->text());
}

// The inspector's controls by their names; pressing a segment's item is the
// kit's test, and the item reaching the store the inspector's click test.
TEST_F(InspectorA11y, ShapesQualityZoomPadFrameAndNameAreReadableAndWork)
{
    EXPECT_EQ(name(view.get()), "Inspector");
    EXPECT_EQ(a11y(view.get())->role(), QAccessible::Grouping);

    CWShapeTile* vertical = view->tiles().at(0);
    CWShapeTile* square = view->tiles().at(1);
    EXPECT_EQ(a11y(vertical)->role(), QAccessible::RadioButton);
    EXPECT_EQ(name(vertical), "9:16, Reels · TikTok · Shorts");
    EXPECT_TRUE(a11y(vertical)->state().checked);
    EXPECT_FALSE(a11y(square)->state().checked);
    a11y(square)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(store->aspect(), Aspect::square);
    EXPECT_EQ(store->selectedClip()->aspect, Aspect::square);
    EXPECT_TRUE(a11y(square)->state().checked);
    EXPECT_FALSE(a11y(vertical)->state().checked);

    QAccessibleInterface* quality = a11y(view->qualitySegment());
    EXPECT_EQ(quality->text(QAccessible::Name), "Output quality");
    ASSERT_EQ(quality->childCount(), 2);

    QAccessibleInterface* audio = a11y(view->audioSegment());
    EXPECT_EQ(audio->text(QAccessible::Name), "Audio level");
    ASSERT_EQ(audio->childCount(), 2);
    EXPECT_EQ(audio->child(0)->text(QAccessible::Name), "Source level");
    EXPECT_EQ(audio->child(1)->text(QAccessible::Name), "Normalize to −14 LUFS");

    store->setZoom(1.5);
    EXPECT_EQ(name(view->zoomKnob()), "Zoom");
    EXPECT_EQ(description(view->zoomKnob()), "1.50×");
    a11y(view->zoomKnob())->valueInterface()->setCurrentValue(2.0);
    EXPECT_DOUBLE_EQ(store->zoom(), 2.0);

    CWPositionPad* pad = view->pad();
    EXPECT_EQ(name(pad), "Position");
    EXPECT_EQ(description(pad), "Centre 50 %, 50 %");
    store->setCenterX(0.25);
    EXPECT_EQ(description(pad), "Centre 25 %, 50 %");
    CWCropOverlay frame(store.get());
    EXPECT_EQ(name(&frame), "Crop frame");
    EXPECT_EQ(description(&frame), "1:1, centre 25 %, 50 %");
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

    EXPECT_EQ(name(view->nameField()), "Clip name");
    EXPECT_EQ(a11y(view->nameField())->role(), QAccessible::EditableText);
}

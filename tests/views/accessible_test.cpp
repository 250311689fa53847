#include "theme/buttons.h"
#include "theme/knob.h"
#include "theme/segment.h"
#include "theme/text.h"
#include "views/cropframewidget.h"
#include "views/exportqueue.h"
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

// A window for the queue to cover.
struct Holder : QWidget {
    explicit Holder(CWStore*) {}
};
class QueueA11y : public ViewTest<Holder, 1180, 760> {};
}  // namespace

// The header as a screen reader meets it: a tool bar whose buttons say what
// they do (the export button with its count, never its symbol's name), the
// marks and the playhead readable as times.
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

// The inspector's controls: the shapes as radio buttons with the current one
// checked and pressable, the output size as named radio buttons, the zoom
// knob's value, the pad and the crop frame telling where the centre is (the
// pad's axes settable), the audio level as named radio buttons, and the name
// field named.
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
    quality->child(1)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(store->shortSide(), 720);
    EXPECT_TRUE(quality->child(1)->state().checked);

    QAccessibleInterface* audio = a11y(view->audioSegment());
    EXPECT_EQ(audio->text(QAccessible::Name), "Audio level");
    ASSERT_EQ(audio->childCount(), 2);
    EXPECT_EQ(audio->child(0)->text(QAccessible::Name), "Source level");
    EXPECT_EQ(audio->child(1)->text(QAccessible::Name), "Normalize to −14 LUFS");
    audio->child(1)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(store->audioLevel(), AudioLevel::normalized);
    EXPECT_TRUE(audio->child(1)->state().checked);
    store->setAudioLevel(AudioLevel::source);

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

// The export queue: a dialog named by its title with the batch's progress,
// each row named by its clip with its state in words (the share done while
// it exports), each bar a progress bar.
TEST_F(QueueA11y, RowsTellTheirStateAndProgressAndTheQueueTheWholeBatch)
{
    auto* queue = new CWExportQueue(store.get(), view.get());
    const QList<ExportRow> rows{
        {QUuid::createUuid(), "talk – clip 1 (9x16).mp4", 1.0, "Done", {}},
        {QUuid::createUuid(), "talk – clip 2 (1x1).mp4", 0.42, "Exporting…", {}},
        {QUuid::createUuid(), "talk – clip 3 (4x5).mp4", 0.1, "Failed: The disk is full", {}},
        {QUuid::createUuid(), "talk – clip 4 (16x9).mp4", 0, "Waiting", {}}};
    CWStoreTestAccess::setExport(*store, rows, true);
    QCoreApplication::processEvents();
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
        EXPECT_EQ(a11y(row)->role(), QAccessible::ListItem);
        EXPECT_EQ(name(row), rows[i].name);
        EXPECT_EQ(description(row), spoken[i]);
        QAccessibleInterface* bar = a11y(row->bar());
        EXPECT_EQ(bar->role(), QAccessible::ProgressBar);
        EXPECT_EQ(bar->text(QAccessible::Name), rows[i].name);
        EXPECT_NEAR(bar->valueInterface()->currentValue().toDouble(), rows[i].progress, 1e-9);
    }

    QList<ExportRow> ended = rows;
    ended[1].state = "Done";
    ended[1].progress = 1;
    ended[3].state = "Cancelled";
    CWStoreTestAccess::setExport(*store, ended, false);
    QCoreApplication::processEvents();
    EXPECT_EQ(dialog->text(QAccessible::Name), "Export finished");
    EXPECT_EQ(dialog->text(QAccessible::Description), "4 of 4 finished, 100 %");
    EXPECT_EQ(description(queue->rows()[1]), "Done");
}

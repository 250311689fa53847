#include "theme/buttons.h"
#include "theme/text.h"
#include "views/header.h"
#include "views/views_support.h"

#include <QLabel>

namespace {
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
}  // namespace

// The header is a tool bar of buttons named for what they do (never their
// symbol), with the marks and the playhead readable as times.
TEST_F(HeaderA11y, IsAToolBarOfNamedControlsAndReadableTimes)
{
    EXPECT_EQ(a11y(view.get())->role(), QAccessible::ToolBar);
    EXPECT_EQ(a11yName(view.get()), "Header");
    EXPECT_EQ(a11yName(view->exportAllButton()), "Export All (2)");
    EXPECT_EQ(a11yName(view->addClipButton()), "Add Clip");
    EXPECT_EQ(a11yName(view->inOrb()), "Set In");
    EXPECT_EQ(a11yDescription(view->inOrb()), "Set In (I)");
    EXPECT_EQ(a11yName(view->outOrb()), "Set Out");
    EXPECT_EQ(a11yName(view->backOrb()), "Back one frame");
    EXPECT_EQ(a11yName(view->playOrb()), "Play");
    EXPECT_EQ(a11y(view->clock())->role(), QAccessible::StaticText);
    EXPECT_EQ(a11yName(view->clock()), view->clock()->text());
    EXPECT_EQ(a11yDescription(view->clock()), "Playhead");
    store->markIn();
    tickAt(2.5);
    store->markOut();
    QCoreApplication::processEvents();
    EXPECT_EQ(a11yName(view->outValue()), "Out " + view->outValue()->text());
    EXPECT_EQ(a11yName(view->clock()), view->clock()->text());
}

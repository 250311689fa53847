#include "app/window_fixture_support.h"
#include "theme/buttons.h"
#include "theme/text.h"
#include "views/header.h"

#include <QLabel>

namespace {
class MainViewTest : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        header = main()->header();
        showWindow();
    }
    void click(QAbstractButton* button)
    {
        ASSERT_TRUE(button->isEnabled());
        QTest::mouseClick(button, Qt::LeftButton, {}, button->rect().center());
        QCoreApplication::processEvents();
    }

    CWHeader* header = nullptr;
};
}  // namespace

// The header's actions enable with a video, its orbs play, step and mark, and
// Export All counts the clips while no batch runs.
TEST_F(MainViewTest, HeaderActionsAndOrbs)
{
    EXPECT_FALSE(header->addClipButton()->isEnabled());
    EXPECT_EQ(header->exportAllButton()->text(), "Export All (0)");
    EXPECT_FALSE(header->exportAllButton()->isEnabled());
    EXPECT_EQ(main()->status()->text(), CWMain::keyHint());

    addSource("/videos/Beach Day.mp4", 60);
    EXPECT_FALSE(header->playOrb()->lit());
    click(header->playOrb());
    EXPECT_TRUE(store->playing());
    EXPECT_TRUE(header->playOrb()->lit());
    click(header->playOrb());
    EXPECT_FALSE(store->playing());
    EXPECT_FALSE(header->playOrb()->lit());

    player->now = 2;
    store->observeTime();
    click(header->inOrb());
    click(header->forwardOrb());
    click(header->forwardOrb());
    click(header->backOrb());
    EXPECT_NEAR(store->time(), 2.04, 1e-6);
    EXPECT_EQ(header->clock()->text(), "0:02.0");
    player->now = 7.5;
    store->observeTime();
    click(header->outOrb());
    EXPECT_EQ(header->clock()->text(), "0:07.5");
    EXPECT_EQ(header->inValue()->text(), "0:02.0");
    EXPECT_EQ(header->outValue()->text(), "0:07.5");
    click(header->addClipButton());
    ASSERT_EQ(store->clips().size(), 1);
    EXPECT_EQ(header->exportAllButton()->text(), "Export All (1)");
    EXPECT_EQ(main()->status()->text(), store->note());

    CWStoreTestAccess::setExport(*store, store->exportRows(), true);
    EXPECT_FALSE(header->exportAllButton()->isEnabled());
    CWStoreTestAccess::setExport(*store, store->exportRows(), false);
    EXPECT_TRUE(header->exportAllButton()->isEnabled());
}

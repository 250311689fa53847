#include "store_fixture_support.h"

#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

using namespace storetest;

TEST_F(StoreTest, ClipEditsRewriteTheSessionFrameChangesWithoutSelectionDoNot)
{
    const CWSource s = addSource("/v/a.mov", 60);
    store->select(s.id);
    store->addClip();
    EXPECT_FALSE(QFileInfo::exists(CWStore::sessionURL()));  // nothing before the restore starts
    CWStoreTestAccess::setRestoreStarted(*store, true);
    store->setZoom(2.5);  // the selected clip follows, and is saved
    auto saved = savedSession();
    ASSERT_TRUE(saved);
    ASSERT_EQ(saved->clips.size(), 1);
    EXPECT_EQ(saved->clips[0], store->clips()[0]);
    ASSERT_EQ(saved->allSources().size(), 1);
    EXPECT_EQ(saved->allSources()[0].path, "/v/a.mov");
    EXPECT_EQ(saved->allSources()[0].trimBorders, true);
    EXPECT_DOUBLE_EQ(saved->clips[0].zoom, 2.5);

    store->setSelectedClipID(std::nullopt);
    QFile::remove(CWStore::sessionURL());
    store->setZoom(3);
    store->setCenterX(0.1);
    store->setAspect(Aspect::wide);
    EXPECT_FALSE(QFileInfo::exists(CWStore::sessionURL()));

    store->rename(store->clips()[0].id, "Named");
    EXPECT_EQ(savedSession()->clips[0].name, "Named");
}

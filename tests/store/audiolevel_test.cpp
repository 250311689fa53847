#include "common/export_probe.h"
#include "export/job.h"
#include "store_fixture_support.h"

#include <QSettings>

using namespace storetest;

// The audio level is a preference (source level until chosen; its writing and
// reading back are the inspector's audio test) that each batch takes when it
// starts, so a change while it runs reaches only the next one. The files say
// which level they got.
TEST_F(StoreTest, AudioLevelIsAPreferenceThatEachBatchTakesWhenItStarts)
{
    QSettings().remove("mwso.cw.audioLevel");
    EXPECT_EQ(CWStore(new ScriptedPlayer, new ScriptedServices).audioLevel(), AudioLevel::source);
    store->setAudioLevel(AudioLevel::normalized);

    services->cores = 2;  // one clip at a time
    importNow(*store, {copy("loudness_quiet.mp4", "talk.mp4")});
    const QUuid source = store->sources().value(0).id;
    CWStoreTestAccess::setClips(*store, {clipOf(source, "Talk", 0, 4)});
    services->folder = out.path();
    exportAndWait(*store, [&] {
        EXPECT_TRUE(store->job()->normalizeLoudness);
        store->setAudioLevel(AudioLevel::source);
    });
    const ExportRow normalized = store->exportRows().value(0);
    ASSERT_EQ(normalized.state, "Done") << normalized.state.toStdString();
    EXPECT_NEAR(exporttest::reading(*normalized.file).integrated, -14, 0.5);

    exportAndWait(*store, [&] { EXPECT_FALSE(store->job()->normalizeLoudness); });
    const ExportRow plain = store->exportRows().value(0);
    ASSERT_EQ(plain.state, "Done") << plain.state.toStdString();
    EXPECT_NEAR(exporttest::reading(*plain.file).integrated, -30, 0.5);
}

#include "model/jsontext.h"
#include "store_fixture_support.h"

#include <gtest/gtest.h>

// A saved video that comes back through a file already in the bin, or through
// an import of the file the restore could not find, brings its clips with it:
// visible, exported and saved under the id of the source that shows them.
using namespace storetest;

namespace {

const QString kSavedId = QStringLiteral("5C0E2F51-8E4B-4C1B-9C5D-0F5A8E6B7D21");
const QString kOtherId = QStringLiteral("7D1F3062-9F5C-4D2C-AD6E-1F6B9F7C8E32");
const QString kClipId = QStringLiteral("0A1B2C3D-4E5F-4071-8293-A4B5C6D7E8F9");

QByteArray sessionWith(const QList<std::pair<QString, QString>>& sources)
{
    QByteArray text = R"({"version":2,"sources":[)";
    for (qsizetype i = 0; i < sources.size(); ++i) {
        text += (i ? "," : "") + QStringLiteral(R"({"id":"%1","path":"%2","trimBorders":false})")
                                     .arg(sources[i].first, sources[i].second)
                                     .toUtf8();
    }
    text += R"(],"clips":[{"id":")" + kClipId.toUtf8() + R"(","sourceID":")" + kSavedId.toUtf8() +
            R"(","name":"Opening","inTime":0.5,"outTime":2,"aspect":"9:16","zoom":1,)"
            R"("centerX":0.5,"centerY":0.5}]})";
    return text;
}

// The one clip is in the bin under the one source, and the file says so too.
void expectClipShownUnder(const CWStore& store, const QString& sourceId)
{
    ASSERT_EQ(store.sources().size(), 1);
    EXPECT_EQ(uuidText(store.sources()[0].id), sourceId);
    ASSERT_EQ(store.clips().size(), 1);
    EXPECT_EQ(uuidText(store.clips()[0].id), kClipId);
    EXPECT_EQ(uuidText(store.clips()[0].sourceID), sourceId);
    const auto saved = savedSession().value();
    ASSERT_EQ(saved.allSources().size(), 1);
    EXPECT_EQ(saved.allSources()[0].id, sourceId);
    ASSERT_EQ(saved.clips.size(), 1);
    EXPECT_EQ(uuidText(saved.clips[0].sourceID), sourceId);
}

}  // namespace

TEST_F(StoreTest, ASavedVideoMatchedByItsFileOrImportedAgainBringsBackItsClips)
{
    // Two entries for one file (the file imported again under a new id while
    // the old entry waited): the clip of the second follows the file to the first.
    const QString file = copy("h264_aac.mp4", "talk.mp4");
    writeSession(sessionWith({{kOtherId, file}, {kSavedId, file}}));
    for (int launch = 0; launch < 2; ++launch) {
        const auto restored = launched();
        EXPECT_EQ(*restored->note(), "Restored your last session: 1 video, 1 clip.");
        expectClipShownUnder(*restored, kOtherId);
    }

    // The restore says "Not found"; the user finds the file and imports it: it
    // comes back as the saved video, with its id, its clips and its bar choice.
    writeSession(sessionWith({{kSavedId, media.filePath("found.mp4")}}));
    const auto restored = launched();
    EXPECT_TRUE(restored->clips().isEmpty());
    importNow(*restored, {copy("h264_aac.mp4", "found.mp4")});
    expectClipShownUnder(*restored, kSavedId);
    EXPECT_FALSE(restored->sources()[0].trimBorders);
    EXPECT_EQ(restored->currentSourceID(), restored->sources()[0].id);
    expectClipShownUnder(*launched(), kSavedId);
}

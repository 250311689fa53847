#include "model/session.h"

#include "common/testutil.h"

#include <gtest/gtest.h>

namespace {
const QByteArray example =
    R"({"version":2,"sources":[{"id":"5C0E2F51-8E4B-4C1B-9C5D-0F5A8E6B7D21","path":"/Volumes/Media/talk.mp4","trimBorders":true}],)"
    R"("clips":[{"id":"0A1B2C3D-4E5F-4071-8293-A4B5C6D7E8F9","sourceID":"5C0E2F51-8E4B-4C1B-9C5D-0F5A8E6B7D21","name":"Opening",)"
    R"("inTime":12.5,"outTime":41.25,"aspect":"9:16","zoom":1.2,"centerX":0.5,"centerY":0.45}]})";
}

TEST(Session, ExampleDocumentRoundTripsByteForByte)
{
    const auto session = CWSession::decode(example);
    ASSERT_TRUE(session);
    EXPECT_EQ(session->version, 2);
    ASSERT_EQ(session->allSources().size(), 1);
    EXPECT_EQ(session->allSources()[0].path, "/Volumes/Media/talk.mp4");
    EXPECT_FALSE(session->allSources()[0].bookmark);
    EXPECT_EQ(session->encode(), example);
}

TEST(Session, WritesVersionEmptySourcesAndBase64Bookmarks)
{
    CWSession empty;
    EXPECT_EQ(empty.encode(), R"({"version":2,"sources":[],"clips":[]})");

    CWSession s;
    s.version = 7;                                      // always written as 2
    s.files = QMap<QString, QString>{{"A", "/a.mov"}};  // never written
    s.sources = QList<CWSession::Source>{{"ID", "/ä \"b\".mov",
                                          QByteArray("\x00\xff\x10"
                                                     "bookmark",
                                                     11),
                                          false},
                                         {"ID2", "/c.mov", std::nullopt, std::nullopt}};
    const QByteArray bytes = s.encode();
    EXPECT_EQ(
        bytes,
        QByteArray(
            R"({"version":2,"sources":[{"id":"ID","path":"/ä \"b\".mov","bookmark":"AP8QYm9va21hcms=","trimBorders":false},)"
            R"({"id":"ID2","path":"/c.mov"}],"clips":[]})"));
    const auto back = CWSession::decode(bytes);
    ASSERT_TRUE(back);
    EXPECT_EQ(*back->sources, *s.sources);
}

TEST(Session, OlderLayoutOrdersFilesByPath)
{
    const auto s = CWSession::decode(R"({"files":{"B":"/b.mov","A":"/z.mov"},"clips":[]})");
    ASSERT_TRUE(s);
    const auto sources = s->allSources();
    ASSERT_EQ(sources.size(), 2);
    EXPECT_EQ(sources[0], (CWSession::Source{"B", "/b.mov", std::nullopt, std::nullopt}));
    EXPECT_EQ(sources[1], (CWSession::Source{"A", "/z.mov", std::nullopt, std::nullopt}));
    EXPECT_FALSE(s->version);

    const auto both = CWSession::decode(R"({"sources":[],"files":{"B":"/b.mov"},"clips":[]})");
    ASSERT_TRUE(both);
    EXPECT_TRUE(both->allSources().isEmpty());
    EXPECT_TRUE(CWSession::decode(R"({"clips":[]})")->allSources().isEmpty());
}

TEST(Session, DecodeIsAllOrNothing)
{
    const char* bad[] = {
        "",
        "not json",
        R"([])",
        R"({"version":2,"sources":[]})",                  // no clips
        R"({"sources":[{"path":"/a.mov"}],"clips":[]})",  // source without id
        R"({"sources":[{"id":"A"}],"clips":[]})",         // source without path
        R"({"sources":[{"id":"A","path":"/a","bookmark":"%%%"}],"clips":[]})",
        R"({"sources":[{"id":"A","path":"/a","trimBorders":"yes"}],"clips":[]})",
        R"({"version":"2","clips":[]})",
        R"({"clips":[{"id":"0A1B2C3D-4E5F-4071-8293-A4B5C6D7E8F9"}]})",
        R"({"clips":{}})",
    };
    for (const char* text : bad)
        EXPECT_FALSE(CWSession::decode(text)) << text;
}

TEST(Session, UnknownKeysAndNullsAreIgnored)
{
    const auto s = CWSession::decode(
        R"({"future":{"x":1},"version":null,"sources":[{"id":"A","path":"/a","bookmark":null,"extra":3}],"clips":[]})");
    ASSERT_TRUE(s);
    EXPECT_FALSE(s->version);
    EXPECT_FALSE(s->allSources()[0].trimBorders);
}

// Found by fuzz/session_fuzz.cpp: a lone surrogate read from the file came back
// as "?" at the next save, changing the name without a word.
TEST(Session, LoneSurrogatesSurviveTheNextSave)
{
    const QByteArray clip =
        R"({"clips":[{"id":"0A1B2C3D-4E5F-4071-8293-A4B5C6D7E8F9","sourceID":"5C0E2F51-8E4B-4C1B-9C5D-0F5A8E6B7D21",)"
        R"("name":"%1","inTime":0,"outTime":1,"aspect":"9:16","zoom":1,"centerX":0.5,"centerY":0.5}]})";
    const char* names[] = {R"(a\ud800b)", R"(\udc00)", R"(\ud83c\udfac\ud83c)",
                           R"(\udfac\ud83c\udfac)", R"(\ud800\ud800\udc00)"};
    for (const char* name : names) {
        const auto read = CWSession::decode(QByteArray(clip).replace("%1", name));
        ASSERT_TRUE(read) << name;
        const auto again = CWSession::decode(read->encode());
        ASSERT_TRUE(again) << name;
        EXPECT_EQ(again->clips[0].name, read->clips[0].name) << name;
    }
}

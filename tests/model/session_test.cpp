#include "model/session.h"

#include <gtest/gtest.h>

namespace {
// A clip of the example document, named name (raw JSON text).
QByteArray clipNamed(const QByteArray& name)
{
    return R"({"id":"0A1B2C3D-4E5F-4071-8293-A4B5C6D7E8F9","sourceID":"5C0E2F51-8E4B-4C1B-9C5D-)"
           R"(0F5A8E6B7D21","name":")" +
           name +
           R"(","inTime":12.5,"outTime":41.25,"aspect":"9:16","zoom":1.2,"centerX":0.5,)"
           R"("centerY":0.45})";
}

// The session file's own example: clips are written with their nine keys in
// field order and upper-case ids.
const QByteArray example =
    R"({"version":2,"sources":[{"id":"5C0E2F51-8E4B-4C1B-9C5D-0F5A8E6B7D21","path":)"
    R"("/Volumes/Media/talk.mp4","trimBorders":true}],"clips":[)" +
    clipNamed("Opening") + "]}";
}  // namespace

TEST(Session, TheExampleRoundTripsTheOlderLayoutIsReadAndUnknownKeysAreIgnored)
{
    EXPECT_EQ(CWSession::decode(example)->encode(), example);  // byte for byte
    EXPECT_EQ(CWSession().encode(), R"({"version":2,"sources":[],"clips":[]})");

    CWSession s;
    s.version = 7;                                      // always written as 2
    s.files = QMap<QString, QString>{{"A", "/a.mov"}};  // never written
    const QByteArray bookmark = QByteArray::fromHex("00ff10") + "bookmark";
    s.sources = QList<CWSession::Source>{{"ID", "/ä \"b\".mov", bookmark, false},
                                         {"ID2", "/c.mov", std::nullopt, std::nullopt}};
    const QByteArray bytes = s.encode();
    EXPECT_EQ(
        bytes,
        QByteArray(
            R"({"version":2,"sources":[{"id":"ID","path":"/ä \"b\".mov","bookmark":"AP8QYm9va21hcms=","trimBorders":false},)"
            R"({"id":"ID2","path":"/c.mov"}],"clips":[]})"));
    EXPECT_EQ(CWSession::decode(bytes)->sources, s.sources);

    // The older layout's files are ordered by path; "sources" wins over them.
    const auto old = CWSession::decode(R"({"files":{"B":"/b.mov","A":"/z.mov"},"clips":[]})");
    EXPECT_EQ(old->allSources(),
              (QList<CWSession::Source>{{"B", "/b.mov", std::nullopt, std::nullopt},
                                        {"A", "/z.mov", std::nullopt, std::nullopt}}));
    EXPECT_TRUE(CWSession::decode(R"({"sources":[],"files":{"B":"/b.mov"},"clips":[]})")
                    ->allSources()
                    .isEmpty());

    // Unknown keys and nulls are ignored.
    const auto future =
        CWSession::decode(
            R"({"future":{"x":1},"version":null,"sources":[{"id":"A","path":"/a","bookmark":null,"extra":3}],"clips":[]})")
            .value();
    EXPECT_FALSE(future.version);
    EXPECT_FALSE(future.allSources()[0].trimBorders);
}

// Captions are newer keys: written only when used, and a value that is not
// sound costs only itself.
TEST(Session, CaptionKeysAreWrittenOnlyWhenUsedAndReadLeniently)
{
    CWSession s = *CWSession::decode(example);
    EXPECT_FALSE(s.sources->at(0).captions);
    EXPECT_FALSE(s.clips[0].captions);
    (*s.sources)[0].captions = Captions::Attachment{"/Volumes/Media/talk.en.srt", -1};
    s.clips[0].captions = true;
    s.clips[0].captionStyle = {Captions::Look::box, 0.1};
    const QByteArray bytes = s.encode();
    EXPECT_TRUE(bytes.contains(R"("trimBorders":true,"captions":{"file":"/Volumes/Media/talk.en.srt"}})"));
    EXPECT_TRUE(bytes.contains(R"("captions":true,"captionLook":"box","captionRaise":0.1})"));
    EXPECT_EQ(CWSession::decode(bytes)->sources, s.sources);
    EXPECT_EQ(CWSession::decode(bytes)->clips, s.clips);
    (*s.sources)[0].captions = Captions::Attachment{{}, 3};
    EXPECT_EQ(CWSession::decode(s.encode())->sources->at(0).captions, s.sources->at(0).captions);

    const char* hostile[] = {R"("captions":{"track":-1})", R"("captions":{"track":2.5})",
                             R"("captions":{"file":7})", R"("captions":"talk.srt")"};
    for (const char* value : hostile) {
        QByteArray text = example;
        text.replace(R"("trimBorders":true)", QByteArray(R"("trimBorders":true,)") + value);
        const auto read = CWSession::decode(text);
        ASSERT_TRUE(read) << value;
        EXPECT_FALSE(read->sources->at(0).captions) << value;
    }
    QByteArray clip = example;
    clip.replace(R"("centerY":0.45)",
                 R"("centerY":0.45,"captions":"yes","captionLook":"neon","captionRaise":9)");
    const Clip read = CWSession::decode(clip)->clips[0];
    EXPECT_FALSE(read.captions);
    EXPECT_EQ(read.captionStyle, (Captions::Style{Captions::Look::outline, Captions::kMostRaise}));
}

TEST(Session, DecodeIsAllOrNothing)
{
    const char* bad[] = {
        "",
        R"([])",
        R"({"version":2,"sources":[]})",                  // no clips
        R"({"sources":[{"path":"/a.mov"}],"clips":[]})",  // source without id
        R"({"sources":[{"id":"A"}],"clips":[]})",         // source without path
        R"({"sources":[{"id":"A","path":"/a","bookmark":"%%%"}],"clips":[]})",
        R"({"sources":[{"id":"A","path":"/a","trimBorders":"yes"}],"clips":[]})",
        R"({"version":"2","clips":[]})",
        R"({"clips":[{"id":"0A1B2C3D-4E5F-4071-8293-A4B5C6D7E8F9"}]})",
        R"({"clips":{}})",
        // A version no integer holds is not a version of ours.
        R"({"version":7547409932,"clips":[]})",
        R"({"version":-2147483649,"clips":[]})",
        R"({"version":2.5,"clips":[]})",
    };
    for (const char* text : bad)
        EXPECT_FALSE(CWSession::decode(text)) << text;
    // Versions inside the integer range decode, whole floating values too.
    EXPECT_EQ(CWSession::decode(R"({"version":2147483647,"clips":[]})")->version, 2147483647);
    EXPECT_EQ(CWSession::decode(R"({"version":-2147483648,"clips":[]})")->version, -2147483648LL);
    EXPECT_EQ(CWSession::decode(R"({"version":2.0,"clips":[]})")->version, 2);
}

// Text that is not whole UTF-16 (a lone surrogate, which only an escape can
// carry) is written back exactly as it was read, never changed at a save.
TEST(Session, LoneSurrogatesSurviveASave)
{
    const char* texts[] = {R"(a\ud800b)", R"(x\ud800)", R"(\udc00\ud800)",
                           "\xF0\x9F\x98\x80\\ud83d", R"(\u0000 nul)"};
    for (const char* text : texts) {
        const QByteArray doc = R"({"version":2,"sources":[{"id":"A","path":"/p/)" +
                               QByteArray(text) + R"("}],"clips":[)" + clipNamed(text) + "]}";
        const auto first = CWSession::decode(doc);
        ASSERT_TRUE(first) << text;
        EXPECT_EQ(first->encode(), doc) << text;  // so a second save writes it the same again
    }
    // A pair written as an escape is one character: it is written as UTF-8.
    const auto pair =
        CWSession::decode(R"({"clips":[)" + clipNamed(R"(\ud83d\ude00)") + "]}").value();
    EXPECT_TRUE(pair.encode().contains("\"name\":\"\xF0\x9F\x98\x80\""));
}

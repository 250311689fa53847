#include "model/aspect.h"
#include "model/cropmath.h"
#include "model/formats.h"
#include "model/mwtime.h"

#include <QFile>
#include <QRegularExpression>
#include <cmath>

#include <gtest/gtest.h>

TEST(Clock, Examples)
{
    struct Case {
        double seconds;
        bool tenths;
        const char* text;
    };
    for (const Case c :
         {Case{65.37, true, "1:05.3"}, Case{3725, false, "1:02:05"}, Case{-2, true, "0:00.0"},
          Case{NAN, true, "0:00.0"}, Case{INFINITY, false, "0:00"}, Case{3599.96, true, "59:59.9"},
          Case{3661.25, true, "1:01:01.2"},
          // Tenths that binary doubles hold as x.x999… still read as written.
          Case{2.3, true, "0:02.3"},
          // Times beyond any integer type (a hand-edited session) still read as times.
          Case{1e19, true, "2777777777777777:46:40.0"}})
        EXPECT_EQ(MWTime::clock(c.seconds, c.tenths), c.text) << c.seconds;
    const QRegularExpression shape(QStringLiteral("^[0-9]+:[0-5][0-9]:[0-5][0-9](\\.[0-9])?$"));
    for (bool tenths : {false, true}) {
        const QString text = MWTime::clock(1.7e308, tenths);
        EXPECT_TRUE(shape.match(text).hasMatch()) << text.toStdString();
    }
}

TEST(FileName, ExamplesForbiddenCharactersAndEightyCharacters)
{
    struct Case {
        QString name;
        Aspect aspect;
        int index;
        const char* file;
    };
    for (const Case& c : std::vector<Case>{
             {"Interview: part 1", Aspect::vertical, 1, "01 Interview- part 1 (9x16).mp4"},
             {"", Aspect::wide, 12, "12 Clip (16x9).mp4"},
             {"x", Aspect::wide, 123, "123 x (16x9).mp4"},
             {" :/ ", Aspect::square, 1, "01 -- (1x1).mp4"},
             {"   \t", Aspect::square, 1, "01 Clip (1x1).mp4"},
             {"a/b\\c:d*e?f\"g<h>i|j\nk\rl", Aspect::portrait, 2,
              "02 a-b-c-d-e-f-g-h-i-j-k-l (4x5).mp4"},
             {"\nname\n", Aspect::portrait, 2, "02 -name- (4x5).mp4"},
             // NUL ends a name for the file system: the rest, ".mp4" included, would be lost.
             {QString::fromUtf8("a\0b", 3), Aspect::square, 1, "01 a-b (1x1).mp4"},
             {QString(1, QChar(0)), Aspect::square, 1, "01 - (1x1).mp4"}})
        EXPECT_EQ(CropMath::fileName(c.name, c.aspect, c.index), c.file) << c.file;

    // Cut at eighty user-perceived characters.
    const QString hundred = QString(79, u'a') + u' ' + QString(20, u'b');
    EXPECT_EQ(CropMath::fileName(hundred, Aspect::square, 1),
              "01 " + QString(79, u'a') + "  (1x1).mp4");  // the space inside the 80 stays
    // 90 of "ё" (2 bytes): 80 kept, 160 bytes fit.
    const QString cyrillic = QString::fromUtf8("ё").repeated(90);
    EXPECT_EQ(CropMath::fileName(cyrillic, Aspect::square, 1),
              "01 " + cyrillic.left(80) + " (1x1).mp4");
}

// A name is at most 255 bytes on Linux. Names are cut between whole
// user-perceived characters so that the largest counter the export may add
// before ".mp4" (" 2147483647") still fits.
TEST(FileName, FitsTheByteLimitWithEverySuffix)
{
    const auto bytes = [](const QString& name) { return QFile::encodeName(name).size(); };
    const QString family =
        QString::fromUtf8("👨‍👩‍👧‍👦");  // 7 code points, 25 bytes
    const QString han = QString::fromUtf8("漢");
    const QString jamo = QString::fromUtf8("\u1100\u1161\u11A8");  // one syllable, 9 bytes
    const QString zalgo = u'a' + QString(QChar(0x0301)).repeated(300);
    struct Case {
        QString name;
        int index;
        Aspect aspect;
        QString expectedBase;  // empty: only the limits are checked
    };
    const Case cases[] = {
        {family.repeated(90), 1, Aspect::square, family.repeated(9)},  // 225 of 231 bytes
        {han.repeated(80), 1, Aspect::vertical, han.repeated(76)},     // 228 of 230 bytes
        {jamo.repeated(80), 1, Aspect::portrait, jamo.repeated(25)},
        {QString::fromUtf8("e\u0301").repeated(90), 1, Aspect::square,
         QString::fromUtf8("e\u0301").repeated(77)},  // never an e without its accent
        {QString(100, QChar(0xD800)), 1, Aspect::square,
         QString(77, QChar(0xD800))},    // each written as U+FFFD, 3 bytes
        {zalgo, 1, Aspect::square, {}},  // one character over the limit
        {QString(80, u'x'), 2147483647, Aspect::wide, QString(80, u'x')},
    };
    for (const Case& c : cases) {
        const QString name = CropMath::fileName(c.name, c.aspect, c.index);
        const QString widest = name.chopped(4) + QStringLiteral(" 2147483647.mp4");
        EXPECT_LE(bytes(widest), 255) << name.toStdString();
        const QString prefix = QString::asprintf("%02d ", c.index);
        const QString tail = QStringLiteral(" (") + fileTag(c.aspect) + QStringLiteral(").mp4");
        ASSERT_TRUE(name.startsWith(prefix) && name.endsWith(tail)) << name.toStdString();
        const QString base = name.mid(prefix.size(), name.size() - prefix.size() - tail.size());
        EXPECT_TRUE(c.name.startsWith(base)) << name.toStdString();
        if (!c.expectedBase.isEmpty()) {
            EXPECT_EQ(base, c.expectedBase) << name.toStdString();
        } else {
            // A single character longer than the limit is cut between code points.
            EXPECT_GT(base.size(), 1);
            EXPECT_FALSE(base.back().isHighSurrogate());
            EXPECT_GT(bytes(widest), 250) << bytes(widest);
        }
    }
}

TEST(Formats, ThirteenLowerCaseExtensions)
{
    EXPECT_EQ(CWFormats::exts().size(), 13);
    EXPECT_TRUE(CWFormats::accepts("/x/Holiday.MKV"));
    EXPECT_FALSE(CWFormats::accepts("/x/song.mp3"));
}

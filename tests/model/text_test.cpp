#include "model/aspect.h"
#include "model/cropmath.h"
#include "model/formats.h"
#include "model/mwtime.h"

#include <QFile>
#include <cmath>

#include <gtest/gtest.h>

TEST(Clock, Examples)
{
    const std::tuple<double, bool, const char*> cases[] = {
        {3725, false, "1:02:05"},
        {-2, true, "0:00.0"},
        {INFINITY, false, "0:00"},
        {3599.96, true, "59:59.9"},
        // Tenths that binary doubles hold as x.x999… still read as written.
        {2.3, true, "0:02.3"},
        // Times beyond any integer type (a hand-edited session) still read as times.
        {1e19, true, "2777777777777777:46:40.0"}};
    for (const auto& [seconds, tenths, text] : cases)
        EXPECT_EQ(MWTime::clock(seconds, tenths), text) << seconds;
}

TEST(FileName, ExamplesForbiddenCharactersAndEightyCharacters)
{
    const std::tuple<QString, Aspect, int, const char*> cases[] = {
        {"x", Aspect::wide, 123, "123 x (16x9).mp4"},
        {" :/ ", Aspect::square, 1, "01 -- (1x1).mp4"},
        {"   \t", Aspect::square, 1, "01 Clip (1x1).mp4"},
        {"a/b\\c:d*e?f\"g<h>i|j\nk\rl", Aspect::portrait, 2,
         "02 a-b-c-d-e-f-g-h-i-j-k-l (4x5).mp4"},
        {"\nname\n", Aspect::portrait, 2, "02 -name- (4x5).mp4"},
        // NUL ends a name for the file system: the rest, ".mp4" included, would be lost.
        {QString::fromUtf8("a\0b", 3), Aspect::square, 1, "01 a-b (1x1).mp4"}};
    for (const auto& [name, aspect, index, file] : cases)
        EXPECT_EQ(CropMath::fileName(name, aspect, index), file) << file;

    // Cut at eighty user-perceived characters.
    const QString hundred = QString(79, u'a') + u' ' + QString(20, u'b');
    EXPECT_EQ(CropMath::fileName(hundred, Aspect::square, 1),
              "01 " + QString(79, u'a') + "  (1x1).mp4");  // the space inside the 80 stays
}

// A name is at most 255 bytes on Linux. Names are cut between whole
// user-perceived characters so that the largest counter the export may add
// before ".mp4" (" 2147483647") still fits.
TEST(FileName, FitsTheByteLimitWithEverySuffix)
{
    const auto widest = [](const QString& name) {
        return QFile::encodeName(name.chopped(4) + QStringLiteral(" 2147483647.mp4")).size();
    };
    const QString family =
        QString::fromUtf8("👨‍👩‍👧‍👦");  // 7 code points, 25 bytes
    const QString han = QString::fromUtf8("漢");
    const QString surrogate(1, QChar(0xD800));  // written as U+FFFD, 3 bytes
    const std::tuple<QString, int, Aspect, QString> cases[] = {
        {family.repeated(90), 1, Aspect::square,
         "01 " + family.repeated(9) + " (1x1).mp4"},  // 225 of 231 bytes
        {han.repeated(80), 1, Aspect::vertical,
         "01 " + han.repeated(76) + " (9x16).mp4"},  // 228 of 230 bytes
        {surrogate.repeated(100), 1, Aspect::square, "01 " + surrogate.repeated(77) + " (1x1).mp4"},
        {QString(80, u'x'), 2147483647, Aspect::wide,
         "2147483647 " + QString(80, u'x') + " (16x9).mp4"},
    };
    for (const auto& [given, index, aspect, file] : cases) {
        const QString name = CropMath::fileName(given, aspect, index);
        EXPECT_EQ(name, file);
        EXPECT_LE(widest(name), 255) << name.toStdString();
    }
    // A single character longer than the limit is cut between code points.
    const QString zalgo = u'a' + QString(QChar(0x0301)).repeated(300);
    const QString cut = CropMath::fileName(zalgo, Aspect::square, 1);
    EXPECT_TRUE(cut.startsWith("01 a\u0301") && zalgo.startsWith(cut.mid(3).chopped(10)));
    EXPECT_LE(widest(cut), 255);
    EXPECT_GT(widest(cut), 250);
}

TEST(Formats, AcceptedByExtensionInAnyCase)
{
    EXPECT_TRUE(CWFormats::accepts("/x/Holiday.MKV"));
    EXPECT_FALSE(CWFormats::accepts("/x/song.mp3"));
}

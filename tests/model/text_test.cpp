#include "model/cropmath.h"
#include "model/formats.h"
#include "model/mwtime.h"

#include "common/testutil.h"
#include <QRegularExpression>
#include <cmath>

#include <gtest/gtest.h>

TEST(Clock, Examples)
{
    EXPECT_EQ(MWTime::clock(65.37, true), "1:05.3");
    EXPECT_EQ(MWTime::clock(3725, false), "1:02:05");
    EXPECT_EQ(MWTime::clock(59.99, true), "0:59.9");
    EXPECT_EQ(MWTime::clock(-2, true), "0:00.0");
    EXPECT_EQ(MWTime::clock(-2, false), "0:00");
    EXPECT_EQ(MWTime::clock(NAN, true), "0:00.0");
    EXPECT_EQ(MWTime::clock(INFINITY, false), "0:00");
    EXPECT_EQ(MWTime::clock(3600, false), "1:00:00");
    EXPECT_EQ(MWTime::clock(3599.96, true), "59:59.9");
    EXPECT_EQ(MWTime::clock(3661.25, true), "1:01:01.2");
    // Tenths that binary doubles hold as x.x999… still read as written.
    EXPECT_EQ(MWTime::clock(2.3, true), "0:02.3");
    EXPECT_EQ(MWTime::clock(0.7, true), "0:00.7");
    // Times beyond any integer type (a hand-edited session) still read as times.
    EXPECT_EQ(MWTime::clock(1e19, false), "2777777777777777:46:40");
    EXPECT_EQ(MWTime::clock(1e19, true), "2777777777777777:46:40.0");
    const QRegularExpression shape(QStringLiteral("^[0-9]+:[0-5][0-9]:[0-5][0-9](\\.[0-9])?$"));
    for (double huge : {9.3e18, 1e100, 1.7e308}) {
        for (bool tenths : {false, true}) {
            const QString text = MWTime::clock(huge, tenths);
            EXPECT_TRUE(shape.match(text).hasMatch()) << text.toStdString();
        }
    }
}

TEST(FileName, ExamplesAndForbiddenCharacters)
{
    EXPECT_EQ(CropMath::fileName("Interview: part 1", Aspect::vertical, 1),
              "01 Interview- part 1 (9x16).mp4");
    EXPECT_EQ(CropMath::fileName("", Aspect::wide, 12), "12 Clip (16x9).mp4");
    EXPECT_EQ(CropMath::fileName("x", Aspect::wide, 123), "123 x (16x9).mp4");
    EXPECT_EQ(CropMath::fileName(" :/ ", Aspect::square, 1), "01 -- (1x1).mp4");
    EXPECT_EQ(CropMath::fileName("   \t", Aspect::square, 1), "01 Clip (1x1).mp4");
    EXPECT_EQ(CropMath::fileName("a/b\\c:d*e?f\"g<h>i|j\nk\rl", Aspect::portrait, 2),
              "02 a-b-c-d-e-f-g-h-i-j-k-l (4x5).mp4");
    EXPECT_EQ(CropMath::fileName("\nname\n", Aspect::portrait, 2), "02 -name- (4x5).mp4");
}

TEST(FileName, CutsAtEightyUserPerceivedCharacters)
{
    const QString hundred = QString(79, u'a') + u' ' + QString(20, u'b');
    EXPECT_EQ(CropMath::fileName(hundred, Aspect::square, 1),
              "01 " + QString(79, u'a') + "  (1x1).mp4");  // the space inside the 80 stays
    // 90 family emoji (7 code points each) and 90 e + combining acute: 80 of each kept whole.
    QString family;
    QString accented;
    for (int i = 0; i < 90; ++i) {
        family += QString::fromUtf8("👨‍👩‍👧‍👦");
        accented += QString::fromUtf8("e\u0301");
    }
    const QString f = CropMath::fileName(family, Aspect::square, 1);
    EXPECT_EQ(f, "01 " + family.left(80 * QString::fromUtf8("👨‍👩‍👧‍👦").size()) +
                     " (1x1).mp4");
    const QString a = CropMath::fileName(accented, Aspect::square, 1);
    EXPECT_EQ(a, "01 " + accented.left(160) + " (1x1).mp4");
}

TEST(Formats, ThirteenLowerCaseExtensions)
{
    EXPECT_EQ(CWFormats::exts().size(), 13);
    EXPECT_TRUE(CWFormats::accepts("/x/Holiday.MKV"));
    EXPECT_FALSE(CWFormats::accepts("/x/song.mp3"));
}

#include "model/captionlayout.h"
#include "model/safezones.h"
#include "platform/captiondraw.h"

#include <QImage>
#include <QRect>
#include <gtest/gtest.h>

using namespace Captions;

namespace {

const QSize kVertical(540, 960);

// The drawn pixels' bounding box; empty when nothing is drawn.
QRect drawn(const QImage& image)
{
    QRect box;
    for (int y = 0; y < image.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(row[x]) > 32)
                box |= QRect(x, y, 1, 1);
    }
    return box;
}

QImage draw(const Cues& cues, double at, QSize size = kVertical, Aspect aspect = Aspect::vertical,
            Style style = {})
{
    Drawing drawing;
    drawing.setScript(script(cues, size, aspect, style));
    return drawing.frame(at, size);
}

// The alpha of two pictures, told apart: the mean difference per pixel of the drawn area.
double alphaDifference(const QImage& a, const QImage& b)
{
    const QRect area = drawn(a) | drawn(b);
    if (area.isEmpty())
        return 0;
    double sum = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            sum += std::abs(qAlpha(a.pixel(x, y)) - qAlpha(b.pixel(x, y)));
    return sum / (area.width() * area.height());
}

}  // namespace

TEST(CaptionScript, PixelsOfTheRenderTimesCutDownToCentiseconds)
{
    const QString s = QString::fromUtf8(
        script({{0.29, 0.9667, "a"}, {1.0, 61.239, "b"}, {3.0, 3.004, "too short"}},
               QSize(1080, 1920), Aspect::vertical, {}));
    EXPECT_TRUE(s.contains("PlayResX: 1080\nPlayResY: 1920\nScaledBorderAndShadow: yes\n"
                           "WrapStyle: 0\n"));
    EXPECT_TRUE(s.contains("Dialogue: 0,0:00:00.29,0:00:00.96,Caption,,0,0,0,,a\n"));
    EXPECT_TRUE(s.contains("Dialogue: 0,0:00:01.00,0:01:01.23,Caption,,0,0,0,,b\n"));
    EXPECT_FALSE(s.contains("too short"));  // a cue within one centisecond
}

TEST(CaptionScript, TextCanStartNoOverride)
{
    const struct {
        const char* text;
        const char* event;
    } cases[] = {
        {"{\\an8}top", "\\{\\\u2060an8\\}top"},
        {"a\\Nb \\h", "a\\\u2060Nb \\\u2060h"},
        {"one\ntwo\r", "one\\Ntwo"},
        {"tab\there", "tab here"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(eventText(QString::fromUtf8(c.text)), QString::fromUtf8(c.event)) << c.text;
}

// A missing glyph is drawn as the font's empty box: text in each script must
// look nothing like as many boxes as it has characters.
TEST(CaptionDrawing, EveryScriptHasGlyphsNotBoxes)
{
    const char* samples[] = {"漢字かな한글", "مرحبا بالعالم", "שלום עולם", "Привет мир",
                             "Γειά σου",     "नमस्ते दुनिया",    "😀🎬👍"};
    for (const char* sample : samples) {
        const QString text = QString::fromUtf8(sample);
        QString boxes;
        for (const uint c : text.toUcs4())
            boxes += c == ' ' ? QStringLiteral(" ") : QString::fromUcs4(U"\U0010FFFD");
        const QImage glyphs = draw({{0, 1, text}}, 0.5);
        const QImage missing = draw({{0, 1, boxes}}, 0.5);
        ASSERT_FALSE(drawn(glyphs).isEmpty()) << sample;
        EXPECT_GT(alphaDifference(glyphs, missing), 20) << sample;
    }
}

TEST(CaptionDrawing, MarkupInTheTextShowsLiterally)
{
    const Placement p = placement(kVertical, Aspect::vertical, {});
    const QRect plain = drawn(draw({{0, 1, "Hi there"}}, 0.5));
    const QRect marked = drawn(draw({{0, 1, "{\\an8}Hi \\N there"}}, 0.5));
    // Still at the bottom (the braces reach a little lower), on one line, and
    // wider for the characters it shows.
    EXPECT_NEAR(marked.bottom(), plain.bottom(), 0.2 * p.fontSize);
    EXPECT_LT(marked.height(), 1.6 * p.fontSize);
    EXPECT_GT(marked.width(), plain.width() + p.fontSize);
}

TEST(CaptionDrawing, LongCuesBecomePiecesOfAtMostTwoLines)
{
    const QString latin = QStringLiteral(
        "Everything you were told about the weather this morning was wrong, and here is "
        "why the forecast keeps missing by a mile whenever the wind turns westerly");
    const QString cjk = QString::fromUtf8(
        "今日の天気予報はまた外れました。風が西に変わるたびに予報がずれる理由を説明します。"
        "これは長い字幕の例です。");
    const QString shouting = QStringLiteral("WWWWWWWWWWWW MMMMMMMMMMMM WWWWWWWWWWWW MMMMMMMMMMMM");
    for (const Aspect aspect : {Aspect::vertical, Aspect::square, Aspect::wide}) {
        const QSize size = renderSize(aspect, 540);
        const Placement p = placement(size, aspect, {});
        for (const QString& text : {latin, cjk, shouting}) {
            const Cues split = pieces({0, 10, text}, p.lineWidth);
            Drawing drawing;
            drawing.setScript(script({{0, 10, text}}, size, aspect, {}));
            for (const Cue& piece : split) {
                const QRect box = drawn(drawing.frame((piece.start + piece.end) / 2, size));
                EXPECT_LT(box.height(), 2.6 * p.fontSize) << text.toStdString();
                EXPECT_GE(box.left(), 0);
                EXPECT_LE(box.right(), size.width() - 1);
            }
        }
    }
}

TEST(CaptionDrawing, SitsInTheClearAreaAndRisesByItsShare)
{
    const QRectF clear = SafeZones::place(SafeZones::clearArea(Aspect::vertical),
                                          QRectF(QPointF(0, 0), QSizeF(kVertical)));
    const QString text = QStringLiteral("A caption long enough to need two lines on a phone");
    for (const Look look : {Look::outline, Look::box}) {
        const QRect low = drawn(draw({{0, 1, text}}, 0.5, kVertical, Aspect::vertical, {look, 0}));
        const QRect high =
            drawn(draw({{0, 1, text}}, 0.5, kVertical, Aspect::vertical, {look, 0.1}));
        EXPECT_GE(low.left(), clear.left());
        EXPECT_LE(low.right(), clear.right());
        EXPECT_LT(low.bottom(), clear.bottom());
        EXPECT_GT(low.bottom(), clear.bottom() - 0.06 * kVertical.height());
        EXPECT_NEAR(low.bottom() - high.bottom(), 0.1 * kVertical.height(), 2);
    }
}

TEST(CaptionDrawing, KeepsItsPictureWhileTheSameCaptionsShow)
{
    Drawing drawing;
    drawing.setScript(script({{0, 1, "one"}, {1, 2, "two"}}, kVertical, Aspect::vertical, {}));
    const QImage first = drawing.frame(0.2, QSize(270, 480));
    EXPECT_EQ(drawing.frame(0.9, QSize(270, 480)).cacheKey(), first.cacheKey());
    EXPECT_NE(drawing.frame(1.0, QSize(270, 480)).cacheKey(), first.cacheKey());
    EXPECT_TRUE(drawn(drawing.frame(2.0, QSize(270, 480))).isEmpty());
    // Drawn smaller, the caption scales with the frame.
    const QRect full = drawn(drawing.frame(0.5, kVertical));
    const QRect half = drawn(drawing.frame(0.5, QSize(270, 480)));
    EXPECT_NEAR(half.width(), full.width() / 2.0, 3);
}

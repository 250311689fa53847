#include "theme/fonts.h"
#include "theme/symbols.h"
#include "theme_support.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QRawFont>
#include <gtest/gtest.h>

namespace {

// Every symbol name the views draw; a name missing here or in the table fails.
const QStringList kViewSymbols =
    QStringLiteral(
        "scissors play.fill pause.fill backward.frame.fill forward.frame.fill arrow.left.to.line "
        "arrow.right.to.line plus plus.rectangle.on.rectangle square.and.arrow.up.on.square "
        "square.and.arrow.up.on.square.fill square.and.arrow.up square.and.arrow.down "
        "rectangle.portrait.and.arrow.right film.stack xmark xmark.circle.fill "
        "chevron.compact.left chevron.compact.right info.circle.fill crop bolt.fill "
        "slider.horizontal.3 timeline.selection keyboard lightbulb.fill paintpalette.fill")
        .split(u' ');

TEST(MWFonts, SizeFollowsZoomInWholePixelsAndDesignsUseTheInstalledFamilies)
{
    // mwFont at the shared zoom is checked through the root window's font.
    EXPECT_EQ(mwFontAt(9.5, 1.25, QFont::Normal, MWDesign::Regular).pixelSize(), 12);  // 11.875

    // The bootstrap installs the three families; the fallback is for machines without them.
    for (const auto& [design, family] : {std::pair{MWDesign::Regular, "Inter"},
                                         {MWDesign::Rounded, "Quicksand"},
                                         {MWDesign::Monospaced, "JetBrains Mono"}}) {
        if (!QFontDatabase::families().contains(QLatin1String(family)))
            GTEST_SKIP() << family << " is not installed";
        EXPECT_EQ(QFontInfo(mwFontAt(12, 1.0, QFont::Normal, design)).family(), family);
    }
    EXPECT_TRUE(QFontInfo(mwMono(12)).fixedPitch());
}

TEST(MWSymbols, EveryViewSymbolHasAGlyphDrawnInTheColourAndScaleAskedMirroredWhereNamed)
{
    ASSERT_TRUE(MWSymbols::available()) << "the icon font is not installed";
    const QRawFont raw = QRawFont::fromFont(QFont(MWSymbols::fontFamily()));
    ASSERT_TRUE(raw.isValid());
    for (const QString& name : kViewSymbols) {
        const auto glyph = MWSymbols::glyph(name);
        ASSERT_TRUE(glyph.has_value()) << name.toStdString() << " has no glyph";
        EXPECT_TRUE(raw.supportsCharacter(glyph->codepoint)) << name.toStdString();
        EXPECT_TRUE(themetest::drawn(MWSymbols::pixmap(name, Qt::white, 24).toImage()))
            << name.toStdString() << " draws nothing";
    }
    EXPECT_FALSE(themetest::drawn(MWSymbols::pixmap("no.such.symbol", Qt::white, 24).toImage()));

    // In the colour at the scale asked, and mirrored where named so.
    const QPixmap crisp = MWSymbols::pixmap(QStringLiteral("play.fill"), Qt::red, 20, 2.0);
    EXPECT_EQ(crisp.size(), QSize(40, 40));
    EXPECT_DOUBLE_EQ(crisp.devicePixelRatio(), 2.0);
    EXPECT_EQ(crisp.toImage().pixelColor(20, 20), QColor(Qt::red));

    // The icon draws itself at whatever scale a HiDPI screen asks.
    const QPixmap big =
        MWSymbols::icon(QStringLiteral("xmark"), Qt::white).pixmap(QSize(16, 16), 2.0);
    EXPECT_EQ(big.size(), QSize(32, 32));
    EXPECT_TRUE(themetest::drawn(big.toImage()));

    // "arrow.left.to.line" is the right-pointing glyph drawn flipped: its ink
    // must be the mirror image of the right-pointing one.
    const QImage right =
        MWSymbols::pixmap(QStringLiteral("arrow.right.to.line"), Qt::white, 24).toImage();
    const QImage left =
        MWSymbols::pixmap(QStringLiteral("arrow.left.to.line"), Qt::white, 24).toImage();
    const auto differing = [](const QImage& a, const QImage& b) {
        int count = 0;
        for (int y = 0; y < a.height(); ++y)
            for (int x = 0; x < a.width(); ++x)
                count += std::abs(qAlpha(a.pixel(x, y)) - qAlpha(b.pixel(x, y))) > 96;
        return count;
    };
    const int area = right.width() * right.height();
    EXPECT_LT(differing(left.mirrored(true, false), right), area / 30);
    EXPECT_GT(differing(left, right), area / 20);
}

}  // namespace

#include "help/commonhelp.h"
#include "help/cwhelp.h"
#include "help/helpnavigation.h"
#include "theme/symbols.h"

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString app = u"MWSO Cutwright"_s;

QString kindName(const HelpBlock& block)
{
    static const QStringList names{u"heading"_s, u"text"_s, u"steps"_s, u"bullets"_s,
                                   u"control"_s, u"key"_s,  u"tip"_s};
    return names.at(static_cast<int>(kind(block)));
}

// Every text a user can read in the manual, titles included.
QStringList allTexts(const QList<HelpPage>& pages)
{
    QStringList texts;
    for (const HelpPage& page : pages) {
        texts << page.title;
        for (const HelpBlock& block : page.blocks)
            texts << searchableText(block);
    }
    return texts;
}

}  // namespace

TEST(HelpCatalogue, PagesInOrderWithTheirBlocks)
{
    // id, title, symbol, the kinds of its blocks: a lost, added or reordered
    // block or page shows here. The Help menu opens "quickstart" and "keys" by id.
    struct Row {
        QString id, title, symbol, kinds;
    };
    const QList<Row> expected{
        {u"overview"_s, u"What Cutwright Is"_s, u"scissors"_s, u"text bullets"_s},
        {u"quickstart"_s, u"Quick Start"_s, u"bolt.fill"_s, u"steps tip"_s},
        {u"bin"_s, u"Media Bin"_s, u"film.stack"_s, u"control control control text"_s},
        {u"viewer"_s, u"Reframe Viewer"_s, u"crop"_s, u"text control control control"_s},
        {u"inspector"_s, u"Reframe Controls"_s, u"slider.horizontal.3"_s,
         u"control control control control control control control"_s},
        {u"timeline"_s, u"Timeline & Clips Rack"_s, u"timeline.selection"_s,
         u"text bullets text"_s},
        {u"export"_s, u"Batch Export"_s, u"square.and.arrow.up.on.square.fill"_s,
         u"text text tip"_s},
        {u"keys"_s, u"Keyboard Shortcuts"_s, u"keyboard"_s, QStringList(12, u"key"_s).join(' ')},
        {u"tips"_s, u"Tips"_s, u"lightbulb.fill"_s, u"bullets"_s},
        {u"look"_s, u"Themes & Zoom"_s, u"paintpalette.fill"_s,
         u"text bullets heading text key key key tip"_s},
        {u"about"_s, u"About MWSO"_s, u"info.circle.fill"_s, u"text text text"_s},
    };
    const QList<HelpPage> pages = MWHelp::catalogue(app);
    ASSERT_EQ(pages.size(), expected.size());
    for (qsizetype i = 0; i < pages.size(); ++i) {
        SCOPED_TRACE(expected[i].id.toStdString());
        EXPECT_EQ(pages[i].id, expected[i].id);
        EXPECT_EQ(pages[i].title, expected[i].title);
        EXPECT_EQ(pages[i].symbol, expected[i].symbol);
        EXPECT_TRUE(MWSymbols::glyph(pages[i].symbol));  // else its icon draws blank
        QStringList kinds;
        for (const HelpBlock& block : pages[i].blocks)
            kinds << kindName(block);
        EXPECT_EQ(kinds.join(' '), expected[i].kinds);
    }
    EXPECT_EQ(pages.mid(0, 9), CWHelp::pages());
    EXPECT_EQ(pages.mid(9), MWCommonHelp::pages(app));
}

TEST(HelpCatalogue, TextsNameLinuxKeysAndFoldersNeverTheOtherPlatforms)
{
    const QList<HelpPage> pages = MWHelp::catalogue(app);
    const QStringList texts = allTexts(pages);
    for (const QString& text : texts)
        for (const QString& foreign : {u"macOS"_s, u"⌘"_s, u"~/Library"_s, u"Caches"_s})
            EXPECT_FALSE(text.contains(foreign)) << text.toStdString();
    for (const QString& text : {u"Return or Ctrl+K Add clip"_s, u"Ctrl+. Cancel export"_s,
                                u"Ctrl+= / Ctrl+− / Ctrl+0 Interface zoom"_s,
                                u"Ctrl+? or F1 This Help"_s, u"Ctrl+0 Back to 100%"_s})
        EXPECT_TRUE(texts.contains(text)) << text.toStdString();
    const auto& tips = std::get<HelpBullets>(MWHelp::pageWithId(pages, u"tips"_s)->blocks[0]);
    EXPECT_EQ(tips.items.last(),
              u"Converted MPEG copies are kept in ~/.cache/Marrowick/Cutwright. Safe to delete."_s);
}

TEST(HelpCatalogue, CommonPagesNameTheGivenApplication)
{
    const QList<HelpPage> pages = MWCommonHelp::pages(u"MWSO Slicer"_s);
    ASSERT_EQ(pages.size(), 2);
    EXPECT_EQ(pages[0].blocks[0], HelpBlock(HelpText{u"MWSO Slicer comes in six finishes. Pick one "
                                                     u"from View > Theme. Your choice is "
                                                     u"remembered."_s}));
    EXPECT_EQ(pages[1].blocks[0],
              HelpBlock(HelpText{u"MWSO Slicer is made by Marrowick (MWSO)."_s}));
    EXPECT_EQ(pages[1].blocks[1],
              HelpBlock(HelpText{u"Website: "_s + MWCommonHelp::makerWebsite()}));
    EXPECT_TRUE(MWCommonHelp::makerWebsite().startsWith(u"https://"_s));
}

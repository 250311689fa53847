#include "help/commonhelp.h"
#include "help/cwhelp.h"
#include "help/helpnavigation.h"
#include "theme/symbols.h"

#include <QSet>

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString app = u"MWSO Cutwright"_s;

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

// The app's pages, then the maker's; each with an id of its own, a title,
// content and a symbol the icon font draws. Their order is the search test's,
// the blocks each kind of page draws the help window's.
TEST(HelpCatalogue, TheAppsPagesThenTheMakersEachWithASymbolThatDraws)
{
    const QList<HelpPage> pages = MWHelp::catalogue(app);
    EXPECT_EQ(pages, CWHelp::pages() + MWCommonHelp::pages(app));
    QSet<QString> ids;
    for (const HelpPage& page : pages) {
        SCOPED_TRACE(page.id.toStdString());
        EXPECT_FALSE(ids.contains(page.id));
        ids << page.id;
        EXPECT_FALSE(page.title.isEmpty());
        EXPECT_FALSE(page.blocks.isEmpty());
        EXPECT_TRUE(MWSymbols::glyph(page.symbol)) << page.symbol.toStdString();
    }
    EXPECT_TRUE(ids.contains(u"quickstart"_s) && ids.contains(u"keys"_s));  // the Help menu's
}

// Written for Linux; the maker's pages name whichever application shows them.
TEST(HelpCatalogue, TextsNameLinuxKeysAndFoldersAndTheGivenApplication)
{
    const QString texts = allTexts(MWHelp::catalogue(app)).join('\n');
    for (const QString& foreign : {u"macOS"_s, u"⌘"_s, u"~/Library"_s, u"Caches"_s})
        EXPECT_FALSE(texts.contains(foreign)) << foreign.toStdString();
    EXPECT_TRUE(texts.contains(u"~/.cache/Marrowick/Cutwright"_s));

    const QString slicer = allTexts(MWCommonHelp::pages(u"MWSO Slicer"_s)).join('\n');
    EXPECT_TRUE(slicer.contains(u"MWSO Slicer is made by Marrowick"_s));
    EXPECT_FALSE(slicer.contains(app));
    EXPECT_TRUE(slicer.contains(MWCommonHelp::makerWebsite()));
}

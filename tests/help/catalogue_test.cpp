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

TEST(HelpCatalogue, TextsNameLinuxKeysAndFoldersAndTheGivenApplication)
{
    const QString texts = allTexts(MWHelp::catalogue(app)).join('\n');
    for (const QString& foreign : {u"macOS"_s, u"⌘"_s, u"~/Library"_s, u"Caches"_s})
        EXPECT_FALSE(texts.contains(foreign)) << foreign.toStdString();
    for (const QString& text :
         {u"Return or Ctrl+K Add clip"_s, u"Ctrl+. Cancel export"_s,
          u"Ctrl+= / Ctrl+− / Ctrl+0 Interface zoom"_s, u"Ctrl+? or F1 This Help"_s,
          u"Ctrl+0 Back to 100%"_s, u"Ctrl+Z Undo the last change (Edit > Undo)"_s,
          u"Ctrl+Shift+Z or Ctrl+Y Redo (Edit > Redo)"_s,
          u"Converted MPEG copies are kept in ~/.cache/Marrowick/Cutwright. "
          u"Safe to delete."_s})
        EXPECT_TRUE(texts.contains(text)) << text.toStdString();

    // The maker's pages name whichever application shows them.
    const QString slicer = allTexts(MWCommonHelp::pages(u"MWSO Slicer"_s)).join('\n');
    for (const QString& text :
         {u"MWSO Slicer comes in six finishes. Pick one from View > Theme. Your choice is "
          u"remembered."_s,
          u"MWSO Slicer is made by Marrowick (MWSO)."_s,
          u"Website: "_s + MWCommonHelp::makerWebsite()})
        EXPECT_TRUE(slicer.contains(text)) << text.toStdString();
}

#include "help/commonhelp.h"
#include "help/cwhelp.h"
#include "help/helpnavigation.h"

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
    // id|title|symbol|the kinds of its blocks: a lost, added or reordered block
    // or page shows here. The Help menu opens "quickstart" and "keys" by id.
    const QList<HelpPage> pages = MWHelp::catalogue(app);
    QStringList rows;
    for (const HelpPage& page : pages) {
        QStringList kinds;
        for (const HelpBlock& block : page.blocks)
            kinds << kindName(block);
        rows << QStringList{page.id, page.title, page.symbol, kinds.join(' ')}.join('|');
    }
    EXPECT_EQ(
        rows,
        QStringList({
            u"overview|What Cutwright Is|scissors|text bullets"_s,
            u"quickstart|Quick Start|bolt.fill|steps tip"_s,
            u"bin|Media Bin|film.stack|control control control text"_s,
            u"viewer|Reframe Viewer|crop|text control control control control control text"_s,
            u"inspector|Reframe Controls|slider.horizontal.3|"_s +
                QStringList(10, u"control"_s).join(' ') + u" tip control"_s,
            u"timeline|Timeline & Clips Rack|timeline.selection|text bullets text"_s,
            u"export|Batch Export|square.and.arrow.up.on.square.fill|text text text text tip"_s,
            u"keys|Keyboard Shortcuts|keyboard|"_s + QStringList(18, u"key"_s).join(' '),
            u"tips|Tips|lightbulb.fill|bullets"_s,
            u"look|Themes & Zoom|paintpalette.fill|text bullets heading text key key key tip"_s,
            u"about|About MWSO|info.circle.fill|text text text"_s,
        }));
    EXPECT_EQ(pages.mid(0, 9), CWHelp::pages());
    EXPECT_EQ(pages.mid(9), MWCommonHelp::pages(app));
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

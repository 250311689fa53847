#include "help/helpnavigation.h"

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace {

QString listedIds(const QString& search)
{
    QStringList ids;
    for (const HelpPage& page : MWHelp::listedPages(MWHelp::catalogue(u"MWSO Cutwright"_s), search))
        ids << page.id;
    return ids.join(' ');
}

}  // namespace

TEST(HelpSearch, ListsMatchingPagesInCatalogueOrder)
{
    const std::pair<QString, QString> cases[] = {
        // Bullet and key texts are searched, not only titles; the match is any
        // substring, so "widescreen" on the first page answers too.
        {u"\u00a0Esc\t"_s, u"overview timeline keys"_s},
        {u" \t "_s,
         u"overview quickstart bin viewer inspector timeline export keys tips look about"_s},
        {u"batch export"_s, u"export"_s},        // a title only
        {u"ⓧ removes"_s, u"bin"_s},              // control: name, a space, description
        {u"esc deselect"_s, u"keys"_s},          // key: keys, a space, description
        {u"onto it). play"_s, u"quickstart"_s},  // steps joined with single spaces
        {u"interface zoom"_s, u"keys look"_s},   // a heading and a key description
    };
    for (const auto& [search, ids] : cases)
        EXPECT_EQ(listedIds(search), ids) << "search: " << search.toStdString();

    // Opening at a page is walked through the help window's test; an empty
    // catalogue opens nowhere.
    EXPECT_EQ(MWHelp::initialPage({}, QString()), QString());
    EXPECT_EQ(MWHelp::pageWithId({}, QString()), nullptr);
}

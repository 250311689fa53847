#include "help/helpnavigation.h"

#include "help/commonhelp.h"
#include "help/cwhelp.h"

#include <algorithm>

QList<HelpPage> MWHelp::catalogue(const QString& appName)
{
    return CWHelp::pages() + MWCommonHelp::pages(appName);
}

QString MWHelp::initialPage(const QList<HelpPage>& pages, const QString& requested)
{
    if (!requested.isEmpty())
        return requested;
    return pages.isEmpty() ? QString() : pages.first().id;
}

const HelpPage* MWHelp::pageWithId(const QList<HelpPage>& pages, const QString& id)
{
    const auto found =
        std::find_if(pages.cbegin(), pages.cend(), [&](const HelpPage& p) { return p.id == id; });
    return found == pages.cend() ? nullptr : &*found;
}

QString MWHelp::searchQuery(const QString& searchText)
{
    // Only horizontal blanks are trimmed (tab and the space separators, as
    // no-break spaces pasted from a web page); a line break is not a blank here.
    const auto blank = [](QChar c) {
        return c == QLatin1Char('\t') || c.category() == QChar::Separator_Space;
    };
    qsizetype begin = 0;
    qsizetype end = searchText.size();
    while (begin < end && blank(searchText[begin]))
        ++begin;
    while (end > begin && blank(searchText[end - 1]))
        --end;
    return searchText.mid(begin, end - begin).toLower();
}

bool MWHelp::matches(const HelpPage& page, const QString& query)
{
    if (page.title.toLower().contains(query))
        return true;
    return std::any_of(page.blocks.cbegin(), page.blocks.cend(), [&](const HelpBlock& block) {
        return searchableText(block).toLower().contains(query);
    });
}

QList<HelpPage> MWHelp::listedPages(const QList<HelpPage>& pages, const QString& searchText)
{
    const QString query = searchQuery(searchText);
    if (query.isEmpty())
        return pages;
    QList<HelpPage> listed;
    for (const HelpPage& page : pages)
        if (matches(page, query))
            listed.append(page);
    return listed;
}

MWHelp::ViewStart MWHelp::freshView(const QList<HelpPage>& pages, const QString& requested)
{
    return {initialPage(pages, requested), QString()};
}

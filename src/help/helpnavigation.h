#pragma once

#include "help/helpblock.h"

// The help window's choices that need no window: which pages make the manual,
// which page a fresh view shows, and which pages a search lists.
namespace MWHelp {
// The whole manual in order: Cutwright's pages, then the maker's common pages.
QList<HelpPage> catalogue(const QString& appName);

// The page a fresh help view opens at: the requested id, or with none (an empty
// id) the first page's id, or an empty id when there are no pages. An id that
// no page has is kept; the page side then stays empty (see pageWithId).
QString initialPage(const QList<HelpPage>& pages, const QString& requested);

// The page shown for an id, looked up in the whole catalogue rather than the
// search results, so a search never hides the page being read. nullptr if none.
const HelpPage* pageWithId(const QList<HelpPage>& pages, const QString& id);

// The search field's text as the search reads it: spaces and tabs trimmed from
// both ends, lower-cased.
QString searchQuery(const QString& searchText);

// Whether a page answers a search query (already trimmed and lower-cased): its
// title or the searchable text of any of its blocks contains the query.
bool matches(const HelpPage& page, const QString& query);

// The sidebar's list for the search field's text, in catalogue order: every
// page for an empty search, none when nothing matches.
QList<HelpPage> listedPages(const QList<HelpPage>& pages, const QString& searchText);

// What each opening of the help window starts from: it opens at the requested
// page with the search cleared, whatever the window showed before.
struct ViewStart {
    QString selected;
    QString search;
    bool operator==(const ViewStart&) const = default;
};
ViewStart freshView(const QList<HelpPage>& pages, const QString& requested);
}  // namespace MWHelp

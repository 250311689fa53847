#pragma once

#include "help/helpblock.h"

#include <QWidget>

class QLineEdit;
class QScrollArea;
class MWChromeTitle;
class MWHelpPageList;
class MWHelpPageView;
class MWSOCredit;

// The help window's content: a sidebar 250 points wide (× zoom) with the
// chrome title, the search field, the list of matching pages and the maker's
// credit, a divider, and the page shown, scrolling, on the rest. Its states
// last one showing: the window installs a fresh view each time it opens.
class MWHelpView : public QWidget {
    Q_OBJECT
public:
    // Opens at initial, a page id (see MWHelp::freshView), with an empty search.
    MWHelpView(const QList<HelpPage>& pages, const QString& appName, const QString& initial,
               QWidget* parent = nullptr);

    QString appName() const { return appName_; }
    // The page shown on the right.
    QString selected() const { return selected_; }
    void select(const QString& id);
    // The search field's text.
    QString search() const;
    void setSearch(const QString& text);
    // The ids the sidebar lists for the current search, in order.
    QStringList listedIds() const;

    QLineEdit* searchField() const { return search_; }
    MWHelpPageList* pageList() const { return list_; }
    MWHelpPageView* pageView() const { return page_; }
    QScrollArea* pageScroller() const { return pageScroll_; }

private:
    void restyle();
    void filter();

    QList<HelpPage> pages_;
    QString appName_;
    QString selected_;
    QWidget* sidebar_;
    MWChromeTitle* title_;
    QLineEdit* search_;
    MWHelpPageList* list_;
    MWSOCredit* credit_;
    QWidget* divider_;
    MWHelpPageView* page_;
    QScrollArea* pageScroll_;
    QScrollArea* listScroll_ = nullptr;
};

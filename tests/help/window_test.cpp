#include "help/aboutview.h"
#include "help/aboutwindow.h"
#include "help/chrometext.h"
#include "help/commands.h"
#include "help/commonhelp.h"
#include "help/helppagelist.h"
#include "help/helppageview.h"
#include "help/helpview.h"
#include "help/helpwindow.h"
#include "theme/mwui.h"

#include "common/testutil.h"
#include "common/theme_state.h"
#include "common/urlcatcher.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QScrollArea>
#include <QScrollBar>
#include <QSet>
#include <QTest>
#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace {

QAction* item(const QMenu& menu, const QString& text)
{
    for (QAction* action : menu.actions())
        if (action->text() == text)
            return action;
    ADD_FAILURE() << "no menu item " << text.toStdString();
    return nullptr;
}

// The titles shown on the page side, in order (the header's first).
QStringList pageTexts()
{
    QStringList texts;
    for (const QLabel* label : MWHelpWindow::view()->pageView()->findChildren<QLabel*>())
        texts << label->text();
    return texts;
}

const QString helpTitle = u"MWSO Cutwright Help"_s;

}  // namespace

TEST(HelpWindow, OneWindowItsPagesSearchSizeMarkersAndZoom)
{
    themetest::SharedState keep;
    MWUI::shared()->setZoom(1.0);
    QMenu menu;
    MWHelpCommands::addTo(&menu, u"MWSO Cutwright"_s);
    item(menu, helpTitle)->trigger();
    QWidget* window = MWHelpWindow::window();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->windowTitle(), helpTitle);
    EXPECT_EQ(window->minimumSize(), QSize(640, 420));
    EXPECT_EQ(pageTexts().value(0), u"What Cutwright Is"_s);  // without a page: the first
    QWidget* sidebar = MWHelpWindow::view()->searchField()->parentWidget();

    // Closing only hides it; a search filters the list but never changes the page.
    window->close();
    MWHelpWindow::show(u"export"_s);
    EXPECT_EQ(MWHelpWindow::window(), window);
    MWHelpView* view = MWHelpWindow::view();
    QTest::keyClicks(view->searchField(), u"xyzzy"_s);
    EXPECT_TRUE(view->listedIds().isEmpty());
    EXPECT_EQ(view->pageView()->pageId(), u"export"_s);

    // A listed page is picked with a click; the arrow keys walk the listed
    // pages and stop at the ends.
    view->setSearch(u"  ESC "_s);
    MWHelpPageList* list = view->pageList();
    QTest::mouseClick(list, Qt::LeftButton, {}, list->rowRect(u"timeline"_s).center());
    EXPECT_TRUE(pageTexts().contains(u"Timeline & Clips Rack"_s));
    for (const auto& [key, page] : {std::pair{Qt::Key_Down, u"keys"_s},
                                    {Qt::Key_Down, u"keys"_s},
                                    {Qt::Key_Up, u"timeline"_s}}) {
        QTest::keyClick(list, key);
        EXPECT_EQ(view->selected(), page);
    }

    // A menu item over another page opens its page with every page listed, in
    // the same one window.
    item(menu, u"Keyboard Shortcuts"_s)->trigger();
    view = MWHelpWindow::view();
    EXPECT_EQ(view->pageView()->pageId(), u"keys"_s);
    EXPECT_EQ(view->search(), QString());
    EXPECT_EQ(view->listedIds().size(), MWHelpWindow::pages().size());
    item(menu, u"Quick Start"_s)->trigger();
    EXPECT_EQ(MWHelpWindow::view()->selected(), u"quickstart"_s);
    MWHelpWindow::show(u"no-such-page"_s);
    EXPECT_TRUE(pageTexts().isEmpty());

    // A closed window left narrower than its minimum is reset on the next
    // opening; a wide one is kept.
    for (const auto& [left, opened] :
         {std::pair{QSize(500, 400), QSize(900, 640)}, {QSize(1000, 700), QSize(1000, 700)}}) {
        window->close();
        window->setMinimumSize(0, 0);
        window->resize(left);
        MWHelpWindow::show(u"keys"_s);
        EXPECT_EQ(window->size(), opened);
    }

    // Every block kind is drawn with its marker: headings, steps, bullets,
    // keycaps and tips, between them on these pages.
    MWUI::shared()->setZoom(2.0);
    QSet<QString> drawn;
    for (const QString& id : {u"quickstart"_s, u"look"_s, u"keys"_s}) {
        MWHelpWindow::show(id);
        for (const QString& kind : {u"heading"_s, u"step"_s, u"bullet"_s, u"keycap"_s, u"tip"_s})
            if (!MWHelpWindow::view()->pageView()->findChildren<QWidget*>(kind).isEmpty())
                drawn << kind;
    }
    EXPECT_EQ(drawn.size(), 5) << drawn.values().join(' ').toStdString();
    // The keys page at twice the size does not fit the window: it scrolls.
    EXPECT_TRUE(testutil::waitUntil(
        [] { return MWHelpWindow::view()->pageScroller()->verticalScrollBar()->maximum() > 0; },
        5000));

    // The open page and the sidebar follow a change of zoom at once.
    MWUI::shared()->setZoom(1.25);
    QApplication::sendPostedEvents();
    const auto* title = MWHelpWindow::view()->pageView()->findChild<QLabel*>(u"title"_s);
    ASSERT_NE(title, nullptr);
    EXPECT_EQ(title->font().pixelSize(), 30);
    EXPECT_EQ(sidebar->width(), 313);  // 250 × 1.25, rounded
}

TEST(Menus, HelpAndViewItemsZoomAndThemeCommandsAboutAndVisit)
{
    const auto items = [](const QMenu& menu) {
        QStringList list;
        for (const QAction* a : menu.actions())
            list << (a->isSeparator()
                         ? u"-"_s
                         : a->text() + u"|"_s + QKeySequence::listToString(a->shortcuts()));
        return list;
    };
    QMenuBar bar;
    QMenu* help = MWHelpCommands::addTo(&bar, u"MWSO Cutwright"_s);
    EXPECT_EQ(items(*help), QStringList({helpTitle + u"|Ctrl+?; F1"_s, u"Quick Start|"_s,
                                         u"Keyboard Shortcuts|"_s, u"-"_s, u"Visit Marrowick|"_s,
                                         u"-"_s, u"About MWSO Cutwright|"_s}));

    themetest::SharedState keep;
    MWUI::shared()->setTheme(MWTheme::named(u"lavender-violet"_s));
    MWUI::shared()->setZoom(1.0);
    QMenu view;
    MWViewCommands::addTo(&view);
    EXPECT_EQ(
        items(view),
        QStringList({u"Zoom In|Ctrl+="_s, u"Zoom Out|Ctrl+-"_s, u"Actual Size (100%)|Ctrl+0"_s,
                     MWChromeText::zoomLabel(1.0) + u"|"_s, u"-"_s, u"Theme|"_s, u"-"_s}));

    // The zoom label is no command and follows the zoom; the commands step it.
    QAction* label = view.actions().at(3);
    EXPECT_FALSE(label->isEnabled());
    MWUI::shared()->setZoom(1.25);
    EXPECT_EQ(label->text(), MWChromeText::zoomLabel(1.25));
    for (const auto& [command, zoom] :
         {std::pair{u"Zoom Out"_s, 1.1}, {u"Actual Size (100%)"_s, 1.0}, {u"Zoom In"_s, 1.1}}) {
        item(view, command)->trigger();
        EXPECT_DOUBLE_EQ(MWUI::shared()->zoom(), zoom) << command.toStdString();
    }

    // Every finish; the current one checked, following a change made elsewhere.
    QMenu* themes = item(view, u"Theme"_s)->menu();
    ASSERT_NE(themes, nullptr);
    MWUI::shared()->setTheme(MWTheme::named(u"graphite-gray"_s));
    QStringList names, all;  // the checked one marked with a *
    for (const QAction* choice : themes->actions())
        names << choice->text() + (choice->isChecked() ? u"*"_s : QString());
    for (const MWTheme& theme : MWTheme::all())
        all << theme.name + (theme.id == u"graphite-gray"_s ? u"*"_s : QString());
    EXPECT_EQ(names, all);

    // About shows one window (its size is the about-zoom test's).
    QAction* about = item(*help, u"About MWSO Cutwright"_s);
    EXPECT_EQ(about->menuRole(), QAction::AboutRole);
    about->trigger();
    QWidget* window = MWAbout::window();
    about->trigger();
    EXPECT_EQ(MWAbout::window(), window);
    EXPECT_EQ(window->windowTitle(), u"About MWSO Cutwright"_s);
    EXPECT_FALSE(window->windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_EQ(MWAbout::view()->versionText(), MWChromeText::aboutVersionText());
    EXPECT_EQ(MWAbout::view()->appName(), u"MWSO Cutwright"_s);

    // A finish picked in the menu restyles the open about and help windows.
    MWHelpWindow::show(u"quickstart"_s);
    const QImage aboutBefore = window->grab().toImage();
    const QImage helpBefore = MWHelpWindow::window()->grab().toImage();
    item(*themes, u"Anodized Red"_s)->trigger();
    EXPECT_EQ(MWUI::shared()->theme().id, u"anodized-red"_s);
    EXPECT_NE(window->grab().toImage(), aboutBefore);
    EXPECT_NE(MWHelpWindow::window()->grab().toImage(), helpBefore);

    testutil::UrlCatcher catcher;
    item(*help, u"Visit Marrowick"_s)->trigger();
    EXPECT_EQ(catcher.opened, QList<QUrl>{QUrl(MWCommonHelp::makerWebsite())});
}

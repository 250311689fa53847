#include "app/window_fixture_support.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

namespace {

// "text\tshortcut" per item, "-" for a separator.
QStringList items(const QMenu* menu)
{
    QStringList list;
    for (const QAction* a : menu->actions()) {
        if (a->isSeparator())
            list << "-";
        else
            list << a->text() + "\t" + a->shortcut().toString(QKeySequence::PortableText);
    }
    return list;
}

QAction* item(const QMenu* menu, const QString& text)
{
    for (QAction* a : menu->actions()) {
        if (a->text() == text)
            return a;
    }
    ADD_FAILURE() << "no item " << text.toStdString();
    return nullptr;
}

}  // namespace

class MenusTest : public WindowTest {
protected:
    QMenu* menu(const QString& title)
    {
        for (QAction* a : window->menuBar()->actions()) {
            if (a->text() == title)
                return a->menu();
        }
        return nullptr;
    }
};

TEST_F(MenusTest, EveryItemInOrderWithItsShortcut)
{
    QStringList titles;
    for (const QAction* a : window->menuBar()->actions())
        titles << a->text();
    EXPECT_EQ(titles, QStringList({"File", "View", "Clip", "Help"}));

    EXPECT_EQ(items(menu("File")), QStringList({
                                       "Import Videos…\tCtrl+I",
                                       "Export All Clips…\tCtrl+E",
                                       "-",
                                       "Quit\tCtrl+Q",
                                   }));
    EXPECT_EQ(items(menu("Clip")), QStringList({
                                       "Set In\t",
                                       "Set Out\t",
                                       "Add Clip\tCtrl+K",
                                       "-",
                                       "Aspect 9:16 — Reels · TikTok · Shorts\t",
                                       "Aspect 1:1 — Feed posts\t",
                                       "Aspect 4:5 — Instagram / Facebook feed\t",
                                       "Aspect 16:9 — YouTube · web\t",
                                       "Reset Frame\t",
                                       "-",
                                       "Cancel Export\tCtrl+.",
                                   }));
}

TEST_F(MenusTest, ItemsActOnThePublishedStoreOnly)
{
    addSource("/videos/talk.mp4", 60);
    QMenu* clip = menu("Clip");
    store->seek(4);
    item(clip, "Set In")->trigger();
    EXPECT_DOUBLE_EQ(store->inMark(), 0) << "no store is published before the window appears";

    showWindow();
    // Cancel Export without a batch does nothing at all.
    QSignalSpy changed(store, &CWStore::changed);
    item(clip, "Cancel Export")->trigger();
    EXPECT_EQ(changed.count(), 0);
    EXPECT_EQ(services->beeps + services->alerts.size(), 0);

    item(clip, "Set In")->trigger();
    store->seek(9);
    item(clip, "Set Out")->trigger();
    item(clip, "Add Clip")->trigger();
    ASSERT_EQ(store->clips().size(), 1);
    EXPECT_DOUBLE_EQ(store->clips()[0].inTime, 4);
    EXPECT_DOUBLE_EQ(store->clips()[0].outTime, 9);

    item(clip, "Aspect 4:5 — Instagram / Facebook feed")->trigger();
    EXPECT_EQ(store->aspect(), Aspect::portrait);
    EXPECT_EQ(store->clips()[0].aspect, Aspect::portrait);
    store->setZoom(2);
    item(clip, "Reset Frame")->trigger();
    EXPECT_DOUBLE_EQ(store->zoom(), 1);

    item(menu("File"), "Import Videos…")->trigger();
    EXPECT_EQ(services->panels.size(), 1);
    item(menu("File"), "Export All Clips…")->trigger();
    EXPECT_EQ(services->panels.size(), 2);  // the folder panel; answered with none
    EXPECT_FALSE(store->exporting());

    EXPECT_EQ(terminated, 0);
    item(menu("File"), "Quit")->trigger();
    EXPECT_EQ(terminated, 1);
}

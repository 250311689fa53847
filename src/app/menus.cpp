#include "app/menus.h"

#include "help/commands.h"

#include "app/cwapp.h"
#include "help/commands.h"
#include "model/aspect.h"
#include "store/store.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

namespace {

// An item whose command runs on the store, if there is one yet.
QAction* storeItem(QMenu* menu, const QString& text, std::function<void(CWStore&)> command,
                   const QKeySequence& shortcut = {})
{
    QAction* action = menu->addAction(text);
    action->setShortcut(shortcut);
    QObject::connect(action, &QAction::triggered, action, [command = std::move(command)] {
        if (CWStore* store = CWApp::store())
            command(*store);
    });
    return action;
}

void addFileMenu(QMenuBar* bar, const std::function<void()>& quit)
{
    QMenu* menu = bar->addMenu(QStringLiteral("File"));
    menu->setObjectName(QStringLiteral("fileMenu"));
    storeItem(
        menu, QStringLiteral("Import Videos…"), [](CWStore& s) { s.chooseFiles(); },
        QKeySequence(Qt::CTRL | Qt::Key_I));
    storeItem(
        menu, QStringLiteral("Export All Clips…"), [](CWStore& s) { s.exportAll(); },
        QKeySequence(Qt::CTRL | Qt::Key_E));
    menu->addSeparator();
    QAction* quitItem = menu->addAction(QStringLiteral("Quit"));
    quitItem->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    quitItem->setShortcutContext(Qt::ApplicationShortcut);  // from the help window too
    quitItem->setMenuRole(QAction::QuitRole);
    QObject::connect(quitItem, &QAction::triggered, quitItem, [quit] { quit(); });
}

// The View menu: the interface zoom and the finish.
void addViewCommands(QMenuBar* bar)
{
    QMenu* menu = bar->addMenu(QStringLiteral("View"));
    menu->setObjectName(QStringLiteral("viewMenu"));
    MWViewCommands::addTo(menu);
}

void addClipMenu(QMenuBar* bar)
{
    QMenu* menu = bar->addMenu(QStringLiteral("Clip"));
    menu->setObjectName(QStringLiteral("clipMenu"));
    storeItem(menu, QStringLiteral("Set In"), [](CWStore& s) { s.markIn(); });
    storeItem(menu, QStringLiteral("Set Out"), [](CWStore& s) { s.markOut(); });
    // Held down, the shortcut adds one clip, not one per key repeat.
    storeItem(
        menu, QStringLiteral("Add Clip"), [](CWStore& s) { s.addClip(); },
        QKeySequence(Qt::CTRL | Qt::Key_K))
        ->setAutoRepeat(false);
    menu->addSeparator();
    for (const Aspect aspect : allAspects()) {
        storeItem(menu,
                  QStringLiteral("Aspect ") + rawValue(aspect) + QStringLiteral(" — ") +
                      audience(aspect),
                  [aspect](CWStore& s) { s.setAspect(aspect); });
    }
    storeItem(menu, QStringLiteral("Reset Frame"), [](CWStore& s) { s.resetFrame(); });
    menu->addSeparator();
    storeItem(
        menu, QStringLiteral("Cancel Export"), [](CWStore& s) { s.cancelExport(); },
        QKeySequence(Qt::CTRL | Qt::Key_Period));
}

// The Help menu: the help window and About.
void addHelpCommands(QMenuBar* bar)
{
    QMenu* menu = bar->addMenu(QStringLiteral("Help"));
    menu->setObjectName(QStringLiteral("helpMenu"));
    MWHelpCommands::addTo(menu, CWApp::displayName());
}

}  // namespace

void cwBuildMenuBar(QMenuBar* bar, const std::function<void()>& quit)
{
    addFileMenu(bar, quit);
    addViewCommands(bar);
    addClipMenu(bar);
    addHelpCommands(bar);
}

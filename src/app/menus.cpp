#include "app/menus.h"

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

// The Edit menu: Undo and Redo, saying what they would take back.
void addEditMenu(QMenuBar* bar)
{
    QMenu* menu = bar->addMenu(QStringLiteral("Edit"));
    menu->setObjectName(QStringLiteral("editMenu"));
    QAction* undo = storeItem(
        menu, QStringLiteral("Undo"), [](CWStore& s) { s.undo(); },
        QKeySequence(Qt::CTRL | Qt::Key_Z));
    undo->setObjectName(QStringLiteral("undoItem"));
    QAction* redo = storeItem(menu, QStringLiteral("Redo"), [](CWStore& s) { s.redo(); });
    redo->setObjectName(QStringLiteral("redoItem"));
    redo->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
    undo->setEnabled(false);
    redo->setEnabled(false);
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
    storeItem(menu, QStringLiteral("Add Frame Point"), [](CWStore& s) { s.addPoint(); });
    storeItem(menu, QStringLiteral("Remove Frame Point"),
              [](CWStore& s) { s.removePointAtPlayhead(); });
    storeItem(menu, QStringLiteral("Previous Frame Point"), [](CWStore& s) { s.previousPoint(); });
    storeItem(menu, QStringLiteral("Next Frame Point"), [](CWStore& s) { s.nextPoint(); });
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
    addEditMenu(bar);
    addViewCommands(bar);
    addClipMenu(bar);
    addHelpCommands(bar);
}

void cwFollowHistory(QMenuBar* bar, CWStore* store)
{
    auto* undo = bar->findChild<QAction*>(QStringLiteral("undoItem"));
    auto* redo = bar->findChild<QAction*>(QStringLiteral("redoItem"));
    if (!undo || !redo)
        return;
    const auto show = [store, undo, redo] {
        const auto label = [](const QString& verb, const QString& step) {
            return step.isEmpty() ? verb : verb + QLatin1Char(' ') + step;
        };
        undo->setText(label(QStringLiteral("Undo"), store->undoLabel()));
        undo->setEnabled(store->canUndo());
        redo->setText(label(QStringLiteral("Redo"), store->redoLabel()));
        redo->setEnabled(store->canRedo());
    };
    QObject::connect(store, &CWStore::historyChanged, undo, show);
    show();
}

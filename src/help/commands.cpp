#include "help/commands.h"

#include "help/aboutwindow.h"
#include "help/chrometext.h"
#include "help/helpwindow.h"
#include "theme/badge.h"
#include "theme/mwui.h"

#include <QActionGroup>
#include <QDesktopServices>
#include <QMenu>
#include <QMenuBar>
#include <QUrl>

using namespace Qt::Literals::StringLiterals;

void MWHelpCommands::addTo(QMenu* help, const QString& appName)
{
    QAction* manual = help->addAction(appName + u" Help"_s, [] { MWHelpWindow::show(); });
    manual->setShortcuts({QKeySequence(u"Ctrl+?"_s), QKeySequence(Qt::Key_F1)});
    // Help opens from every window of the program, the help window itself included.
    manual->setShortcutContext(Qt::ApplicationShortcut);
    help->addAction(u"Quick Start"_s, [] { MWHelpWindow::show(u"quickstart"_s); });
    help->addAction(u"Keyboard Shortcuts"_s, [] { MWHelpWindow::show(u"keys"_s); });
    help->addSeparator();
    help->addAction(u"Visit Marrowick"_s,
                    [] { QDesktopServices::openUrl(QUrl(QString::fromLatin1(kMarrowickSite))); });
    help->addSeparator();
    QAction* about = help->addAction(u"About "_s + appName, [appName] { MWAbout::show(appName); });
    about->setMenuRole(QAction::AboutRole);
}

QMenu* MWHelpCommands::addTo(QMenuBar* bar, const QString& appName)
{
    QMenu* help = bar->addMenu(u"&Help"_s);
    addTo(help, appName);
    return help;
}

void MWViewCommands::addTo(QMenu* view, MWUI* ui)
{
    if (!ui)
        ui = MWUI::shared();
    QAction* in = view->addAction(u"Zoom In"_s, ui, &MWUI::zoomIn);
    in->setShortcut(QKeySequence(u"Ctrl+="_s));
    QAction* out = view->addAction(u"Zoom Out"_s, ui, &MWUI::zoomOut);
    out->setShortcut(QKeySequence(u"Ctrl+-"_s));
    QAction* actual = view->addAction(u"Actual Size (100%)"_s, ui, &MWUI::resetZoom);
    actual->setShortcut(QKeySequence(u"Ctrl+0"_s));
    // The zoom is the whole program's: its keys work in the help and about
    // windows too, whose pages say so.
    for (QAction* zoom : {in, out, actual})
        zoom->setShortcutContext(Qt::ApplicationShortcut);

    QAction* label = view->addAction(MWChromeText::zoomLabel(ui->zoom()));
    label->setEnabled(false);
    QObject::connect(ui, &MWUI::zoomChanged, label,
                     [label](double zoom) { label->setText(MWChromeText::zoomLabel(zoom)); });
    view->addSeparator();

    QMenu* themes = view->addMenu(u"Theme"_s);
    auto* choice = new QActionGroup(themes);
    choice->setExclusive(true);
    for (const MWTheme& theme : MWTheme::all()) {
        QAction* item = themes->addAction(theme.name);
        item->setCheckable(true);
        item->setData(theme.id);
        item->setChecked(theme == ui->theme());
        choice->addAction(item);
        QObject::connect(item, &QAction::triggered, ui,
                         [ui, id = theme.id] { ui->setTheme(MWTheme::named(id)); });
    }
    // The check follows the finish however it was chosen.
    QObject::connect(ui, &MWUI::themeChanged, choice, [choice](const MWTheme& theme) {
        for (QAction* item : choice->actions())
            item->setChecked(item->data().toString() == theme.id);
    });
    view->addSeparator();
}

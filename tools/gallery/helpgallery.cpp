// Pictures of the help and about windows for looking at: the help window on
// six pages, searching, and the about window, in two finishes at 100 %, 150 % and 200 %.
//   cw_help_gallery OUTPUT_FOLDER
#include "help/aboutwindow.h"
#include "help/helpview.h"
#include "help/helpwindow.h"
#include "theme/mwui.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QWidget>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Marrowick"));
    QApplication::setApplicationName(QStringLiteral("CutwrightGallery"));
    if (argc < 2)
        return 2;
    const QDir out(QString::fromLocal8Bit(argv[1]));
    if (!QDir().mkpath(out.path()))
        return 1;
    const auto save = [&](QWidget* window, const QString& name) {
        // Twice: the page's scroll bar settles a round after the layout.
        QApplication::processEvents();
        QApplication::processEvents();
        return window->grab().save(out.filePath(name + QStringLiteral(".png")));
    };
    bool ok = true;
    for (const QString& theme : {QStringLiteral("gunmetal-blue"), QStringLiteral("rose-gold")}) {
        MWUI::shared()->setTheme(MWTheme::named(theme));
        for (const double zoom : {1.0, 1.5, 2.0}) {
            MWUI::shared()->setZoom(zoom);
            const QString suffix = QStringLiteral("-%1-%2").arg(theme).arg(int(zoom * 100));
            for (const QString& page :
                 {QStringLiteral("quickstart"), QStringLiteral("timeline"), QStringLiteral("keys"), QStringLiteral("look"),
                  QStringLiteral("inspector"), QStringLiteral("viewer")}) {
                MWHelpWindow::show(page);
                ok &= save(MWHelpWindow::window(), QStringLiteral("help-") + page + suffix);
            }
            MWHelpWindow::show(QStringLiteral("timeline"));
            MWHelpWindow::view()->setSearch(QStringLiteral("esc"));
            ok &= save(MWHelpWindow::window(), QStringLiteral("help-search") + suffix);
            MWAbout::show(QStringLiteral("MWSO Cutwright"));
            ok &= save(MWAbout::window(), QStringLiteral("about") + suffix);
        }
    }
    return ok ? 0 : 1;
}

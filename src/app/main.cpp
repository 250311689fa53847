#include "app/cwapp.h"
#include "app/delegate.h"
#include "app/instance.h"
#include "app/mainwindow.h"
#include "app/unixsignals.h"
#include "help/chrometext.h"
#include "model/mwerror.h"
#include "platform/launchtrace.h"
#include "platform/mpvplayer.h"
#include "platform/services.h"
#include "store/store.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QIcon>
#include <clocale>

namespace {

// The icon installed for the menu entry, found beside the program in the
// build tree and the installed tree alike; the desktop's theme otherwise.
QIcon applicationIcon()
{
    QIcon icon;
    const QString root =
        QApplication::applicationDirPath() + QStringLiteral("/../share/icons/hicolor");
    for (const int size : {16, 24, 32, 48, 64, 128, 256, 512}) {
        const QString png =
            QStringLiteral("%1/%2x%2/apps/%3.png").arg(root).arg(size).arg(CWApp::id());
        if (QFileInfo::exists(png))
            icon.addFile(png, QSize(size, size));
    }
    return icon.isNull() ? QIcon::fromTheme(CWApp::id()) : icon;
}

}  // namespace

int main(int argc, char** argv)
{
    CWLaunchTrace::begin();
    QApplication app(argc, argv);
    CWLaunchTrace::mark("application");
    cwNameApplication();
    QApplication::setApplicationDisplayName(CWApp::displayName());
    QApplication::setApplicationVersion(MWChromeText::buildVersion());
    QGuiApplication::setDesktopFileName(CWApp::id());
    QApplication::setWindowIcon(applicationIcon());
    // libmpv refuses to start unless numbers are formatted the C way.
    std::setlocale(LC_NUMERIC, "C");

    // The command line is the desktop's way of handing files over (Exec=cutwright %F).
    const QStringList files = cwFilesFromArguments(QApplication::arguments().mid(1));
    CWInstance instance(
        CWApp::id(),
        QFileInfo(CWStore::sessionURL()).dir().filePath(QStringLiteral("session.lock")));
    switch (instance.start(files)) {
    case CWInstance::Outcome::first:
        break;
    case CWInstance::Outcome::handedOver:
        return 0;
    case CWInstance::Outcome::locked:
        MWAlert::show(CWInstance::lockedTitle(), instance.lockedMessage());
        return 1;
    }

    CWLaunchTrace::mark("single instance");
    CWDelegate delegate;
    delegate.open(files);
    // Closing the window is a quit request like any other (it may ask first).
    QApplication::setQuitOnLastWindowClosed(false);
    QObject::connect(&app, &QCoreApplication::aboutToQuit, &delegate, &CWDelegate::willTerminate);

    Player* player = nullptr;
    try {
        player = new MWMpvPlayer({.video = true, .audio = true});
    } catch (const MWError& error) {
        MWAlert::show(error.message, QString());
        return 1;
    }
    CWLaunchTrace::mark("player");
    CWMainWindow window(new CWStore(player), &delegate);
    CWLaunchTrace::mark("window built");
    QObject::connect(&instance, &CWInstance::opened, &window, [&](const QStringList& paths) {
        window.bringToFront();
        delegate.open(paths);
    });
    // After the player: libmpv puts the default handlers back when it starts.
    CWUnixSignals unixSignals;
    QObject::connect(&unixSignals, &CWUnixSignals::received, &delegate,
                     [&delegate] { delegate.requestQuit(CWDelegate::QuitBy::signal); });
    window.show();
    CWLaunchTrace::mark("window shown");
    return app.exec();
}

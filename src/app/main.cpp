#include "app/mainwindow.h"
#include "platform/services.h"

#include <QApplication>
#include <clocale>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    cwNameApplication();
    QApplication::setApplicationDisplayName(QStringLiteral("MWSO Cutwright"));
    QApplication::setApplicationVersion(QStringLiteral(CW_VERSION));
    // libmpv refuses to start unless numbers are formatted the C way.
    std::setlocale(LC_NUMERIC, "C");

    CWMainWindow window;
    window.show();
    return app.exec();
}

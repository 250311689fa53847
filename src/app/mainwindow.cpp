#include "app/mainwindow.h"

CWMainWindow::CWMainWindow(QWidget* parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("main"));
    setWindowTitle(QStringLiteral("MWSO Cutwright"));
    resize(1280, 800);
}

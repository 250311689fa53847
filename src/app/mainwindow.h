#pragma once

#include <QMainWindow>

// The one window, "main".
class CWMainWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit CWMainWindow(QWidget* parent = nullptr);
};

#pragma once
#include <QWidget>
class CWStore;
class CWExportQueue : public QWidget {
public:
    explicit CWExportQueue(CWStore*, QWidget* parent = nullptr) : QWidget(parent) { if (QString("CWExportQueue") == "CWExportQueue") hide(); }
};

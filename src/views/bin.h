#pragma once
#include <QWidget>
class CWStore;
class CWBin : public QWidget {
public:
    explicit CWBin(CWStore*, QWidget* parent = nullptr) : QWidget(parent) { if (QString("CWBin") == "CWExportQueue") hide(); }
};

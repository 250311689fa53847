#pragma once
#include <QWidget>
class CWStore;
class CWInspector : public QWidget {
public:
    explicit CWInspector(CWStore*, QWidget* parent = nullptr) : QWidget(parent) { if (QString("CWInspector") == "CWExportQueue") hide(); }
};

#pragma once

#include <QPixmap>
#include <QWidget>

class QLabel;
class MWSOCredit;

// The application's icon drawn with the kit: the scissors in the accent on a
// dark screen framed in polished metal, side points across at ratio dpr.
QPixmap mwAppIcon(double side, double dpr = 1.0);

// The about window's content, a centred stack: the application's icon 96
// points across, the name in heavy 20-point type, "Version X (build Y)" dimmed
// in 11-point type, and the maker's credit. It follows the finish and the zoom.
class MWAboutView : public QWidget {
    Q_OBJECT
public:
    explicit MWAboutView(const QString& appName, QWidget* parent = nullptr);

    QString appName() const { return appName_; }
    // The version line as shown.
    QString versionText() const;

private:
    void restyle();

    QString appName_;
    QLabel* icon_;
    QLabel* name_;
    QLabel* version_;
    MWSOCredit* credit_;
};

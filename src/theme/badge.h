#pragma once

#include <QString>
#include <QWidget>

// The maker's web site, opened by MWSOCredit.
inline constexpr const char* kMarrowickSite = "https://marrowick.example/";

// The maker's mark: "MWSO" in the rounded design on a chrome capsule.
class MWSOBadge : public QWidget {
    Q_OBJECT
public:
    explicit MWSOBadge(QWidget* parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;
};

// The badge and the maker's name "Marrowick", with a tooltip; a click (or Enter
// or Space with the keyboard focus) opens the maker's web site in the browser
// through QDesktopServices.
class MWSOCredit : public QWidget {
    Q_OBJECT
public:
    explicit MWSOCredit(QWidget* parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }
    // Opens the site, as a click does (a screen reader's press does too).
    void open();

signals:
    // The site was asked to open.
    void opened();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void placeBadge();

    MWSOBadge* badge_;
    bool hovered_ = false;
};

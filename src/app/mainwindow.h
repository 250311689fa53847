#pragma once

#include <QMainWindow>

class CWDelegate;
class CWStore;

// The one window, "main", and its root: it owns the store and, when it first
// appears, publishes it as CWApp::store(), starts the restore, installs the key
// handler and lets the delegate hand over the files it kept.
class CWMainWindow : public QMainWindow {
    Q_OBJECT
public:
    // Takes the store (made with the run's one player).
    CWMainWindow(CWStore* store, CWDelegate* delegate, QWidget* parent = nullptr);
    ~CWMainWindow() override;

    CWStore* store() const { return store_; }
    // Shows the window in front of the others (a second launch handed files over).
    void bringToFront();
    // Grows the window toward the layout's size at the current zoom, as far as
    // the screen's free area allows; never shrinks it.
    void growToZoom();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    CWStore* store_;
    CWDelegate* delegate_;
    bool appeared_ = false;
    double zoom_;
};

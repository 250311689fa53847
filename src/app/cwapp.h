#pragma once

#include <QPointer>
#include <QString>

class CWStore;

// The application: its names and the one application-wide reference to the store.
class CWApp {
public:
    // The name the user sees, on the window, the menus and the alerts.
    static QString displayName() { return QStringLiteral("MWSO Cutwright"); }
    // The desktop's name for the application: the .desktop file, the AppStream
    // component and the well-known name on the session bus.
    static QString id() { return QStringLiteral("com.marrowick.Cutwright"); }

    // The one store once the window has first appeared; nullptr before that and
    // after the store has gone. Menu commands, the key handler and the
    // hand-over of files read it and do nothing while it is empty.
    static CWStore* store() { return store_.data(); }
    // Only the main window assigns it, when it first appears.
    static void publish(CWStore* store) { store_ = store; }

private:
    static inline QPointer<CWStore> store_;
};

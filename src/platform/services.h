#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

// Sets the organisation and application names that Qt derives the session,
// cache and preferences folders from; every program of the project calls it
// right after making its application object.
void cwNameApplication();

// Hands the pages of freed memory back to the system, soon, on a worker thread. The filmstrip's
// decoders free their frames in between the images that stay, on worker threads whose heaps only
// ever shrink from the top: after a run of imports the holes would stay resident for the rest of
// the session.
void cwReleaseFreedMemory();

// What the store asks of the desktop: panels, alerts, the file browser, the
// alert sound, the processor count and bookmarks. Tests answer with a script.
class CWServices {
public:
    virtual ~CWServices() = default;

    // A modal open panel for several videos; the chosen paths in order, empty when cancelled.
    virtual QStringList chooseVideos(const QString& message, const QStringList& extensions) = 0;
    // A modal open panel for one subtitle file, starting in folder; nothing when cancelled.
    virtual std::optional<QString> chooseSubtitles(const QString& message, const QString& folder) = 0;
    // A modal folder panel; nothing when cancelled.
    virtual std::optional<QString> chooseFolder(const QString& prompt, const QString& message,
                                                const QString& initialFolder) = 0;
    // A warning with one "OK" button (MWAlert::show).
    virtual void alert(const QString& title, const QString& message) = 0;
    // A question whose yes is the button named action, beside "Cancel"; true for yes.
    virtual bool ask(const QString& title, const QString& message, const QString& action) = 0;
    // Selects the files in a file-browser window.
    virtual void reveal(const QStringList& files) = 0;
    virtual void beep() = 0;
    virtual int processorCount() = 0;
    // A persistent reference to a file; Linux has none, so nothing is made.
    virtual std::optional<QByteArray> makeBookmark(const QString& path) = 0;
    // The file a bookmark points at; nothing when it cannot be resolved.
    virtual std::optional<QString> resolveBookmark(const QByteArray& bookmark) = 0;
};

// The real desktop: Qt's dialogs, FileManager1 over D-Bus, QApplication::beep.
class CWDesktopServices : public CWServices {
public:
    QStringList chooseVideos(const QString& message, const QStringList& extensions) override;
    std::optional<QString> chooseSubtitles(const QString& message, const QString& folder) override;
    std::optional<QString> chooseFolder(const QString& prompt, const QString& message,
                                        const QString& initialFolder) override;
    void alert(const QString& title, const QString& message) override;
    bool ask(const QString& title, const QString& message, const QString& action) override;
    void reveal(const QStringList& files) override;
    void beep() override;
    int processorCount() override;
    std::optional<QByteArray> makeBookmark(const QString& path) override;
    std::optional<QString> resolveBookmark(const QByteArray& bookmark) override;
};

namespace MWAlert {
// A warning-style modal alert: title as its text, message as its informative
// text, one "OK" button. On the main thread it waits until dismissed; from any
// other thread it is posted to the main thread and the caller goes on.
void show(const QString& title, const QString& message);
}  // namespace MWAlert

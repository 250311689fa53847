#pragma once

#include <QObject>
#include <QStringList>
#include <memory>

class QLockFile;

// One running Cutwright per user: two would each restore the session and the
// last to write it would delete the other's clips. The first launch takes a
// well-known name on the session bus and a lock next to the session file; a
// later launch hands its files to the first over the bus and ends.
class CWInstance : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "com.marrowick.Cutwright")
public:
    enum class Outcome {
        first,       // this process runs: it owns the name (where there is a bus) and the lock
        handedOver,  // another one runs and has the files: exit 0
        locked,      // another one holds the session and could not be reached: explain and exit
    };

    explicit CWInstance(QString busName, QString lockPath, QObject* parent = nullptr);
    ~CWInstance() override;

    Outcome start(const QStringList& files);

    // The alert of a launch that found the session held (Outcome::locked).
    static QString lockedTitle();
    QString lockedMessage() const;

public slots:
    // Called over the bus by a later launch.
    Q_SCRIPTABLE void Open(const QStringList& paths);

signals:
    // A later launch asked for the window, with its files (possibly none).
    void opened(const QStringList& paths);

private:
    bool takeLock();

    QString busName_;
    QString lockPath_;
    std::unique_ptr<QLockFile> lock_;
    qint64 holder_ = 0;
};

// The paths of the command line's arguments, made absolute (file:// URLs
// become paths): a later launch runs in another folder than the first.
QStringList cwFilesFromArguments(const QStringList& arguments);

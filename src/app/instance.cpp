#include "app/instance.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>
#include <QFileInfo>
#include <QLockFile>
#include <QUrl>

namespace {
const QString objectPath = QStringLiteral("/com/marrowick/Cutwright");
const QString interfaceName = QStringLiteral("com.marrowick.Cutwright");
}  // namespace

CWInstance::CWInstance(QString busName, QString lockPath, QObject* parent)
    : QObject(parent), busName_(std::move(busName)), lockPath_(std::move(lockPath))
{}

CWInstance::~CWInstance()
{
    if (lock_)
        lock_->unlock();
}

CWInstance::Outcome CWInstance::start(const QStringList& files)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (bus.isConnected() && bus.interface()) {
        const QDBusReply<QDBusConnectionInterface::RegisterServiceReply> reply =
            bus.interface()->registerService(busName_, QDBusConnectionInterface::DontQueueService,
                                             QDBusConnectionInterface::DontAllowReplacement);
        if (reply.isValid() && reply.value() == QDBusConnectionInterface::ServiceRegistered) {
            bus.registerObject(objectPath, this, QDBusConnection::ExportScriptableSlots);
        } else {
            QDBusMessage call = QDBusMessage::createMethodCall(busName_, objectPath, interfaceName,
                                                               QStringLiteral("Open"));
            call << files;
            const QDBusMessage answer = bus.call(call, QDBus::Block, 10000);
            if (answer.type() == QDBusMessage::ReplyMessage)
                return Outcome::handedOver;
            // The owner did not answer (it hangs or has just ended): the lock decides.
        }
    }
    // Also with a bus: a copy started outside this desktop session (another
    // bus, or none) must not write the same session file either.
    return takeLock() ? Outcome::first : Outcome::locked;
}

bool CWInstance::takeLock()
{
    lock_ = std::make_unique<QLockFile>(lockPath_);
    // Only a live holder counts: a lock left by a crash is taken over at once.
    lock_->setStaleLockTime(0);
    if (lock_->tryLock(0))
        return true;
    QString host;
    QString app;
    lock_->getLockInfo(&holder_, &host, &app);
    lock_.reset();
    return false;
}

QString CWInstance::lockedTitle()
{
    return QStringLiteral("MWSO Cutwright is already running");
}

QString CWInstance::lockedMessage() const
{
    QString who = holder_ > 0 ? QStringLiteral(" (process %1)").arg(holder_) : QString();
    return QStringLiteral("Another Cutwright%1 has your session open and could not be reached. "
                          "Only one may run at a time, so that neither writes over the other's "
                          "clips. Switch to it, or quit it and open Cutwright again.")
        .arg(who);
}

void CWInstance::Open(const QStringList& paths)
{
    emit opened(paths);
}

QStringList cwFilesFromArguments(const QStringList& arguments)
{
    QStringList files;
    for (const QString& argument : arguments) {
        if (argument.isEmpty())
            continue;
        const QUrl url(argument);
        const QString path = url.isLocalFile() ? url.toLocalFile() : argument;
        files << QFileInfo(path).absoluteFilePath();
    }
    return files;
}

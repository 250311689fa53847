#include "platform/services.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QThread>
#include <QThreadPool>
#include <QUrl>
#ifdef __GLIBC__
#include <malloc.h>
#endif

QStringList CWDesktopServices::chooseVideos(const QString& message, const QStringList& extensions)
{
    QStringList patterns;
    for (const QString& ext : extensions)
        patterns << QStringLiteral("*.") + ext << QStringLiteral("*.") + ext.toUpper();
    QFileDialog dialog(QApplication::activeWindow(), message);
    dialog.setFileMode(QFileDialog::ExistingFiles);
    dialog.setNameFilters(
        {QStringLiteral("Videos (%1)").arg(patterns.join(u' ')), QStringLiteral("All files (*)")});
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return dialog.selectedFiles();
}

std::optional<QString> CWDesktopServices::chooseSubtitles(const QString& message,
                                                          const QString& folder)
{
    QFileDialog dialog(QApplication::activeWindow(), message, folder);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters({QStringLiteral("Subtitles (*.srt *.vtt *.ass *.ssa *.SRT *.VTT *.ASS *.SSA)"),
                           QStringLiteral("All files (*)")});
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().first();
}

std::optional<QString> CWDesktopServices::chooseFolder(const QString& prompt,
                                                       const QString& message,
                                                       const QString& initialFolder)
{
    QFileDialog dialog(QApplication::activeWindow(), message, initialFolder);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    dialog.setLabelText(QFileDialog::Accept, prompt);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().first();
}

void CWDesktopServices::alert(const QString& title, const QString& message)
{
    MWAlert::show(title, message);
}

void CWDesktopServices::reveal(const QStringList& files)
{
    if (files.isEmpty())
        return;
    QStringList uris;
    for (const QString& f : files)
        uris << QUrl::fromLocalFile(f).toString();
    // The freedesktop file-manager interface selects the files; without it, open the folder.
    QDBusConnection bus = QDBusConnection::sessionBus();
    const QString service = QStringLiteral("org.freedesktop.FileManager1");
    if (bus.isConnected() && bus.interface() && bus.interface()->isServiceRegistered(service)) {
        QDBusMessage call =
            QDBusMessage::createMethodCall(service, QStringLiteral("/org/freedesktop/FileManager1"),
                                           service, QStringLiteral("ShowItems"));
        call << uris << QString();
        if (bus.send(call))
            return;
    }
    QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(files.first()).absolutePath()));
}

void CWDesktopServices::beep()
{
    QApplication::beep();
}

int CWDesktopServices::processorCount()
{
    return QThread::idealThreadCount();
}

bool CWDesktopServices::ask(const QString& title, const QString& message, const QString& action)
{
    QMessageBox box(QMessageBox::Question, title, title, QMessageBox::NoButton,
                    QApplication::activeWindow());
    box.setInformativeText(message);
    QPushButton* yes = box.addButton(action, QMessageBox::AcceptRole);
    box.addButton(QMessageBox::Cancel);
    box.setDefaultButton(yes);
    box.exec();
    return box.clickedButton() == yes;
}

std::optional<QByteArray> CWDesktopServices::makeBookmark(const QString&)
{
    return std::nullopt;
}

std::optional<QString> CWDesktopServices::resolveBookmark(const QByteArray&)
{
    return std::nullopt;
}

namespace MWAlert {

void show(const QString& title, const QString& message)
{
    auto present = [title, message] {
        QMessageBox box(QMessageBox::Warning, title, title, QMessageBox::Ok,
                        QApplication::activeWindow());
        box.setInformativeText(message);
        box.exec();
    };
    if (QThread::currentThread() == qApp->thread())
        present();
    else
        QMetaObject::invokeMethod(qApp, present, Qt::QueuedConnection);
}

}  // namespace MWAlert

void cwNameApplication()
{
    QCoreApplication::setOrganizationName(QStringLiteral("Marrowick"));
    QCoreApplication::setApplicationName(QStringLiteral("Cutwright"));
}

void cwReleaseFreedMemory()
{
#ifdef __GLIBC__
    // Off the main thread: walking every heap takes tens of milliseconds
    // after a large restore, a visible hitch in the window.
    QThreadPool::globalInstance()->start([] { malloc_trim(0); });
#endif
}

#pragma once

#include <QDir>
#include <QFile>
#include <QProcessEnvironment>
#include <QStringList>
#include <QTemporaryDir>

// The environment of a desktop session whose home is home: the XDG folders
// (and any extra folders) inside it, the X platform, the program's own
// converter.
inline QProcessEnvironment privateHome(const QTemporaryDir& home, const QStringList& extra = {})
{
    for (const QString& dir : QStringList{"data", "config", "cache", "runtime"} + extra)
        QDir(home.path()).mkpath(dir);
    QFile::setPermissions(home.filePath("runtime"),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("HOME", home.path());
    env.insert("XDG_DATA_HOME", home.filePath("data"));
    env.insert("XDG_CONFIG_HOME", home.filePath("config"));
    env.insert("XDG_CACHE_HOME", home.filePath("cache"));
    env.insert("XDG_RUNTIME_DIR", home.filePath("runtime"));
    env.insert("QT_QPA_PLATFORM", "xcb");
    env.remove("CUTWRIGHT_CONVERTER");
    return env;
}

#pragma once

#include "platform/services.h"

#include <QList>
#include <QPair>

// The desktop as a test scripts it: panels answer with what the test put in,
// alerts, reveals and beeps are recorded.
class ScriptedServices : public CWServices {
public:
    QStringList chooseVideos(const QString& message, const QStringList&) override
    {
        panels.append(message);
        return videos;
    }
    std::optional<QString> chooseSubtitles(const QString& message, const QString&) override
    {
        panels.append(message);
        return subtitles;
    }
    std::optional<QString> chooseFolder(const QString& prompt, const QString& message,
                                        const QString& initialFolder) override
    {
        panels.append(prompt + QStringLiteral(" | ") + message);
        initialFolders.append(initialFolder);
        return folder;
    }
    void alert(const QString& title, const QString& message) override
    {
        alerts.append({title, message});
    }
    bool ask(const QString& title, const QString&, const QString& action) override
    {
        questions.append(title + QStringLiteral(" | ") + action);
        return answer;
    }
    void reveal(const QStringList& files) override { revealed.append(files); }
    void beep() override { ++beeps; }
    int processorCount() override { return cores; }
    std::optional<QByteArray> makeBookmark(const QString&) override { return std::nullopt; }
    std::optional<QString> resolveBookmark(const QByteArray&) override { return std::nullopt; }

    QStringList videos;
    std::optional<QString> subtitles;
    std::optional<QString> folder;
    int cores = 8;
    bool answer = true;  // to every question

    QStringList panels;
    QStringList initialFolders;
    QStringList questions;  // "title | action"
    QList<QPair<QString, QString>> alerts;
    QList<QStringList> revealed;
    int beeps = 0;
};

#pragma once

#include "model/clip.h"

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>
#include <optional>

// The session document: which videos were imported and every clip cut from them.
struct CWSession {
    struct Source {
        QString id;
        QString path;  // the file the user imported, never a converted copy
        std::optional<QByteArray> bookmark;
        std::optional<bool> trimBorders;  // missing reads as on
        std::optional<Captions::Attachment> captions{};  // missing: none attached

        bool operator==(const Source&) const = default;
    };

    std::optional<int> version;
    std::optional<QList<Source>> sources;
    std::optional<QMap<QString, QString>> files;  // older layout: id → path; never written
    QList<Clip> clips;

    // Compact JSON in field order; version is always written as 2.
    QByteArray encode() const;
    // All or nothing: malformed JSON, a missing "clips", a bad clip or a source
    // without "id" or "path" yields nothing.
    static std::optional<CWSession> decode(const QByteArray& bytes);

    // The sources a reader restores: "sources" when present, else "files" by path.
    QList<Source> allSources() const;
};

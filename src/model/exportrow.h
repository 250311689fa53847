#pragma once

#include <QString>
#include <QUuid>
#include <optional>

// One line of the export queue.
struct ExportRow {
    QUuid id;      // the clip being exported
    QString name;  // the output file's name
    double progress = 0;
    QString state = QStringLiteral("Waiting");
    std::optional<QString> file;  // path of the written file, once there is one

    bool operator==(const ExportRow&) const = default;
};

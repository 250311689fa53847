#pragma once

#include "model/aspect.h"

#include <QJsonValue>
#include <QString>
#include <QUuid>
#include <optional>

class JsonText;

// One clip cut from a source: a range, a shape and a crop frame.
struct Clip {
    QUuid id;
    QUuid sourceID;
    QString name;
    double inTime = 0;
    double outTime = 0;
    Aspect aspect = Aspect::vertical;
    double zoom = 1.0;
    double centerX = 0.5;  // fraction of the whole upright picture's width
    double centerY = 0.5;  // fraction of its height

    bool operator==(const Clip&) const = default;

    void write(JsonText& json) const;
    // Nothing when a key is missing, of the wrong type, or the aspect is not one of the four.
    static std::optional<Clip> fromJson(const QJsonValue& value);
};

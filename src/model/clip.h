#pragma once

#include "model/aspect.h"
#include "model/captions.h"
#include "model/framepath.h"

#include <QJsonValue>
#include <QString>
#include <QUuid>
#include <optional>
#include <vector>

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
    // Where the frame moves within the clip, sorted by time; empty: the frame
    // above holds for the whole clip. With points, the frame above is the first
    // point's (see FramePath::mirrorFirstPoint).
    std::vector<FramePoint> points{};
    // The source's captions burned into the picture; off, the clip is
    // exported exactly as a clip without captions.
    bool captions = false;
    Captions::Style captionStyle{};

    bool operator==(const Clip&) const = default;

    void write(JsonText& json) const;
    // Nothing when a key is missing, of the wrong type, or the aspect is not one
    // of the four. The optional frame points are taken as far as they are
    // sound (see FramePath::sanitized); a broken list costs only the points.
    static std::optional<Clip> fromJson(const QJsonValue& value);
};

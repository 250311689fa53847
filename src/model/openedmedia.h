#pragma once

#include <QSizeF>
#include <QString>
#include <QTransform>
#include <memory>
#include <optional>

class MWAsset;  // the platform's opened media, see platform/asset.h

// One opened media file: what the editor needs to know of it.
struct MWOpenedMedia {
    QString original;  // the user's file, also when a converted copy is played
    QString playable;  // the file actually opened: original or the cached copy
    std::shared_ptr<const MWAsset> asset;
    double duration = 0;
    bool hasVideo = false;
    bool hasAudio = false;
    QSizeF naturalSize;             // displayed (upright) size; (0, 0) without a picture
    QTransform preferredTransform;  // the track's orientation; identity without a picture
    float nominalFrameRate = 30;
    bool converted = false;
    std::optional<QString> note;
};

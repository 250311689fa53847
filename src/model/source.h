#pragma once

#include "model/captions.h"
#include "model/openedmedia.h"

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QRectF>
#include <QUuid>
#include <memory>
#include <optional>
#include <utility>

// A filmstrip frame: the time asked for and the picture.
using Thumb = std::pair<double, QImage>;

// One imported video in the media bin.
struct CWSource {
    QUuid id;
    MWOpenedMedia media;
    QList<Thumb> thumbs;  // in time order
    std::optional<QByteArray> bookmark;
    std::optional<QRectF> picture;  // the picture inside burned-in black bars, source pixels
    bool trimBorders = true;        // exports stay inside picture
    // The captions attached (empty: none), what was read from them (null while
    // reading, or when they could not be read: then captionsProblem says why),
    // and the subtitle tracks inside the video.
    Captions::Attachment captions{};
    std::shared_ptr<const Captions::Cues> cues{};
    QString captionsProblem{};
    QList<Captions::Track> tracks{};
};

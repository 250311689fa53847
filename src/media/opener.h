#pragma once

#include "media/converter.h"
#include "model/openedmedia.h"

#include <QCoroTask>
#include <QString>
#include <memory>
#include <optional>

class MWAsset;

// Turns a file chosen by the user into an MWOpenedMedia: opened directly when
// the player can take it, else converted into the cache folder first (a copy
// made earlier for the same unchanged file is reused). The user's file is
// never written.
namespace MWMediaOpener {

// Opens path (an absolute file path). wantVideo: a picture is needed, so an
// audio-only file is an error. status reports conversion on the main thread;
// nothing is reported for files opened directly or reused copies. Start it on
// the main thread; it never blocks the event loop. Throws MWError with a
// sentence for the user. Opens that would
// write the same cached copy run one after the other: the later one reuses the
// copy the earlier one made, or fails as it failed.
QCoro::Task<MWOpenedMedia> open(QString path, bool wantVideo, MWStatus status);

// Opens one file with libav and builds the record; original, converted and
// note are copied into it. Throws MWError with one of the internal markers
// "not readable", "no video" and "bad video size", or libav's own error.
QCoro::Task<MWOpenedMedia> inspect(QString path, QString original, bool converted,
                                   std::optional<QString> note, bool wantVideo);

// The record inspect() builds from an opened asset (same markers).
MWOpenedMedia inspected(std::shared_ptr<const MWAsset> asset, const QString& original,
                        bool converted, const std::optional<QString>& note, bool wantVideo);

// ~/.cache/Marrowick/Cutwright/Converted, created (with its parents) on every
// call; a failure to create it is ignored.
QString cacheFolder();

// The cached copy's file name: the first 40 characters of the file's base name
// (fewer when the name would pass 255 bytes), "-", a 64-bit FNV-1a hash of
// cacheKey() in hex, ".mov".
QString cacheName(const QString& path);

// "path|size|mtime": what makes an edited or replaced file convert again.
QString cacheKey(const QString& path);

// The shortest decimal text that reads back as the same double, with ".0" on
// whole numbers.
QString shortestDecimal(double value);

// 64-bit FNV-1a.
quint64 fnv1a64(const QByteArray& bytes);

}  // namespace MWMediaOpener

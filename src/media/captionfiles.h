#pragma once

#include "model/captions.h"

#include <QByteArray>
#include <QList>
#include <QString>

// Reading captions: subtitle files beside a video or chosen by the user, and
// the subtitle tracks inside a video. Every function here is blocking and
// keeps no shared state: callers run them on worker threads, several at once
// if they like.
namespace Captions {

// The subtitle file that goes with the video at videoPath: a file in the same
// folder named after the video (its name without the last extension) with the
// extension .srt, .vtt, .ass or .ssa in any case, either exactly ("talk.srt"
// for "talk.mp4") or with a tag between ("talk.en.srt"). Exact names come
// first; then extensions in the order above; then names in code-point order.
// Empty when there is none.
QString sidecarFor(const QString& videoPath);

// Track (model/captions.h): a subtitle stream inside a video, as the window lists it.
// Every subtitle stream of the video in stream order; text ones are usable,
// picture ones (DVD, Blu-ray, DVB, XSUB) are listed with the reason they are
// not. Empty when the video cannot be opened.
QList<Track> tracksIn(const QString& videoPath);

// What reading captions gave. A non-empty error means nothing could be used
// and says why in the user's words; otherwise cues holds at least one cue.
struct Reading {
    Cues cues;         // in source seconds, in the order the file gives them
    int skipped = 0;   // captions that could not be read: "N captions could not be read"
    QString encoding;  // what the text was read as: "UTF-8", "UTF-16",
                       // "UTF-16 (guessed)", "Windows-1252 (guessed)"
    QString error;
};

// The bytes of a subtitle file, read as the format its extension names
// ("srt", "vtt", "ass" or "ssa", with or without the dot, in any case).
Reading readBytes(const QByteArray& bytes, const QString& extension);
// A subtitle file; files over 64 MB are refused.
Reading readFile(const QString& path);
// The text subtitle stream with that index in the video.
Reading readTrack(const QString& videoPath, int stream);
// The captions an attachment names: its file, or its track of the video.
Reading read(const Attachment& attachment, const QString& videoPath);

// The limits within which captions are read; past them a cue is skipped.
inline constexpr qint64 kLargestFile = 64 * 1024 * 1024;
inline constexpr int kMostCues = 200000;
inline constexpr int kLongestText = 1000;   // characters of one cue's plain text
inline constexpr double kLatestTime = 1e7;  // seconds, about 116 days

}  // namespace Captions

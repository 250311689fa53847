#pragma once

#include <QString>
#include <optional>
#include <vector>

// Captions: the timed lines of a video's subtitles, burned into the picture
// of the clips cut from it.
namespace Captions {

// One timed caption in source seconds, shown from start (inclusive) to end
// (exclusive). The text is plain, without markup; lines are separated by '\n'.
struct Cue {
    double start = 0;
    double end = 0;
    QString text;
    bool operator==(const Cue&) const = default;
};
using Cues = std::vector<Cue>;

// Where a source's captions come from: a subtitle file (found beside the
// video at import, or chosen), or a text subtitle track inside the video.
struct Attachment {
    QString file;    // absolute path; empty for a track
    int track = -1;  // the stream's index in the video's container; -1 for a file
    bool isEmpty() const { return file.isEmpty() && track < 0; }
    bool operator==(const Attachment&) const = default;
};

// A subtitle track inside a video: a text track is usable; a picture track
// (DVD, Blu-ray) is listed with the reason it is not.
struct Track {
    int stream = -1;   // its index in the container (Attachment::track)
    QString title;     // the stream's own title, if it has one
    QString language;  // the language tag as the file writes it ("eng"), if any
    QString format;    // "SubRip", "WebVTT", "ASS", "MP4 timed text", "DVD", …
    bool usable = false;
    QString reason;  // why not, in the user's words; empty when usable
    bool operator==(const Track&) const = default;
};

// How captions are drawn: bold white letters with a dark outline, or white
// letters on a dark box.
enum class Look { outline, box };

QString lookName(Look look);  // "outline", "box": the session's words
std::optional<Look> lookNamed(const QString& name);
QString lookTitle(Look look);  // "Outline", "Box": the window's words

// How far the captions may be raised above (or lowered below) their usual
// place, as a fraction of the frame's height.
inline constexpr double kMostRaise = 0.25;

// A clip's captions: the look and the shift from the usual place (a fraction
// of the frame's height, up positive, within ±kMostRaise).
struct Style {
    Look look = Look::outline;
    double raise = 0;
    bool operator==(const Style&) const = default;
};

// The cues seen within [in, out) of the source, in clip time: each one that
// overlaps the range, cut to it and moved so that In is 0, in start order.
// A cue active at In starts at 0; an empty or reversed range has none.
Cues forClip(const Cues& cues, double in, double out);

}  // namespace Captions

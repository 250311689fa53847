#pragma once

#include "model/aspect.h"
#include "model/captions.h"

#include <QSize>
#include <QString>
#include <QStringList>

// Where captions sit on an exported frame and how a cue is broken into lines
// there. The figures are in the output frame's pixels, so the captions stay
// put whatever the crop frame does.
namespace Captions {

// The place and size of the caption text on a frame of the render size:
// centred between the side margins, its last line's bottom `bottom` pixels
// above the frame's bottom edge.
struct Placement {
    double fontSize = 0;  // about one line's height
    double left = 0;      // side margins
    double right = 0;
    double bottom = 0;
    double border = 0;     // the outline's width, or the box's padding
    double lineWidth = 0;  // the widest line's width, in font sizes
};

// On 9:16 the captions keep inside what the platforms' interfaces leave
// clear (SafeZones), just above their bottom band; on 16:9 they sit low in the
// bottom third; 1:1 and 4:5 carry nothing over the picture and sit near the
// bottom. style.raise moves them up by that fraction of the frame's height.
Placement placement(QSize render, Aspect aspect, const Style& style);

// The width of text as Noto Sans Bold draws it, in font sizes, estimated from
// each character's class and rounded up: wide (CJK, emoji) characters count
// one font size, capitals 0.72, other letters and digits 0.6, spaces 0.26,
// combining marks nothing. Used to wrap, never to draw.
double textWidth(const QString& text);

// The cue's text as lines no wider than lineWidth (font sizes), broken where
// Unicode allows a line break (between words; between CJK characters), and
// inside a word only when it alone is too wide. Its own line breaks stay.
QStringList wrapped(const QString& text, double lineWidth);

// The cue as one or more consecutive cues of at most two lines each ('\n'
// between them), sharing its time by the characters each shows. Two lines
// are balanced so that the longer is as short as it can be.
Cues pieces(const Cue& cue, double lineWidth);

}  // namespace Captions

#pragma once

#include <QByteArray>
#include <QString>

// The text side of reading subtitle files, before and after libav's demuxers
// and decoders: the file's encoding, the timed blocks worth handing on, and
// the plain words of a decoded event.
namespace CaptionText {

// The bytes as UTF-8 text, with line ends made "\n". encoding is set to what
// they were read as: a byte-order mark's UTF-8 or UTF-16; else UTF-16 when
// the zero bytes look like it, else UTF-8 when they are valid UTF-8, else
// Windows-1252, the first and last marked as guessed.
QByteArray decode(const QByteArray& bytes, QString* encoding);

// The timed blocks of SubRip or WebVTT text whose timing line reads as a start
// before an end, both at or after 0 and before latest seconds, rebuilt as a
// file libav's demuxer reads block for block. libav takes a block whose
// timing it cannot read as more lines of the one before (SubRip) or stops
// there (WebVTT); here such a block is counted in skipped and the rest are
// kept. Blocks past mostCues, or longer than longestBlock bytes, are skipped
// too; blocks without text are left out without being counted.
struct Blocks {
    QByteArray utf8;
    int count = 0;
    int skipped = 0;
};
Blocks timedBlocks(QByteArrayView text, bool webvtt, int mostCues, int longestBlock,
                   double latest);

// An ASS or SSA script without the dialogue lines whose times do not read as
// above (libav's demuxer drops some and stretches a backwards one to the next
// line), counted in skipped, as are lines past mostCues or longestLine
// bytes; count is the dialogue lines kept.
Blocks readableDialogues(QByteArrayView text, int mostCues, int longestLine, double latest);

// The words of an ASS event's text: override blocks {…} removed, "\N" and "\n"
// made line breaks, "\h" a space, each line trimmed and empty lines dropped.
QString plain(const QString& assText);

}  // namespace CaptionText

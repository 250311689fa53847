#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <vector>

// libav's subtitle demuxers and decoders, for the caption reader: timed events
// with the text as the decoders give it (an ASS dialogue text, markup and all),
// and the subtitle streams a video holds. Blocking and free of shared state:
// any number may run at once on worker threads.
namespace SubtitleDecoder {

// One decoded event in seconds of the source. end is start when the packet
// carried no duration.
struct Event {
    double start = 0;
    double end = 0;
    QString text;
};

// Limits that keep a hostile file from costing more than a real one could.
struct Limits {
    int mostEvents = 200000;    // later packets are counted, not decoded
    int longestPacket = 65536;  // bytes; a longer packet is counted, not decoded
};

struct Events {
    std::vector<Event> events;
    int packets = 0;     // every packet of the stream the demuxer produced
    int unreadable = 0;  // packets without a time, over the limits, or refused by the decoder
    QString error;       // libav's words when the stream could not be opened at all
};

// Demuxes UTF-8 text held in memory with the named libav demuxer ("srt",
// "webvtt", "ass") and decodes its only stream.
Events fromText(const QByteArray& utf8, const char* demuxer, Limits limits = {});

// Demuxes the stream with that index of the file at path and decodes it.
Events fromStream(const QString& path, int stream, Limits limits = {});

// A subtitle stream as the container describes it.
struct Stream {
    int index = -1;
    QString codec;     // libav's codec name: "subrip", "ass", "dvd_subtitle", …
    QString description;  // libav's longer name: "SubRip subtitle", …
    QString title;     // the stream's title tag, if any
    QString language;  // the stream's language tag as written ("eng"), if any
    bool text = false;       // the codec carries text
    bool pictures = false;   // the codec carries pictures
    bool decodable = false;  // a decoder for it exists in this libav
};

struct Streams {
    QList<Stream> streams;
    QString error;  // libav's words when the file could not be opened
};

Streams subtitleStreams(const QString& path);

}  // namespace SubtitleDecoder

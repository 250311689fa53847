#pragma once

#include "common/testutil.h"
#include "export/job.h"
#include "model/openedmedia.h"

#include <QByteArray>
#include <QCoroTask>
#include <QJsonObject>
#include <QString>
#include <QTemporaryDir>
#include <optional>

// Helpers shared by the export tests: running an export to its end, fake
// converters, and looking into the files written.
namespace exporttest {

// How an export ended.
struct Outcome {
    enum Kind { done, failed, cancelled } kind = failed;
    QString message;
};
Outcome outcome(QCoro::Task<void> task);

// The media record the opener would make for a fixture.
MWOpenedMedia media(const QString& fixtureName);

using testutil::ConverterAt;

// An executable /bin/sh script in dir running body; "$out" is the last argument.
QString fakeConverter(const QTemporaryDir& dir, const QString& body);

// ffprobe's view of a file: "format" and the first "video" and "audio" streams.
struct Probe {
    QJsonObject format;
    std::optional<QJsonObject> video;
    std::optional<QJsonObject> audio;
    double duration() const;
};
Probe probe(const QString& path);

// Whether the movie index (moov) comes before the media data (mdat).
bool indexFirst(const QString& path);

// The first frame, decoded: its 8-bit luma plane, or packed RGB.
QByteArray firstLuma(const QString& path);
QByteArray firstRgb(const QString& path);

// Seconds from the start of the file to the first sample louder than 0.1.
double soundOnset(const QString& path);

// Which engine wrote a file, from libx264's settings stored in the stream:
// "converter" (average bit rate), "composition" (constant quality) or "".
QString engineOf(const QString& path);

}  // namespace exporttest

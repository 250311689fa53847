#pragma once

#include "common/testutil.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSize>
#include <gtest/gtest.h>
#include <optional>

// ffprobe's view of a written file, for the export and store tests: "format"
// and the first "video" and "audio" streams.
namespace exporttest {

struct Probe {
    QJsonObject format;
    std::optional<QJsonObject> video;
    std::optional<QJsonObject> audio;

    double duration() const { return format.value("duration").toString().toDouble(); }
    QSize size() const
    {
        return video ? QSize(video->value("width").toInt(), video->value("height").toInt())
                     : QSize();
    }
    // A field of the video stream as text, numbers included.
    QString field(const char* key) const
    {
        return video ? video->value(QLatin1String(key)).toVariant().toString() : QString();
    }
};

inline Probe probe(const QString& path)
{
    const testutil::Run r = testutil::run(
        "ffprobe", {"-v", "error", "-show_format", "-show_streams", "-of", "json", path});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QJsonObject root = QJsonDocument::fromJson(r.out).object();
    Probe p;
    p.format = root.value("format").toObject();
    for (const QJsonValue& v : root.value("streams").toArray()) {
        const QJsonObject s = v.toObject();
        const QString type = s.value("codec_type").toString();
        auto* slot = type == "video" ? &p.video : type == "audio" ? &p.audio : nullptr;
        if (slot && !*slot)
            *slot = s;
    }
    return p;
}

}  // namespace exporttest

#pragma once

#include "common/testutil.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSize>
#include <gtest/gtest.h>
#include <limits>
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

// ffmpeg's own ebur128 summary of a file's sound: the figures the loudness
// goal is stated in, independent of the measurement the exporter makes.
struct Reading {
    double integrated = std::numeric_limits<double>::quiet_NaN();  // LUFS
    double samplePeak = std::numeric_limits<double>::quiet_NaN();  // dBFS
    double truePeak = std::numeric_limits<double>::quiet_NaN();    // dBTP
};

inline Reading reading(const QString& path)
{
    const testutil::Run r =
        testutil::run("ffmpeg", {"-hide_banner", "-nostats", "-nostdin", "-i", path, "-map",
                                 "0:a:0", "-af", "ebur128=peak=sample+true", "-f", "null", "-"});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QString text = QString::fromUtf8(r.err);
    const QString summary = text.mid(text.lastIndexOf("Summary:"));
    const auto value = [&](const QString& pattern) {
        const QRegularExpressionMatch m =
            QRegularExpression(pattern + R"(\s+(-?inf|-?[0-9.]+))").match(summary);
        if (!m.hasMatch())
            return std::numeric_limits<double>::quiet_NaN();
        const QString v = m.captured(1);
        return v.endsWith("inf") ? -std::numeric_limits<double>::infinity() : v.toDouble();
    };
    return {value(R"(I:)"), value(R"(Sample peak:\s+Peak:)"), value(R"(True peak:\s+Peak:)")};
}

}  // namespace exporttest

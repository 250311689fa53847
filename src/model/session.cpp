#include "model/session.h"

#include "model/jsontext.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <cmath>
#include <limits>

QByteArray CWSession::encode() const
{
    JsonText json;
    json.beginObject();
    json.number("version", 2);
    json.beginArray("sources");
    for (const Source& s : sources.value_or(QList<Source>{})) {
        json.beginObject();
        json.string("id", s.id);
        json.string("path", s.path);
        if (s.bookmark)
            json.string("bookmark", QString::fromLatin1(s.bookmark->toBase64()));
        if (s.trimBorders)
            json.boolean("trimBorders", *s.trimBorders);
        // Written only when something is attached; an older reader skips it.
        if (s.captions && !s.captions->isEmpty()) {
            json.key("captions");
            json.beginObject();
            if (s.captions->track >= 0)
                json.number("track", s.captions->track);
            else
                json.string("file", s.captions->file);
            json.endObject();
        }
        json.endObject();
    }
    json.endArray();
    json.beginArray("clips");
    for (const Clip& c : clips)
        c.write(json);
    json.endArray();
    json.endObject();
    return json.take();
}

namespace {
// A key that is absent or null holds nothing; any other value must have the right type.
bool present(const QJsonObject& o, const char* key)
{
    const QJsonValue v = o.value(QLatin1String(key));
    return !v.isUndefined() && !v.isNull();
}

// A newer key than the rest: a value that is not sound costs only the
// attachment, never the source.
std::optional<Captions::Attachment> attachmentFrom(const QJsonValue& value)
{
    const QJsonObject o = value.toObject();
    const QJsonValue file = o.value(QLatin1String("file"));
    const double track = o.value(QLatin1String("track")).toDouble(-1);
    if (file.isString() && !file.toString().isEmpty())
        return Captions::Attachment{file.toString(), -1};
    if (track >= 0 && track <= 65535 && track == std::trunc(track))
        return Captions::Attachment{{}, int(track)};
    return std::nullopt;
}

std::optional<CWSession::Source> sourceFrom(const QJsonValue& value)
{
    if (!value.isObject())
        return std::nullopt;
    const QJsonObject o = value.toObject();
    const QJsonValue id = o.value(QLatin1String("id"));
    const QJsonValue path = o.value(QLatin1String("path"));
    if (!id.isString() || !path.isString())
        return std::nullopt;
    CWSession::Source s{id.toString(), path.toString(), std::nullopt, std::nullopt, std::nullopt};
    if (present(o, "bookmark")) {
        const QJsonValue b = o.value(QLatin1String("bookmark"));
        if (!b.isString())
            return std::nullopt;
        auto decoded = QByteArray::fromBase64Encoding(b.toString().toLatin1(),
                                                      QByteArray::AbortOnBase64DecodingErrors);
        if (!decoded)
            return std::nullopt;
        s.bookmark = *decoded;
    }
    if (present(o, "trimBorders")) {
        const QJsonValue t = o.value(QLatin1String("trimBorders"));
        if (!t.isBool())
            return std::nullopt;
        s.trimBorders = t.toBool();
    }
    s.captions = attachmentFrom(o.value(QLatin1String("captions")));
    return s;
}
}  // namespace

std::optional<CWSession> CWSession::decode(const QByteArray& bytes)
{
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject())
        return std::nullopt;
    const QJsonObject o = doc.object();
    CWSession session;

    if (present(o, "version")) {
        const QJsonValue v = o.value(QLatin1String("version"));
        // Only a whole number an int holds: converting any other is undefined.
        const double d = v.toDouble();
        if (!v.isDouble() || !(d >= double(std::numeric_limits<int>::min())) ||
            !(d <= double(std::numeric_limits<int>::max())) || d != std::trunc(d))
            return std::nullopt;
        session.version = int(d);
    }
    if (present(o, "sources")) {
        const QJsonValue v = o.value(QLatin1String("sources"));
        if (!v.isArray())
            return std::nullopt;
        QList<Source> list;
        for (const QJsonValue& item : v.toArray()) {
            auto s = sourceFrom(item);
            if (!s)
                return std::nullopt;
            list.append(*s);
        }
        session.sources = list;
    }
    if (present(o, "files")) {
        const QJsonValue v = o.value(QLatin1String("files"));
        if (!v.isObject())
            return std::nullopt;
        QMap<QString, QString> files;
        const QJsonObject f = v.toObject();
        for (auto it = f.begin(); it != f.end(); ++it) {
            if (!it.value().isString())
                return std::nullopt;
            files.insert(it.key(), it.value().toString());
        }
        session.files = files;
    }
    const QJsonValue clips = o.value(QLatin1String("clips"));
    if (!clips.isArray())
        return std::nullopt;
    for (const QJsonValue& item : clips.toArray()) {
        auto clip = Clip::fromJson(item);
        if (!clip)
            return std::nullopt;
        session.clips.append(*clip);
    }
    return session;
}

QList<CWSession::Source> CWSession::allSources() const
{
    if (sources)
        return *sources;
    QList<Source> list;
    if (files) {
        for (auto it = files->begin(); it != files->end(); ++it)
            list.append(Source{it.key(), it.value(), std::nullopt, std::nullopt});
    }
    std::stable_sort(list.begin(), list.end(),
                     [](const Source& a, const Source& b) { return a.path < b.path; });
    return list;
}

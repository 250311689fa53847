#include "model/clip.h"

#include "model/jsontext.h"

#include <QJsonArray>
#include <QJsonObject>
#include <algorithm>
#include <cmath>

void Clip::write(JsonText& json) const
{
    json.beginObject();
    json.string("id", uuidText(id));
    json.string("sourceID", uuidText(sourceID));
    json.string("name", name);
    json.number("inTime", inTime);
    json.number("outTime", outTime);
    json.string("aspect", rawValue(aspect));
    json.number("zoom", zoom);
    json.number("centerX", centerX);
    json.number("centerY", centerY);
    // Only a clip whose frame moves carries the key: every other clip is
    // written exactly as before, and an older reader skips the key.
    if (!points.empty()) {
        json.beginArray("framePoints");
        for (const FramePoint& p : FramePath::within(points, inTime, outTime)) {
            json.beginObject();
            json.number("time", p.time);
            json.number("centerX", p.centerX);
            json.number("centerY", p.centerY);
            json.number("zoom", p.zoom);
            json.boolean("cut", p.cut);
            json.endObject();
        }
        json.endArray();
    }
    // Captions likewise: only what differs from a clip without them.
    if (captions)
        json.boolean("captions", true);
    if (captionStyle.look != Captions::Look::outline)
        json.string("captionLook", Captions::lookName(captionStyle.look));
    if (captionStyle.raise != 0)
        json.number("captionRaise", captionStyle.raise);
    json.endObject();
}

QString Captions::lookName(Look look)
{
    return look == Look::box ? QStringLiteral("box") : QStringLiteral("outline");
}

std::optional<Captions::Look> Captions::lookNamed(const QString& name)
{
    for (Look look : {Look::outline, Look::box})
        if (lookName(look) == name)
            return look;
    return std::nullopt;
}

QString Captions::lookTitle(Look look)
{
    return look == Look::box ? QStringLiteral("Box") : QStringLiteral("Outline");
}

namespace {
std::optional<QUuid> uuidOf(const QJsonValue& v)
{
    // Only the bare 36-character form counts, not the braced one.
    const QString text = v.toString();
    const QUuid id = QUuid::fromString(text);
    if (!v.isString() || text.size() != 36 ||
        (id.isNull() && text != QLatin1String("00000000-0000-0000-0000-000000000000")))
        return std::nullopt;
    return id;
}

// The points a file gives, as far as they are sound: an entry without its
// numbers is dropped, the rest go through the store's own rules.
std::vector<FramePoint> pointsOf(const QJsonValue& value, double in, double out)
{
    if (!value.isArray())
        return {};
    std::vector<FramePoint> points;
    const QJsonArray list = value.toArray();
    for (qsizetype i = 0; i < list.size() && i < FramePath::kMostPoints; ++i) {
        const QJsonObject o = list.at(i).toObject();
        FramePoint p;
        bool whole = true;
        for (const auto& [key, field] :
             {std::pair{"time", &p.time}, std::pair{"centerX", &p.centerX},
              std::pair{"centerY", &p.centerY}, std::pair{"zoom", &p.zoom}}) {
            const QJsonValue v = o.value(QLatin1String(key));
            whole = whole && v.isDouble();
            *field = v.toDouble();
        }
        p.cut = o.value(QLatin1String("cut")).toBool();
        if (whole)
            points.push_back(p);
    }
    return FramePath::sanitized(std::move(points), in, out);
}

}  // namespace

std::optional<Clip> Clip::fromJson(const QJsonValue& value)
{
    if (!value.isObject())
        return std::nullopt;
    const QJsonObject o = value.toObject();
    const auto id = uuidOf(o.value(QLatin1String("id")));
    const auto sourceID = uuidOf(o.value(QLatin1String("sourceID")));
    const QJsonValue name = o.value(QLatin1String("name"));
    const auto aspect = aspectFromRaw(o.value(QLatin1String("aspect")).toString());
    if (!id || !sourceID || !name.isString() || !o.value(QLatin1String("aspect")).isString() ||
        !aspect)
        return std::nullopt;
    Clip clip;
    clip.id = *id;
    clip.sourceID = *sourceID;
    clip.name = name.toString();
    clip.aspect = *aspect;
    const std::pair<const char*, double*> numbers[] = {{"inTime", &clip.inTime},
                                                       {"outTime", &clip.outTime},
                                                       {"zoom", &clip.zoom},
                                                       {"centerX", &clip.centerX},
                                                       {"centerY", &clip.centerY}};
    for (const auto& [key, field] : numbers) {
        const QJsonValue v = o.value(QLatin1String(key));
        if (!v.isDouble())
            return std::nullopt;
        *field = v.toDouble();
    }
    clip.points = pointsOf(o.value(QLatin1String("framePoints")), clip.inTime, clip.outTime);
    FramePath::mirrorFirstPoint(clip);
    // Newer keys: a value that is not sound reads as the default.
    clip.captions = o.value(QLatin1String("captions")).toBool();
    clip.captionStyle.look = Captions::lookNamed(o.value(QLatin1String("captionLook")).toString())
                                 .value_or(Captions::Look::outline);
    const double raise = o.value(QLatin1String("captionRaise")).toDouble();
    clip.captionStyle.raise =
        std::isfinite(raise) ? std::clamp(raise, -Captions::kMostRaise, Captions::kMostRaise) : 0;
    return clip;
}

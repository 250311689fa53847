#include "model/clip.h"

#include "model/jsontext.h"

#include <QJsonObject>

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
    json.endObject();
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
    return clip;
}

#include "model/aspect.h"
#include "model/clip.h"
#include "model/jsontext.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

TEST(Aspect, RenderSizes)
{
    // Even and exact: 1350 ÷ 2 = 675, no rounding to an odd side.
    const std::tuple<Aspect, int, QSize> sizes[] = {{Aspect::vertical, 1080, {1080, 1920}},
                                                    {Aspect::portrait, 1080, {1080, 1350}},
                                                    {Aspect::wide, 720, {1280, 720}}};
    for (const auto& [aspect, shortSide, size] : sizes)
        EXPECT_EQ(renderSize(aspect, shortSide), size) << fileTag(aspect).toStdString();
    EXPECT_EQ(renderSize(Aspect::wide, 101).width() % 2, 0);  // odd short sides too
}

TEST(Clip, DecodeRoundTripAndFailures)
{
    const QString name = "Quote \" and \\ and\nline ✂️";
    const Clip clip{
        QUuid::createUuid(), QUuid::createUuid(), name, 1.0 / 3.0, 7, Aspect::wide, 2.5, 0.1, 0.9};
    JsonText json;
    clip.write(json);
    const QJsonObject o = QJsonDocument::fromJson(json.take()).object();
    ASSERT_EQ(Clip::fromJson(o), clip);

    for (const char* key :
         {"id", "sourceID", "name", "inTime", "outTime", "aspect", "zoom", "centerX", "centerY"}) {
        QJsonObject missing = o;
        missing.remove(key);
        EXPECT_FALSE(Clip::fromJson(missing)) << key;
    }
    // An aspect is its ratio text, never the file tag.
    const std::pair<const char*, QJsonValue> wrong[] = {
        {"zoom", "1.0"}, {"aspect", "16x9"}, {"id", "not-a-uuid"}};
    for (const auto& [key, value] : wrong) {
        QJsonObject changed = o;
        changed[key] = value;
        EXPECT_FALSE(Clip::fromJson(changed)) << key;
    }
    QJsonObject lowerCase = o;
    lowerCase["id"] = o["id"].toString().toLower();
    EXPECT_EQ(Clip::fromJson(lowerCase)->id, clip.id);
}

#include "model/aspect.h"
#include "model/clip.h"
#include "model/jsontext.h"

#include "common/testutil.h"
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

TEST(Aspect, CasesLabelsAndTags)
{
    const auto& all = allAspects();
    ASSERT_EQ(all.size(), 4u);
    EXPECT_EQ(all[0], Aspect::vertical);
    EXPECT_EQ(all[1], Aspect::square);
    EXPECT_EQ(all[2], Aspect::portrait);
    EXPECT_EQ(all[3], Aspect::wide);
    EXPECT_EQ(fileTag(Aspect::wide), "16x9");
    EXPECT_EQ(fileTag(Aspect::portrait), "4x5");
    EXPECT_EQ(aspectFromRaw("16:9"), Aspect::wide);
    EXPECT_FALSE(aspectFromRaw("3:4"));
    EXPECT_FALSE(aspectFromRaw("16x9"));
}

TEST(Aspect, RenderSizesAreEvenAndExact)
{
    EXPECT_EQ(renderSize(Aspect::vertical, 1080), QSize(1080, 1920));
    EXPECT_EQ(renderSize(Aspect::square, 1080), QSize(1080, 1080));
    EXPECT_EQ(renderSize(Aspect::portrait, 1080), QSize(1080, 1350));
    EXPECT_EQ(renderSize(Aspect::wide, 1080), QSize(1920, 1080));
    EXPECT_EQ(renderSize(Aspect::vertical, 720), QSize(720, 1280));
    EXPECT_EQ(renderSize(Aspect::portrait, 720), QSize(720, 900));
    EXPECT_EQ(renderSize(Aspect::wide, 720), QSize(1280, 720));
    // 1350 ÷ 2 = 675 exactly: no rounding to an odd side for odd short sides either.
    EXPECT_EQ(renderSize(Aspect::wide, 101).width() % 2, 0);
}

namespace {
QByteArray encoded(const Clip& clip)
{
    JsonText json;
    clip.write(json);
    return json.take();
}
}  // namespace

TEST(Clip, WritesNineKeysInFieldOrderWithUpperCaseIds)
{
    Clip clip{QUuid("{0a1b2c3d-4e5f-4071-8293-a4b5c6d7e8f9}"),
              QUuid("{5c0e2f51-8e4b-4c1b-9c5d-0f5a8e6b7d21}"),
              "Opening",
              12.5,
              41.25,
              Aspect::vertical,
              1.2,
              0.5,
              0.45};
    EXPECT_EQ(encoded(clip),
              R"({"id":"0A1B2C3D-4E5F-4071-8293-A4B5C6D7E8F9","sourceID":"5C0E2F51-8E4B-4C1B-9C5D-)"
              R"(0F5A8E6B7D21","name":"Opening","inTime":12.5,"outTime":41.25,"aspect":"9:16",)"
              R"("zoom":1.2,"centerX":0.5,"centerY":0.45})");
}

TEST(Clip, DecodeRoundTripAndFailures)
{
    Clip clip{QUuid::createUuid(),
              QUuid::createUuid(),
              "Quote \" and \\ and\nline ✂️",
              1.0 / 3.0,
              7,
              Aspect::wide,
              2.5,
              0.1,
              0.9};
    const QJsonObject o = QJsonDocument::fromJson(encoded(clip)).object();
    ASSERT_EQ(Clip::fromJson(o), clip);

    for (const char* key :
         {"id", "sourceID", "name", "inTime", "outTime", "aspect", "zoom", "centerX", "centerY"}) {
        QJsonObject missing = o;
        missing.remove(key);
        EXPECT_FALSE(Clip::fromJson(missing)) << key;
    }
    QJsonObject wrongType = o;
    wrongType["zoom"] = "1.0";
    EXPECT_FALSE(Clip::fromJson(wrongType));
    QJsonObject badAspect = o;
    badAspect["aspect"] = "3:4";
    EXPECT_FALSE(Clip::fromJson(badAspect));
    QJsonObject badId = o;
    badId["id"] = "not-a-uuid";
    EXPECT_FALSE(Clip::fromJson(badId));
    QJsonObject lowerCase = o;
    lowerCase["id"] = o["id"].toString().toLower();
    EXPECT_EQ(Clip::fromJson(lowerCase)->id, clip.id);
}

TEST(Clip, EqualityIsFieldByField)
{
    Clip a{QUuid::createUuid(), QUuid::createUuid(), "a", 1, 2, Aspect::square, 1, 0.5, 0.5};
    Clip b = a;
    EXPECT_EQ(a, b);
    b.centerY = 0.51;
    EXPECT_NE(a, b);
}

#include "model/clip.h"
#include "model/framepath.h"
#include "model/session.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>

using FramePath::Frame;
using FramePath::frameAt;

namespace {

Clip movingClip()
{
    Clip c;
    c.inTime = 10;
    c.outTime = 20;
    // A glide from the left speaker zoomed in to the right one, then a cut back.
    c.points = {{12, 0.2, 0.5, 2, false}, {14, 0.8, 0.4, 1, false}, {17, 0.2, 0.5, 2, true}};
    FramePath::mirrorFirstPoint(c);
    return c;
}

}  // namespace

// Holds before the first and after the last point; glides eased (at rest at
// both ends, halfway at half time, zoom halfway in scale); a cut holds until
// its moment and jumps there.
TEST(FramePath, HoldsGlidesEasedAndCutsOnTheMoment)
{
    const Clip c = movingClip();
    EXPECT_EQ(frameAt(c, 10), (Frame{2, 0.2, 0.5}));
    EXPECT_EQ(frameAt(c, 12), (Frame{2, 0.2, 0.5}));
    const Frame half = frameAt(c, 13);
    EXPECT_NEAR(half.centerX, 0.5, 1e-12);
    EXPECT_NEAR(half.centerY, 0.45, 1e-12);
    EXPECT_NEAR(half.zoom, std::sqrt(2.0), 1e-12);
    // Eased: a tenth of the way in time is less than a tenth of the way.
    EXPECT_LT(frameAt(c, 12.2).centerX - 0.2, 0.1 * 0.6);
    EXPECT_NEAR(frameAt(c, 14).centerX, 0.8, 1e-12);
    EXPECT_EQ(frameAt(c, 16.999), (Frame{1, 0.8, 0.4}));
    EXPECT_EQ(frameAt(c, 17), (Frame{2, 0.2, 0.5}));
    EXPECT_EQ(frameAt(c, 25), (Frame{2, 0.2, 0.5}));
    EXPECT_EQ(frameAt(c, std::nan("")), (Frame{2, 0.2, 0.5}));

    Clip still;
    still.zoom = 1.5;
    still.centerX = 0.3;
    EXPECT_EQ(frameAt(still, 3), (Frame{1.5, 0.3, 0.5}));
}

// What a file or a gesture may hand over: not finite, outside the clip,
// outside the frame's range, unsorted, two at one moment, too many.
TEST(FramePath, SanitizedKeepsOnlySoundPointsInOrder)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const auto points = FramePath::sanitized({{15, 0.5, 0.5, 1, false},
                                              {nan, 0.5, 0.5, 1, false},
                                              {11, inf, 0.5, 1, false},
                                              {30, 1.5, -1, 9, true},
                                              {5, 0.1, 0.1, 0.5, false},
                                              {15.0004, 0.7, 0.7, 2, true}},
                                             10, 20);
    EXPECT_EQ(points,
              (std::vector<FramePoint>{
                  {10, 0.1, 0.1, 1, false}, {15.0004, 0.7, 0.7, 2, true}, {20, 1, 0, 4, true}}));
    std::vector<FramePoint> many(5000);
    for (size_t i = 0; i < many.size(); ++i)
        many[i].time = double(i) / 100;
    EXPECT_EQ(FramePath::sanitized(many, 0, 100).size(), size_t(FramePath::kMostPoints));
    EXPECT_TRUE(FramePath::sanitized(many, 5, nan).empty());

    std::vector<FramePoint> set = {{1, 0.5, 0.5, 1, false}, {3, 0.5, 0.5, 1, false}};
    EXPECT_EQ(FramePath::setPoint(set, {2, 0.1, 0.1, 1, false}), 1);
    EXPECT_EQ(FramePath::setPoint(set, {3.0002, 0.9, 0.9, 1, true}), 2);
    EXPECT_EQ(set.size(), 3u);
    EXPECT_EQ(set[2].centerX, 0.9);
}

// A clip whose frame moves carries its points under one optional key and
// reads back the same; a clip without points is written as it always was;
// the clip's own frame is its first point's, which an older build shows; a
// broken list costs the points, never the clip or the session.
TEST(FramePath, PointsTravelInTheSessionUnderOneOptionalKey)
{
    CWSession s;
    Clip c = movingClip();
    c.id = QUuid::createUuid();
    c.sourceID = QUuid::createUuid();
    c.name = "Talk";
    Clip plain = c;
    plain.points.clear();
    s.clips = {c, plain};
    const QByteArray bytes = s.encode();
    EXPECT_EQ(bytes.count("\"framePoints\""), 1);
    EXPECT_TRUE(
        bytes.contains(R"("zoom":2,"centerX":0.2,"centerY":0.5,"framePoints":[{"time":12,)"));
    const auto back = CWSession::decode(bytes);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->clips, s.clips);

    const QByteArray head =
        R"({"version":2,"sources":[],"clips":[{"id":"0A1B2C3D-4E5F-4071-8293-A4B5C6D7E8F9",)"
        R"("sourceID":"5C0E2F51-8E4B-4C1B-9C5D-0F5A8E6B7D21","name":"A","inTime":1,"outTime":5,)"
        R"("aspect":"9:16","zoom":1,"centerX":0.5,"centerY":0.5,"framePoints":)";
    for (const QByteArray& broken :
         {QByteArray("7"), QByteArray("{}"), QByteArray(R"([{"time":"x"}])"),
          QByteArray(R"([null,{"time":2,"centerX":0.5,"centerY":0.5}])")}) {
        const auto read = CWSession::decode(head + broken + "}]}");
        ASSERT_TRUE(read) << broken.constData();
        ASSERT_EQ(read->clips.size(), 1) << broken.constData();
        EXPECT_TRUE(read->clips[0].points.empty()) << broken.constData();
    }
    const auto moved =
        CWSession::decode(head + R"([{"time":9,"centerX":0.9,"centerY":0.1,"zoom":3,"cut":true},)"
                                 R"({"time":0,"centerX":0.1,"centerY":0.2,"zoom":2}]}]})");
    ASSERT_TRUE(moved);
    const Clip& m = moved->clips[0];
    EXPECT_EQ(m.points, (std::vector<FramePoint>{{1, 0.1, 0.2, 2, false}, {5, 0.9, 0.1, 3, true}}));
    EXPECT_EQ(m.zoom, 2);  // the first point's, whatever the file said
    EXPECT_EQ(m.centerX, 0.1);
}

// A trim past points keeps them (trimming back brings them back), while the
// frame shown, exported and written follows the same path inside the new
// range, before a restart and after it.
TEST(FramePath, ATrimmedClipShowsWhatItsSessionRestores)
{
    for (const auto& [in, out] : {std::pair{13.0, 15.5}, std::pair{15.0, 20.0},
                                  std::pair{10.0, 16.0}, std::pair{12.0, 17.0}}) {
        Clip c = movingClip();
        c.id = QUuid::createUuid();
        c.sourceID = QUuid::createUuid();
        c.inTime = in;
        c.outTime = out;
        FramePath::mirrorFirstPoint(c);
        EXPECT_EQ(c.points.size(), 3);
        CWSession s;
        s.clips = {c};
        const Clip back = CWSession::decode(s.encode())->clips[0];
        for (double t = in; t <= out; t += 0.25) {
            const Frame shown = frameAt(c, t);
            const Frame restored = frameAt(back, t);
            EXPECT_NEAR(shown.zoom, restored.zoom, 1e-9) << in << "…" << out << " at " << t;
            EXPECT_NEAR(shown.centerX, restored.centerX, 1e-9) << in << "…" << out << " at " << t;
        }
        // An older reader shows the frame at In.
        EXPECT_NEAR(back.centerX, frameAt(c, in).centerX, 1e-9);
        EXPECT_NEAR(c.centerX, frameAt(c, in).centerX, 1e-9);
    }
}

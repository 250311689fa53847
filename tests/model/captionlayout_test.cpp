#include "model/captionlayout.h"

#include <gtest/gtest.h>

using namespace Captions;

TEST(CaptionLayout, WrapsAtBreaksAndInsideAWordOnlyWhenItMust)
{
    const struct {
        const char* text;
        double width;
        QStringList lines;
    } cases[] = {
        {"one two three", 20, {"one two three"}},   {"one two three", 5, {"one two", "three"}},
        {"first\nsecond", 20, {"first", "second"}}, {"漢字漢字漢字", 3, {"漢字漢", "字漢字"}},
        {"abcdefghij", 3, {"abcde", "fghij"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(wrapped(QString::fromUtf8(c.text), c.width), c.lines) << c.text;
}

TEST(CaptionLayout, PiecesShareTheCuesTimeByCharacters)
{
    // Two lines stay one cue, balanced, or as written when they fit.
    const Cues two = pieces({1, 2, "aaaa bb cc dddd"}, 5);
    ASSERT_EQ(two.size(), 1u);
    EXPECT_EQ(two[0].text, "aaaa bb\ncc dddd");
    EXPECT_EQ(pieces({1, 2, "aaaa\nbb"}, 5).at(0).text, "aaaa\nbb");

    // Five lines become three pieces back to back; the written breaks give
    // way where the words fit better.
    const Cues five = pieces({10, 20, "aaaa\nbbbb\ncccc\ndddd\neeee"}, 5);
    ASSERT_EQ(five.size(), 3u);
    EXPECT_EQ(five[0].text, "aaaa\nbbbb");
    EXPECT_EQ(five[2].text, "eeee");
    EXPECT_EQ(pieces({0, 1, "aa\nbb\ncc"}, 5).at(0).text, "aa bb cc");
    EXPECT_DOUBLE_EQ(five[0].start, 10);
    EXPECT_DOUBLE_EQ(five[0].end, 14);
    EXPECT_DOUBLE_EQ(five[1].start, 14);
    EXPECT_DOUBLE_EQ(five[1].end, 18);
    EXPECT_DOUBLE_EQ(five[2].end, 20);
}

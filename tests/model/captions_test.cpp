#include "model/captions.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>

using Captions::Cues;

TEST(Captions, ForClipCutsShiftsAndSorts)
{
    const Cues source{{5, 8, "B"}, {1, 3, "A"}, {4, 6, "overlaps B"},
                      {9, 9, "empty"}, {10, 7, "reversed"}, {12, 14, "after"}};
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const struct {
        double in, out;
        Cues clip;
    } cases[] = {
        {0, 20, {{1, 3, "A"}, {4, 6, "overlaps B"}, {5, 8, "B"}, {12, 14, "after"}}},
        // Active at In: starts at 0, in the order written; active at Out: cut there.
        {5.5, 7, {{0, 1.5, "B"}, {0, 0.5, "overlaps B"}}},
        // A cue ending exactly at In is over; one starting exactly at Out is not yet on.
        {3, 4, {}},
        {2, 12, {{0, 1, "A"}, {2, 4, "overlaps B"}, {3, 6, "B"}}},
        {7, 7, {}},
        {8, 2, {}},
        {nan, 10, {}},
        {0, nan, {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Captions::forClip(source, c.in, c.out), c.clip) << c.in << "–" << c.out;
}

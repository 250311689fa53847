#include "model/captions.h"

#include <algorithm>
#include <cmath>

Captions::Cues Captions::forClip(const Cues& cues, double in, double out)
{
    Cues seen;
    // NaN fails every comparison, so a range with one is empty too.
    if (!std::isfinite(in) || !(in < out))
        return seen;
    for (const Cue& cue : cues) {
        if (!(cue.start < cue.end))
            continue;
        const double start = std::max(cue.start, in);
        const double end = std::min(cue.end, out);
        if (start < end)
            seen.push_back({start - in, end - in, cue.text});
    }
    // Stable, so cues that start together keep the order they were written in.
    std::stable_sort(seen.begin(), seen.end(),
                     [](const Cue& a, const Cue& b) { return a.start < b.start; });
    return seen;
}

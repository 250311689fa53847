#include "model/captions.h"

#include <algorithm>

namespace Captions {

// The plain cut: what overlaps the range, clipped to it and moved to clip time.
Cues forClip(const Cues& cues, double in, double out)
{
    Cues seen;
    if (!(out > in))
        return seen;
    for (const Cue& c : cues) {
        const double start = std::max(c.start, in);
        const double end = std::min(c.end, out);
        if (end > start)
            seen.push_back({start - in, end - in, c.text});
    }
    std::stable_sort(seen.begin(), seen.end(),
                     [](const Cue& a, const Cue& b) { return a.start < b.start; });
    return seen;
}

}  // namespace Captions

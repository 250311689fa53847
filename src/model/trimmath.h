#pragma once

// Mapping between timeline seconds and track positions, and the legal Out point.
namespace TrimMath {

struct Track {
    double width = 0;     // display length of the whole track, points
    double inset = 0;     // margin at each end where time 0 and the end sit
    double duration = 0;  // seconds

    double x(double time) const;
    double time(double x) const;
};

enum class Grab { inHandle, outHandle, playhead };

// Keeps Out at least half a second after In and never past the end of the media.
double clampOut(double out, double in, double duration);

}  // namespace TrimMath

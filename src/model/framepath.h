#pragma once

#include <vector>

struct Clip;

// A point where the user set a clip's frame at one moment of its source.
// Times are the source's (not the clip's): trimming In or Out moves no point,
// so a point stays on the moment it was set for — where the speaker moved.
struct FramePoint {
    double time = 0;
    double centerX = 0.5;
    double centerY = 0.5;
    double zoom = 1;
    // How the frame reaches this point from the one before: a jump at this
    // point's time (a cut between speakers) rather than a glide.
    bool cut = false;

    bool operator==(const FramePoint&) const = default;
};

// Where a clip's frame is at any time. The viewer, the position pad, the zoom
// knob and both export engines ask here, so the frame shown is the frame written.
namespace FramePath {

struct Frame {
    double zoom = 1;
    double centerX = 0.5;
    double centerY = 0.5;
    bool operator==(const Frame&) const = default;
};

// The most points a clip keeps; a file with more keeps the first ones.
constexpr int kMostPoints = 1000;

// The frame at source time t: the clip's own frame without points; before
// the first point and after the last the frame holds; between two points it
// glides, eased in and out (the zoom evenly in scale, so that zooming in
// and out look alike), or holds and jumps at the second one when it is a cut.
Frame frameAt(const Clip& clip, double t);

// Points as the store keeps them: finite values only, times inside in…out,
// centres inside 0…1, zoom inside 1…4, sorted by time, one point a moment
// (the later one of two at one time wins), at most kMostPoints.
std::vector<FramePoint> sanitized(std::vector<FramePoint> points, double in, double out);

// The points as the clip's range sees them. A trim can leave points outside
// In…Out (kept, so that trimming back brings them back); they give way to a
// point at In, and one at Out when there were points beyond it, each holding
// the frame there. frameAt follows this path and the session file keeps it,
// whose points are always inside the clip: what is shown is what is
// exported, before a restart and after.
std::vector<FramePoint> within(const std::vector<FramePoint>& points, double in, double out);

// Sets the point at time (replacing one within a millisecond of it); returns its index.
int setPoint(std::vector<FramePoint>& points, const FramePoint& point);

// Makes the clip's own frame the one its points give at In, which is what a
// reader that knows nothing of points shows: the clip as it starts.
void mirrorFirstPoint(Clip& clip);

}  // namespace FramePath

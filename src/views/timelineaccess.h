#pragma once

// What a screen reader finds on the timeline's track: the two trim handles
// as sliders ("In point 0:04.0") whose value is the mark in seconds, and one
// button per clip bar of the current video, named like its chip in the rack,
// marked selected like the picture, whose press selects the clip.
namespace CWTimelineAccess {
// Registers the track's accessible interfaces once; later calls do nothing.
void install();
}  // namespace CWTimelineAccess

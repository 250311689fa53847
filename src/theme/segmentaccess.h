#pragma once

class MWSegment;

// A segment tells a screen reader what it is as a group of radio buttons, one
// per item, the selected one checked; each can be pressed through the bus.

// Registers how a segment's interface is made; the segment calls it once.
void mwSegmentAccessibility();
// The selection moved from item from to item to (−1 for none): the reader
// hears the checked states change, and where the segment has the keyboard
// focus, the newly checked item is where the focus now stands.
void mwSegmentSelectionMoved(MWSegment* segment, int from, int to);
// The segment took the keyboard focus: the reader lands on its checked item.
void mwSegmentFocused(MWSegment* segment);

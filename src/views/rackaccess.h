#pragma once

// What a screen reader finds in the clips rack: a list named "Clips" whose
// items are the chips, each saying its number, name, shape and length, marked
// selected like the picture, and offering the chip's click and its ✕.
namespace CWRackAccess {
// The object name of the widget that holds the chips.
inline constexpr const char* listName = "cwRackList";
// Registers the rack's accessible interfaces once; later calls do nothing.
void install();
}  // namespace CWRackAccess

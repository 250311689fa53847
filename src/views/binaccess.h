#pragma once

// What a screen reader finds in the media bin: a list named "Media bin" whose
// items are the videos, each saying its file name, size, clip count and
// length, the current one marked selected, offering the row's click.
namespace CWBinAccess {
// The object name of the widget that holds the rows.
inline constexpr const char* listName = "cwBinList";
// Registers the bin's accessible interfaces once; later calls do nothing.
void install();
}  // namespace CWBinAccess

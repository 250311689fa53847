#pragma once

// Work that must never take the processor from the window: decoding for the
// filmstrip and black bars, exports, loudness, the player's own threads.
namespace CWBackground {

// Makes the calling thread (and every thread it starts from now on) yield to
// the window's thread when both want the processor: five steps nicer than it
// was. Once per thread; nothing more where the system refuses.
void yieldToWindow();

}  // namespace CWBackground

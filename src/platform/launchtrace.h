#pragma once

// A trace of the launch, for finding where the time to the first picture
// goes: with CW_LAUNCH_TRACE=1 in the environment, the first time each step
// is reached prints "launch: MS STEP" on standard error, in milliseconds from
// CW_LAUNCH_T0 (the launcher's wall clock in nanoseconds since the epoch,
// `date +%s%N`) or else from the start of main(). Costs one test of a flag
// otherwise.
namespace CWLaunchTrace {

// Starts the clock (called first thing in main()).
void begin();
// step is a string literal; only its first arrival is printed.
void mark(const char* step);

}  // namespace CWLaunchTrace

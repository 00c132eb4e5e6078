#pragma once
// The run states every run on a unit shares, and the timer intervals of a
// run.


namespace runloop {

// ---- run states ---------------------------------------------------------------

// Every run keeps its state as a number, with names of its own in its header
// (RheologyRun.h, PvtRun.h, SwellRun.h, SimpleTestRun.h); the other numbers
// mean different things in different runs. These two mean the same in every
// run, and the runs tell their reply parsers from them whether a test runs.
inline constexpr int kIdle = 0;         // no test runs
inline constexpr int kStepRunning = 1;  // a test runs its steps (the unit is expected to be active)

// Timer intervals of the run.
inline constexpr int kTickMs = 1000;
inline constexpr int kAfterSetPointMs = 3000;  // after a step's set-point frame
inline constexpr int kAfterRampEntryMs = 4000; // after a ramp entry's frame

}  // namespace runloop

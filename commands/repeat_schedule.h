// Repeating a search (the RepeatSearch and RepeatMinutes settings): when the
// next run is due after a run ends, and what a tick of the window's timer
// does about it. The time comes from the platform clock (platform::LocalNow),
// which tests replace, so no test waits minutes.
//
// The window's part: after each run's summary, ScheduleAfterRun; on every
// timer tick, RepeatTick, and on Start the same search starts as Go! starts
// it; while waiting, the run-state part shows NextSearchText; Go! during the
// wait calls StopRepeating before it starts the run at once (the run's end
// schedules the next); Stopped puts "Inactive" back. Window thread only.
#pragma once

#include <cstdint>
#include <string>

#include "core/settings.h"
#include "platform/platform.h"

namespace vemtrix {

struct RepeatSchedule {
  bool waiting = false;          // a next run is due at dueSecond
  std::int64_t dueSecond = 0;    // on the ClockSecond scale
};

// A reading of the clock as seconds on one continuous scale (UTC), so that
// a change to or from daylight saving time neither cuts a wait short nor
// stretches it.
std::int64_t ClockSecond(const platform::LocalDateTime& time);

// A run ended: with RepeatSearch on and the run not aborted, the next run is
// due RepeatMinutes (held to 1..1440) from now; otherwise nothing is due.
void ScheduleAfterRun(RepeatSchedule& schedule, const Settings& settings, bool aborted);

// Nothing is due any more: Go! started the run early, or the watching ended.
void StopRepeating(RepeatSchedule& schedule);

// What holds a due run back: a run never starts while another runs, while a
// box of the program waits for an answer, or while the window closes.
struct RepeatHold {
  bool runActive = false;
  bool boxOpen = false;
  bool closing = false;
};

enum class RepeatStep {
  Idle,     // nothing is due
  Wait,     // not yet, or held back: "Next search at HH:MM" stays
  Start,    // start the run now; nothing is due any more
  Stopped,  // the watching ended at this tick (setting off, window closing)
};

// One tick of the timer: reads the clock and settings.RepeatSearch.
RepeatStep RepeatTick(RepeatSchedule& schedule, const Settings& settings, const RepeatHold& hold);

// "Next search at HH:MM" in local time, 24-hour; empty when nothing is due.
std::string NextSearchText(const RepeatSchedule& schedule);

}  // namespace vemtrix

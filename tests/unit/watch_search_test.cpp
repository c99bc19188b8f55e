// Watching a search: the repeat schedule on a replaced clock, and what the
// user reads when a run ends.
#include <gtest/gtest.h>

#include "commands/repeat_schedule.h"
#include "commands/run_summary.h"
#include "platform/platform.h"

using namespace vemtrix;

namespace {

platform::LocalDateTime At(int day, int hour, int minute, int second, int utcOffsetMinutes = 60) {
  platform::LocalDateTime t;
  t.year = 2026;
  t.month = 3;
  t.day = day;
  t.hour = hour;
  t.minute = minute;
  t.second = second;
  t.utcOffsetMinutes = utcOffsetMinutes;
  return t;
}

struct ClockHook {
  ClockHook() {
    platform::SetClockForTesting([this] { return now; });
  }
  ~ClockHook() { platform::SetClockForTesting(nullptr); }
  platform::LocalDateTime now;
};

Settings Repeating(std::int32_t minutes) {
  Settings s;
  s.RepeatSearch = 1;
  s.RepeatMinutes = minutes;
  return s;
}

}  // namespace

TEST(RepeatSchedule, ARunIsDueTheMinutesAfterTheLastEndAndWaitsForWhatHoldsItBack) {
  ClockHook clock;
  RepeatSchedule schedule;
  const RepeatHold free;
  Settings settings = Repeating(30);

  clock.now = At(27, 23, 50, 10);
  ScheduleAfterRun(schedule, settings, false);
  EXPECT_EQ(NextSearchText(schedule), "Next search at 00:20");  // past midnight
  clock.now = At(28, 0, 20, 9);
  EXPECT_EQ(RepeatTick(schedule, settings, free), RepeatStep::Wait);
  clock.now = At(28, 0, 20, 10);
  RepeatHold held;
  held.runActive = true;
  EXPECT_EQ(RepeatTick(schedule, settings, held), RepeatStep::Wait);
  held = RepeatHold();
  held.boxOpen = true;
  EXPECT_EQ(RepeatTick(schedule, settings, held), RepeatStep::Wait);
  clock.now = At(28, 0, 25, 0);  // the box was answered later
  EXPECT_EQ(RepeatTick(schedule, settings, free), RepeatStep::Start);
  EXPECT_EQ(RepeatTick(schedule, settings, free), RepeatStep::Idle);  // once
  EXPECT_EQ(NextSearchText(schedule), "");

  // Clocks go forward at 02:00 during the wait: the run still waits its
  // thirty minutes, and the text follows the wall clock.
  clock.now = At(29, 1, 50, 0, 60);
  ScheduleAfterRun(schedule, settings, false);
  clock.now = At(29, 3, 5, 0, 120);
  EXPECT_EQ(RepeatTick(schedule, settings, free), RepeatStep::Wait);
  EXPECT_EQ(NextSearchText(schedule), "Next search at 03:20");
  clock.now = At(29, 3, 20, 0, 120);
  EXPECT_EQ(RepeatTick(schedule, settings, free), RepeatStep::Start);

  // RepeatMinutes is held to 1..1440 however the record got its value.
  clock.now = At(29, 12, 0, 0);
  ScheduleAfterRun(schedule, Repeating(0), false);
  EXPECT_EQ(NextSearchText(schedule), "Next search at 12:01");
  ScheduleAfterRun(schedule, Repeating(100000), false);
  EXPECT_EQ(NextSearchText(schedule), "Next search at 12:00");
  clock.now = At(30, 11, 59, 59);
  EXPECT_EQ(RepeatTick(schedule, settings, free), RepeatStep::Wait);
}

TEST(RepeatSchedule, AbortTheSettingOffClosingAndGoEndTheWait) {
  ClockHook clock;
  clock.now = At(10, 9, 0, 0);
  RepeatSchedule schedule;
  Settings settings = Repeating(5);

  ScheduleAfterRun(schedule, settings, true);  // an aborted run
  EXPECT_EQ(RepeatTick(schedule, settings, RepeatHold()), RepeatStep::Idle);
  ScheduleAfterRun(schedule, Settings(), false);  // RepeatSearch off
  EXPECT_EQ(NextSearchText(schedule), "");

  ScheduleAfterRun(schedule, settings, false);
  settings.RepeatSearch = 0;  // unticked while waiting
  EXPECT_EQ(RepeatTick(schedule, settings, RepeatHold()), RepeatStep::Stopped);
  EXPECT_EQ(RepeatTick(schedule, settings, RepeatHold()), RepeatStep::Idle);

  settings.RepeatSearch = 1;
  ScheduleAfterRun(schedule, settings, false);
  RepeatHold closing;
  closing.closing = true;
  clock.now = At(10, 9, 6, 0);
  EXPECT_EQ(RepeatTick(schedule, settings, closing), RepeatStep::Stopped);

  ScheduleAfterRun(schedule, settings, false);
  StopRepeating(schedule);  // Go! during the wait starts the run itself
  EXPECT_EQ(RepeatTick(schedule, settings, RepeatHold()), RepeatStep::Idle);
}

TEST(RunSummaryText, CompleteFailedAndAbortedRuns) {
  RunSummary summary;
  summary.results = 129;
  summary.added = 12;
  summary.jobs = 240;
  EXPECT_EQ(RunSummaryText(summary), "Search complete: 129 results, 12 new");
  summary.results = 1234567;
  summary.failed.assign(12, FailedSearch{"lamp", "Seattle", "furniture", "seattle.craigslist.org", "no answer"});
  EXPECT_EQ(RunSummaryText(summary), "Search complete: 1,234,567 results, 12 new; 12 of 240 searches failed");
  summary.aborted = true;
  EXPECT_EQ(RunSummaryText(summary), "Search aborted: 1,234,567 results, 12 new");
  EXPECT_EQ(FailedSearchLine(summary.failed[0]), "lamp in furniture in Seattle: no answer");
}

#include "commands/repeat_schedule.h"

#include <algorithm>
#include <cstdio>

namespace vemtrix {
namespace {

std::int64_t LocalSecond(const platform::LocalDateTime& t) {
  return JulianDayNumber(t.year, t.month, t.day) * 86400 + t.hour * 3600 + t.minute * 60 + t.second;
}

}  // namespace

std::int64_t ClockSecond(const platform::LocalDateTime& time) {
  return LocalSecond(time) - static_cast<std::int64_t>(time.utcOffsetMinutes) * 60;
}

void ScheduleAfterRun(RepeatSchedule& schedule, const Settings& settings, bool aborted) {
  schedule.waiting = settings.RepeatSearch != 0 && !aborted;
  if (!schedule.waiting) return;
  const std::int64_t minutes = std::clamp(settings.RepeatMinutes, kMinRepeatMinutes, kMaxRepeatMinutes);
  schedule.dueSecond = ClockSecond(platform::LocalNow()) + minutes * 60;
}

void StopRepeating(RepeatSchedule& schedule) { schedule.waiting = false; }

RepeatStep RepeatTick(RepeatSchedule& schedule, const Settings& settings, const RepeatHold& hold) {
  if (!schedule.waiting) return RepeatStep::Idle;
  if (settings.RepeatSearch == 0 || hold.closing) {
    schedule.waiting = false;
    return RepeatStep::Stopped;
  }
  if (hold.runActive || hold.boxOpen || ClockSecond(platform::LocalNow()) < schedule.dueSecond) {
    return RepeatStep::Wait;
  }
  schedule.waiting = false;
  return RepeatStep::Start;
}

std::string NextSearchText(const RepeatSchedule& schedule) {
  if (!schedule.waiting) return std::string();
  // Shown in the local time of now, so a change of daylight saving time
  // during the wait shows the due time as the clock on the wall will read.
  const std::int64_t local = schedule.dueSecond + platform::LocalNow().utcOffsetMinutes * 60LL;
  const std::int64_t ofDay = ((local % 86400) + 86400) % 86400;
  char text[32];
  std::snprintf(text, sizeof text, "Next search at %02d:%02d", static_cast<int>(ofDay / 3600),
                static_cast<int>(ofDay / 60 % 60));
  return text;
}

}  // namespace vemtrix

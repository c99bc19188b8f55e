// The parts of the platform layer that are the same everywhere: test hooks
// for the clock, the random source and sleeping, and the program-folder
// override.
#include <mutex>
#include <random>

#include "platform/platform.h"
#include "platform/platform_detail.h"

namespace vemtrix::platform {
namespace {

struct Hooks {
  std::mutex lock;
  std::function<LocalDateTime()> clock;
  std::function<int(int, int)> random;
  std::function<void(int)> sleeper;
  std::string programDirectory;
};

Hooks& TheHooks() {
  static Hooks hooks;
  return hooks;
}

template <typename T>
T Copy(T Hooks::*member) {
  std::lock_guard<std::mutex> guard(TheHooks().lock);
  return TheHooks().*member;
}

template <typename T>
void Store(T Hooks::*member, T value) {
  std::lock_guard<std::mutex> guard(TheHooks().lock);
  TheHooks().*member = std::move(value);
}

}  // namespace

void SetClockForTesting(std::function<LocalDateTime()> clock) { Store(&Hooks::clock, std::move(clock)); }
void SetRandomForTesting(std::function<int(int, int)> random) { Store(&Hooks::random, std::move(random)); }
void SetSleepForTesting(std::function<void(int)> sleeper) { Store(&Hooks::sleeper, std::move(sleeper)); }

LocalDateTime LocalNow() {
  auto clock = Copy(&Hooks::clock);
  return clock ? clock() : detail::SystemLocalNow();
}

double SecondsSinceMidnight() {
  LocalDateTime now = LocalNow();
  return now.hour * 3600.0 + now.minute * 60.0 + now.second + now.millisecond / 1000.0;
}

int RandomBetween(int low, int high) {
  if (high < low) return low;
  auto random = Copy(&Hooks::random);
  if (random) return random(low, high);
  thread_local std::mt19937 engine{std::random_device{}()};
  return std::uniform_int_distribution<int>(low, high)(engine);
}

void SleepMs(int milliseconds) {
  auto sleeper = Copy(&Hooks::sleeper);
  if (sleeper) {
    sleeper(milliseconds);
  } else if (milliseconds > 0) {
    detail::SystemSleepMs(milliseconds);
  }
}

std::string ProgramDirectory() {
  std::string directory = Copy(&Hooks::programDirectory);
  if (directory.empty()) directory = detail::SystemProgramDirectory();
  if (directory.empty() || directory.back() != PathSeparator()) directory += PathSeparator();
  return directory;
}

void SetProgramDirectory(const std::string& directory) { Store(&Hooks::programDirectory, directory); }

bool StartDetachedThread(std::function<void()> body) {
  Thread thread;
  if (!thread.Start(std::move(body))) return false;
  thread.Detach();
  return true;
}

}  // namespace vemtrix::platform

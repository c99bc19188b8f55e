// The parts of the platform layer that are the same everywhere: test hooks
// for the clock, the random source and sleeping, and the program-folder
// override.
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <random>
#include <set>
#include <vector>

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

bool ForEachLine(const std::string& path, const std::function<bool(std::string_view)>& line) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return false;
  std::vector<char> buffer(1 << 20);
  std::string carry;  // a line that runs across two pieces
  bool more = true;
  auto emit = [&line](std::string_view text) {
    if (!text.empty() && text.back() == '\r') text.remove_suffix(1);
    return line(text);
  };
  while (more) {
    std::size_t got = std::fread(buffer.data(), 1, buffer.size(), file);
    if (got == 0) break;
    std::string_view piece(buffer.data(), got);
    while (more) {
      std::size_t end = piece.find('\n');
      if (end == std::string_view::npos) {
        carry.append(piece);
        break;
      }
      if (carry.empty()) {
        more = emit(piece.substr(0, end));
      } else {
        carry.append(piece.substr(0, end));
        more = emit(carry);
        carry.clear();
      }
      piece.remove_prefix(end + 1);
    }
  }
  bool failed = std::ferror(file) != 0;
  std::fclose(file);
  if (more && !carry.empty()) emit(carry);
  return !failed;
}

namespace {

// The targets being written in this process: a second write of the same
// file waits for the first, since both would use the same temporary file.
struct Writes {
  std::mutex lock;
  std::condition_variable done;
  std::set<std::string> targets;
};

Writes& TheWrites() {
  static Writes& writes = *new Writes;
  return writes;
}

}  // namespace

std::string TemporaryFileFor(const std::string& path) { return path + ".tmp"; }

bool WriteWholeFile(const std::string& path, std::string_view contents) {
  Writes& writes = TheWrites();
  {
    std::unique_lock<std::mutex> guard(writes.lock);
    writes.done.wait(guard, [&] { return writes.targets.count(path) == 0; });
    writes.targets.insert(path);
  }
  bool ok = detail::SystemReplaceFile(path, TemporaryFileFor(path), contents);
  {
    std::lock_guard<std::mutex> guard(writes.lock);
    writes.targets.erase(path);
  }
  writes.done.notify_all();
  return ok;
}

bool StartDetachedThread(std::function<void()> body) {
  Thread thread;
  if (!thread.Start(std::move(body))) return false;
  thread.Detach();
  return true;
}

}  // namespace vemtrix::platform

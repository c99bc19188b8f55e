// The platform layer, run natively and under Wine (its sockets: sockets_test.cpp).
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <set>
#include <string>
#include <thread>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

#include "platform/platform.h"
#include "support/test_folder.h"

using namespace vemtrix::platform;

namespace {

std::string TempFolder(const std::string& name) { return vemtrix::TestFolder(name); }

// Touches about 700 KB of stack: fails on a thread with a much smaller one.
int DeepStackUse(int depth) {
  volatile char block[64 * 1024];
  std::memset(const_cast<char*>(block), depth, sizeof block);
  if (depth == 0) return block[100];
  return DeepStackUse(depth - 1) + block[200];
}

}  // namespace

TEST(PlatformFiles, WriteReadCopyDeleteRoundTrip) {
  std::string dir = TempFolder("files");
  std::string path = dir + "a.txt";
  DeleteFileAt(path);
  EXPECT_FALSE(FileExists(path));

  std::string bytes("line one\r\nzero\0byte\r\n\xff\xfe", 24);
  ASSERT_TRUE(WriteWholeFile(path, bytes));
  EXPECT_TRUE(FileExists(path));
  std::string read;
  ASSERT_TRUE(ReadWholeFile(path, read));
  EXPECT_EQ(read, bytes);

  // Writing again replaces the whole file, even with shorter contents.
  ASSERT_TRUE(WriteWholeFile(path, "short"));
  ASSERT_TRUE(ReadWholeFile(path, read));
  EXPECT_EQ(read, "short");

  ASSERT_TRUE(CopyFileTo(path, dir + "b.txt"));
  ASSERT_TRUE(ReadWholeFile(dir + "b.txt", read));
  EXPECT_EQ(read, "short");

  EXPECT_TRUE(DeleteFileAt(path));
  EXPECT_TRUE(DeleteFileAt(dir + "b.txt"));
  EXPECT_FALSE(FileExists(path));
  EXPECT_FALSE(ReadWholeFile(path, read));
  EXPECT_TRUE(read.empty());
}

namespace {

std::set<std::string> FilesIn(const std::string& dir) {
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) names.insert(entry.path().filename().string());
  return names;
}

// Holds a file open the way another process writing it would.
struct HeldByAnotherWriter {
  explicit HeldByAnotherWriter(const std::string& path) {
#ifdef _WIN32
    handle = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
#else
    fd = open(path.c_str(), O_WRONLY | O_CREAT, 0644);
    if (fd >= 0) flock(fd, LOCK_EX);
#endif
  }
  ~HeldByAnotherWriter() {
#ifdef _WIN32
    CloseHandle(handle);
#else
    close(fd);
#endif
  }
#ifdef _WIN32
  HANDLE handle;
#else
  int fd;
#endif
};

}  // namespace

// A write killed halfway leaves the target's one temporary file, which the
// next write takes over; writers of one target never share it.
TEST(PlatformFiles, OneTemporaryFilePerTarget) {
  std::string dir = TempFolder("temporary");
  for (const std::string& name : FilesIn(dir)) DeleteFileAt(dir + name);
  std::string path = dir + "search.vem";
  EXPECT_EQ(TemporaryFileFor(path), path + ".tmp");
  ASSERT_TRUE(WriteWholeFile(path, "old"));
  ASSERT_TRUE(WriteWholeFile(TemporaryFileFor(path), "half a new fi"));  // what a kill leaves

  ASSERT_TRUE(WriteWholeFile(path, "new"));
  std::string read;
  ASSERT_TRUE(ReadWholeFile(path, read));
  EXPECT_EQ(read, "new");
  EXPECT_EQ(FilesIn(dir), std::set<std::string>{"search.vem"});

  // Threads saving one target one after the other: each file whole.
  std::vector<std::thread> writers;
  for (int i = 0; i < 8; ++i) {
    writers.emplace_back([&path, i] {
      for (int k = 0; k < 20; ++k) EXPECT_TRUE(WriteWholeFile(path, std::string(100000 + i, static_cast<char>('a' + i))));
    });
  }
  for (std::thread& writer : writers) writer.join();
  ASSERT_TRUE(ReadWholeFile(path, read));
  ASSERT_GE(read.size(), 100000u);
  EXPECT_EQ(read, std::string(read.size(), static_cast<char>('a' + (read.size() - 100000))));
  EXPECT_EQ(FilesIn(dir), std::set<std::string>{"search.vem"});

  // Another process in the middle of writing it: this write fails and
  // leaves both files alone.
  {
    HeldByAnotherWriter other(TemporaryFileFor(path));
    EXPECT_FALSE(WriteWholeFile(path, "mine"));
  }
  ASSERT_TRUE(ReadWholeFile(path, read));
  EXPECT_GE(read.size(), 100000u);
  ASSERT_TRUE(WriteWholeFile(path, "after"));
  EXPECT_EQ(FilesIn(dir), std::set<std::string>{"search.vem"});
}

TEST(PlatformFiles, FailedWriteLeavesNothingBehind) {
  std::string dir = TempFolder("nowhere");
  std::string missing = dir + "no-such-folder" + PathSeparator() + "x.txt";
  EXPECT_FALSE(WriteWholeFile(missing, "data"));
  EXPECT_FALSE(FileExists(missing));
  // A folder is not a file.
  EXPECT_FALSE(FileExists(dir));
}

TEST(PlatformFiles, CreateFolderMakesParents) {
  std::string dir = TempFolder("nested");
  std::string deep = dir + "one" + PathSeparator() + "two";
  EXPECT_TRUE(CreateFolder(deep));
  EXPECT_TRUE(CreateFolder(deep));  // again: already there
  EXPECT_TRUE(WriteWholeFile(deep + PathSeparator() + "f", "x"));
  EXPECT_TRUE(FileExists(deep + PathSeparator() + "f"));
}

TEST(PlatformFiles, ProgramDirectoryEndsWithSeparatorAndCanBeOverridden) {
  std::string real = ProgramDirectory();
  ASSERT_FALSE(real.empty());
  EXPECT_EQ(real.back(), PathSeparator());

  SetProgramDirectory(std::string("some") + PathSeparator() + "where");
  EXPECT_EQ(ProgramDirectory(), std::string("some") + PathSeparator() + "where" + PathSeparator());
  SetProgramDirectory("");
  EXPECT_EQ(ProgramDirectory(), real);
}

TEST(PlatformThreads, RunWithAFullMegabyteOfStackAndJoin) {
  std::atomic<int> result{-1};
  Thread thread;
  ASSERT_TRUE(thread.Start([&] { result = DeepStackUse(10) >= 0 ? 1 : 0; }));
  thread.Join();
  EXPECT_EQ(result.load(), 1);
  EXPECT_FALSE(thread.Joinable());

  std::atomic<bool> ran{false};
  ASSERT_TRUE(StartDetachedThread([&] { ran = true; }));
  for (int i = 0; i < 500 && !ran; ++i) SleepMs(10);
  EXPECT_TRUE(ran.load());
}

TEST(PlatformClock, LocalNowIsPlausibleAndReplaceable) {
  LocalDateTime now = LocalNow();
  EXPECT_GE(now.year, 2024);
  EXPECT_GE(now.month, 1);
  EXPECT_LE(now.month, 12);
  EXPECT_GE(now.day, 1);
  EXPECT_LE(now.day, 31);
  EXPECT_LT(now.hour, 24);

  SetClockForTesting([] { return LocalDateTime{2026, 3, 7, 9, 5, 3, 500}; });
  EXPECT_EQ(LocalNow().day, 7);
  EXPECT_DOUBLE_EQ(SecondsSinceMidnight(), 9 * 3600 + 5 * 60 + 3.5);
  SetClockForTesting(nullptr);
  EXPECT_GE(LocalNow().year, 2024);
}

TEST(PlatformRandom, StaysWithinBoundsAndCanBeReplaced) {
  std::set<int> seen;
  for (int i = 0; i < 2000; ++i) {
    int value = RandomBetween(25, 35);
    ASSERT_GE(value, 25);
    ASSERT_LE(value, 35);
    seen.insert(value);
  }
  EXPECT_EQ(seen.size(), 11u);  // every value turns up in 2000 draws
  EXPECT_EQ(RandomBetween(4, 4), 4);

  SetRandomForTesting([](int low, int) { return low; });
  EXPECT_EQ(RandomBetween(25, 35), 25);
  SetRandomForTesting(nullptr);
}

TEST(PlatformSleep, ReplacedSleepDoesNotWait) {
  int total = 0;
  SetSleepForTesting([&](int ms) { total += ms; });
  auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < 350; ++i) SleepMs(100);  // 35 "seconds"
  auto spent = std::chrono::steady_clock::now() - start;
  SetSleepForTesting(nullptr);
  EXPECT_EQ(total, 35000);
  EXPECT_LT(spent, std::chrono::seconds(5));

  start = std::chrono::steady_clock::now();
  SleepMs(30);
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(20));
}

TEST(PlatformFiles, ForEachLineReadsLinesAcrossPieces) {
  std::string dir = TempFolder("lines");
  std::string path = dir + "lines.txt";
  std::string longLine(3 * 1024 * 1024 + 17, 'x');  // spans several read pieces
  ASSERT_TRUE(WriteWholeFile(path, "first\r\n\r\n" + longLine + "\nlast without end"));
  std::vector<std::string> lines;
  ASSERT_TRUE(ForEachLine(path, [&](std::string_view line) {
    lines.emplace_back(line);
    return true;
  }));
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0], "first");
  EXPECT_EQ(lines[1], "");
  EXPECT_EQ(lines[2], longLine);
  EXPECT_EQ(lines[3], "last without end");

  int seen = 0;
  ForEachLine(path, [&](std::string_view) { return ++seen < 2; });
  EXPECT_EQ(seen, 2);  // stopped when asked
  EXPECT_FALSE(ForEachLine(dir + "missing.txt", [](std::string_view) { return true; }));
}

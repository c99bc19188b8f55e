// Audio prompts under Wine: whichever path the system takes (a speech object
// or the beeps), it must finish and must not hang the caller.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>

#include "platform/platform.h"
#include "ui/speech.h"

using namespace vemtrix;

TEST(Speech, SpeakThreadFinishesOnEitherPath) {
  std::atomic<int> outcome{-1};
  platform::Thread thread;
  ASSERT_TRUE(thread.Start([&] { outcome = static_cast<int>(ui::SpeakThread("Search complete!")); }));
  for (int i = 0; i < 300 && outcome < 0; ++i) platform::SleepMs(100);
  ASSERT_GE(outcome.load(), 0) << "the speaking thread did not finish within 30 seconds";
  thread.Join();
}

TEST(Speech, SpeakReturnsAfterAShortPauseAndEmptyTextDoesNothing) {
  auto start = std::chrono::steady_clock::now();
  ui::Speak("Oh no! Search failed! This sentence is long enough to take several seconds to say.");
  auto spent = std::chrono::steady_clock::now() - start;
  EXPECT_GE(spent, std::chrono::milliseconds(140));
  EXPECT_LT(spent, std::chrono::milliseconds(2000));

  start = std::chrono::steady_clock::now();
  ui::Speak("");
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(50));
  platform::SleepMs(3000);  // let the detached speaker finish before the process ends
}

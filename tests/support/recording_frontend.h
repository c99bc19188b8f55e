// A Frontend that records what the engine asked it to show, for tests.
#pragma once

#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "core/frontend.h"

namespace vemtrix::testing {

class RecordingFrontend : public Frontend {
 public:
  RecordingFrontend() { SetFrontend(this); }
  ~RecordingFrontend() override { SetFrontend(nullptr); }

  void ShowStatusPart(int part, const std::string& text) override {
    std::lock_guard<std::mutex> guard(lock_);
    statusParts_.emplace_back(part, text);
  }
  void ShowBytesDownloaded(std::uint32_t bytes) override {
    std::lock_guard<std::mutex> guard(lock_);
    bytesShown_.push_back(bytes);
  }

  std::vector<std::pair<int, std::string>> StatusParts() {
    std::lock_guard<std::mutex> guard(lock_);
    return statusParts_;
  }
  std::vector<std::uint32_t> BytesShown() {
    std::lock_guard<std::mutex> guard(lock_);
    return bytesShown_;
  }

 private:
  std::mutex lock_;
  std::vector<std::pair<int, std::string>> statusParts_;
  std::vector<std::uint32_t> bytesShown_;
};

}  // namespace vemtrix::testing

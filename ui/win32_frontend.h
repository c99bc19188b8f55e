// The window's Frontend. Calls from other threads never touch a control:
// they are queued, one wake-up message at most is posted, and the window's
// thread applies the whole queue at once (a million appended rows cost one
// list update per batch, not a million messages). Calls on the window's own
// thread apply at once, after what is queued.
#pragma once

#include <windows.h>

#include <array>
#include <atomic>
#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/frontend.h"
#include "ui/window_thread.h"

namespace vemtrix::ui {

class Win32Frontend : public Frontend {
 public:
  // The one front end of the window; it lives as long as the program, so a
  // late call from a worker after the window closed finds it detached.
  static Win32Frontend& Instance();

  // Window thread: the window the changes go to; Detach drops what is queued
  // and every later call.
  void Attach(HWND window);
  void Detach();
  // Window thread: applies every queued change.
  void Drain();
  // Window thread: the summary of the last search run applied by Drain.
  const RunSummary& LastSummary() const { return lastSummary_; }

  void ShowRequestLine(const std::string& text) override;
  void ShowBytesDownloaded(std::uint32_t bytes) override;
  void ShowResultCounters(std::int32_t newThisRun, std::int32_t total) override;
  void ShowWorkerRow(WorkerBlock block, int slot, const std::string& text, WorkerLight light, SiteId site) override;
  void ShowProgress(int permille) override;
  void ShowRunState(RunState state) override;
  void SearchRunEnded() override;
  void ShowRunSummary(const RunSummary& summary) override;
  void ShowDeepScanRows() override;
  void DeepScanStateChanged(bool running) override;
  void ResultAddedAtTop(std::int32_t row) override;
  void ResultChanged(std::int32_t row) override;
  void ResultListRebuilt() override;
  MessageAnswer ShowMessage(const std::string& caption, const std::string& text, MessageIcon icon,
                            MessageButtons buttons, MessageModality modality) override;
  std::optional<std::string> ChooseFile(const FileDialogRequest& request) override;
  void CurrentSearchChanged() override;
  void CatalogMarksChanged() override;
  void OpenInBrowser(const std::string& target) override;
  void Speak(const std::string& text) override;

 private:
  struct WorkerRowState {
    std::string text;
    WorkerLight light = WorkerLight::Idle;
    SiteId site = SiteId::None;
  };
  struct Pending {
    std::optional<std::string> requestLine;
    std::optional<std::uint32_t> bytes;
    std::optional<std::pair<std::int32_t, std::int32_t>> counters;
    std::optional<int> progress;
    std::optional<RunState> runState;
    std::map<std::pair<int, int>, WorkerRowState> workerRows;
    std::vector<std::int32_t> addedRows;
    std::vector<std::int32_t> changedRows;
    std::optional<bool> deepScanRunning;
    bool showDeepScanRows = false;
    bool runEnded = false;
    std::optional<RunSummary> summary;
    bool rebuild = false;  // the list is rebuilt before the rows added after it
  };

  bool OnWindowThread() const;
  // Queues change; on the window's own thread it is applied at once.
  template <typename Change>
  void Queue(Change change);

  WindowQueue<Pending> queue_;
  HWND window_ = nullptr;
  std::atomic<DWORD> windowThread_{0};
  std::atomic<bool> attached_{false};
  RunSummary lastSummary_;  // window thread only
};

// Called by the window on its wake-up message.
void DrainFrontendQueue();

}  // namespace vemtrix::ui

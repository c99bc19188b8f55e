// A Frontend that records what the engine asked it to show, for tests, and
// answers questions with a scripted answer.
#pragma once

#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/frontend.h"

namespace vemtrix::testing {

struct RecordedWorkerRow {
  WorkerBlock block;
  int slot;
  std::string text;
  WorkerLight light;
  SiteId site;
};

struct RecordedMessage {
  std::string caption;
  std::string text;
  MessageIcon icon;
  MessageButtons buttons;
  MessageModality modality;
};

class RecordingFrontend : public Frontend {
 public:
  RecordingFrontend() { SetFrontend(this); }
  ~RecordingFrontend() override { SetFrontend(nullptr); }

  void ShowRequestLine(const std::string& text) override {
    std::lock_guard<std::mutex> guard(lock_);
    requestLines_.push_back(text);
  }
  void ShowBytesDownloaded(std::uint32_t bytes) override {
    std::lock_guard<std::mutex> guard(lock_);
    bytesShown_.push_back(bytes);
  }
  void ShowResultCounters(std::int32_t newThisRun, std::int32_t total) override {
    std::lock_guard<std::mutex> guard(lock_);
    counters_.emplace_back(newThisRun, total);
  }
  void ResultAddedAtTop(std::int32_t row) override {
    std::lock_guard<std::mutex> guard(lock_);
    rowsAdded_.push_back(row);
  }
  void ResultChanged(std::int32_t row) override {
    std::lock_guard<std::mutex> guard(lock_);
    rowsChanged_.push_back(row);
  }
  void ResultListRebuilt() override {
    std::lock_guard<std::mutex> guard(lock_);
    ++rebuilds_;
  }
  void ShowWorkerRow(WorkerBlock block, int slot, const std::string& text, WorkerLight light,
                     SiteId site) override {
    std::lock_guard<std::mutex> guard(lock_);
    workerRows_.push_back({block, slot, text, light, site});
  }
  void ShowProgress(int permille) override {
    std::lock_guard<std::mutex> guard(lock_);
    progress_.push_back(permille);
  }
  void ShowRunState(RunState state) override {
    std::lock_guard<std::mutex> guard(lock_);
    runStates_.push_back(state);
  }
  void SearchRunEnded() override {
    std::lock_guard<std::mutex> guard(lock_);
    ++runsEnded_;
  }
  void ShowRunSummary(const RunSummary& summary) override {
    std::lock_guard<std::mutex> guard(lock_);
    summaries_.push_back(summary);
  }
  void ShowDeepScanRows() override {
    std::lock_guard<std::mutex> guard(lock_);
    ++deepScanRowsShown_;
  }
  void DeepScanStateChanged(bool running) override {
    std::lock_guard<std::mutex> guard(lock_);
    deepScanStates_.push_back(running);
  }
  MessageAnswer ShowMessage(const std::string& caption, const std::string& text, MessageIcon icon,
                            MessageButtons buttons, MessageModality modality) override {
    std::function<void()> whileShown;
    MessageAnswer answer;
    {
      std::lock_guard<std::mutex> guard(lock_);
      messages_.push_back({caption, text, icon, buttons, modality});
      whileShown = whileShown_;
      answer = buttons == MessageButtons::Ok ? MessageAnswer::Ok : answer_;
    }
    // A modal box stays up while the user reads it.
    if (whileShown) whileShown();
    return answer;
  }
  // Each file dialog takes the next scripted answer (none left: cancelled).
  std::optional<std::string> ChooseFile(const FileDialogRequest& request) override {
    std::lock_guard<std::mutex> guard(lock_);
    dialogs_.push_back(request);
    if (fileAnswers_.empty()) return std::nullopt;
    std::optional<std::string> answer = fileAnswers_.front();
    fileAnswers_.pop_front();
    return answer;
  }
  void CurrentSearchChanged() override {
    std::lock_guard<std::mutex> guard(lock_);
    ++currentSearchChanges_;
  }
  void CatalogMarksChanged() override {
    std::lock_guard<std::mutex> guard(lock_);
    ++catalogMarkChanges_;
  }
  void OpenInBrowser(const std::string& target) override {
    std::lock_guard<std::mutex> guard(lock_);
    opened_.push_back(target);
  }
  void Speak(const std::string& text) override {
    std::lock_guard<std::mutex> guard(lock_);
    spoken_.push_back(text);
  }

  // Runs while a message is "on screen" (on the thread that showed it).
  void WhileMessageShown(std::function<void()> action) {
    std::lock_guard<std::mutex> guard(lock_);
    whileShown_ = std::move(action);
  }

  // The next file dialog returns path (std::nullopt: the user cancels).
  void AnswerNextFileDialogWith(std::optional<std::string> path) {
    std::lock_guard<std::mutex> guard(lock_);
    fileAnswers_.push_back(std::move(path));
  }

  // The answer given to every question.
  void AnswerQuestionsWith(MessageAnswer answer) {
    std::lock_guard<std::mutex> guard(lock_);
    answer_ = answer;
  }

  template <typename T>
  T Get(const T RecordingFrontend::*member) {
    std::lock_guard<std::mutex> guard(lock_);
    return this->*member;
  }
  std::vector<std::string> RequestLines() { return Get(&RecordingFrontend::requestLines_); }
  std::vector<std::uint32_t> BytesShown() { return Get(&RecordingFrontend::bytesShown_); }
  std::vector<std::pair<std::int32_t, std::int32_t>> Counters() { return Get(&RecordingFrontend::counters_); }
  std::vector<std::int32_t> RowsAdded() { return Get(&RecordingFrontend::rowsAdded_); }
  std::vector<std::int32_t> RowsChanged() { return Get(&RecordingFrontend::rowsChanged_); }
  int Rebuilds() { return Get(&RecordingFrontend::rebuilds_); }
  std::vector<RecordedMessage> Messages() { return Get(&RecordingFrontend::messages_); }
  std::vector<std::string> Spoken() { return Get(&RecordingFrontend::spoken_); }
  std::vector<RecordedWorkerRow> WorkerRows() { return Get(&RecordingFrontend::workerRows_); }
  std::vector<int> Progress() { return Get(&RecordingFrontend::progress_); }
  std::vector<RunState> RunStates() { return Get(&RecordingFrontend::runStates_); }
  int RunsEnded() { return Get(&RecordingFrontend::runsEnded_); }
  std::vector<RunSummary> Summaries() { return Get(&RecordingFrontend::summaries_); }
  int DeepScanRowsShown() { return Get(&RecordingFrontend::deepScanRowsShown_); }
  // The Deep Scan button's states: true when a scan started, false when it ended.
  std::vector<bool> DeepScanStates() { return Get(&RecordingFrontend::deepScanStates_); }
  int CurrentSearchChanges() { return Get(&RecordingFrontend::currentSearchChanges_); }
  int CatalogMarkChanges() { return Get(&RecordingFrontend::catalogMarkChanges_); }
  std::vector<FileDialogRequest> Dialogs() { return Get(&RecordingFrontend::dialogs_); }
  std::vector<std::string> Opened() { return Get(&RecordingFrontend::opened_); }

 private:
  std::mutex lock_;
  MessageAnswer answer_ = MessageAnswer::No;
  std::vector<std::string> requestLines_;
  std::vector<std::uint32_t> bytesShown_;
  std::vector<std::pair<std::int32_t, std::int32_t>> counters_;
  std::vector<std::int32_t> rowsAdded_;
  std::vector<std::int32_t> rowsChanged_;
  int rebuilds_ = 0;
  std::vector<RecordedMessage> messages_;
  std::vector<std::string> spoken_;
  std::vector<RecordedWorkerRow> workerRows_;
  std::vector<int> progress_;
  std::vector<RunState> runStates_;
  int runsEnded_ = 0;
  std::vector<RunSummary> summaries_;
  int deepScanRowsShown_ = 0;
  std::vector<bool> deepScanStates_;
  int currentSearchChanges_ = 0;
  int catalogMarkChanges_ = 0;
  std::function<void()> whileShown_;
  std::deque<std::optional<std::string>> fileAnswers_;
  std::vector<FileDialogRequest> dialogs_;
  std::vector<std::string> opened_;
};

}  // namespace vemtrix::testing

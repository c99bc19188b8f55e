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

  void ShowStatusPart(int part, const std::string& text) override {
    std::lock_guard<std::mutex> guard(lock_);
    statusParts_.emplace_back(part, text);
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
  void ShowProgress(int permille, const std::string& text) override {
    std::lock_guard<std::mutex> guard(lock_);
    progress_.emplace_back(permille, text);
  }
  void SearchRunEnded() override {
    std::lock_guard<std::mutex> guard(lock_);
    ++runsEnded_;
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
  void HarvestLogAppended(const std::string& text) override {
    std::lock_guard<std::mutex> guard(lock_);
    harvestLog_ += text;
  }
  void SetHarvestButtonCaption(const std::string& caption) override {
    std::lock_guard<std::mutex> guard(lock_);
    harvestCaptions_.push_back(caption);
  }
  void EnableHarvestButtons(bool beginDownload, bool cancel) override {
    std::lock_guard<std::mutex> guard(lock_);
    harvestButtons_.emplace_back(beginDownload, cancel);
  }
  void HarvestSiteChanged(SiteId site) override {
    std::lock_guard<std::mutex> guard(lock_);
    harvestSites_.push_back(site);
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
  std::vector<std::pair<int, std::string>> StatusParts() { return Get(&RecordingFrontend::statusParts_); }
  std::vector<std::uint32_t> BytesShown() { return Get(&RecordingFrontend::bytesShown_); }
  std::vector<std::pair<std::int32_t, std::int32_t>> Counters() { return Get(&RecordingFrontend::counters_); }
  std::vector<std::int32_t> RowsAdded() { return Get(&RecordingFrontend::rowsAdded_); }
  std::vector<std::int32_t> RowsChanged() { return Get(&RecordingFrontend::rowsChanged_); }
  int Rebuilds() { return Get(&RecordingFrontend::rebuilds_); }
  std::vector<RecordedMessage> Messages() { return Get(&RecordingFrontend::messages_); }
  std::vector<std::string> Spoken() { return Get(&RecordingFrontend::spoken_); }
  std::vector<RecordedWorkerRow> WorkerRows() { return Get(&RecordingFrontend::workerRows_); }
  std::vector<std::pair<int, std::string>> Progress() { return Get(&RecordingFrontend::progress_); }
  int RunsEnded() { return Get(&RecordingFrontend::runsEnded_); }
  int DeepScanRowsShown() { return Get(&RecordingFrontend::deepScanRowsShown_); }
  // The Deep Scan button's states: true when a scan started, false when it ended.
  std::vector<bool> DeepScanStates() { return Get(&RecordingFrontend::deepScanStates_); }
  int CurrentSearchChanges() { return Get(&RecordingFrontend::currentSearchChanges_); }
  int CatalogMarkChanges() { return Get(&RecordingFrontend::catalogMarkChanges_); }
  std::vector<FileDialogRequest> Dialogs() { return Get(&RecordingFrontend::dialogs_); }
  std::vector<std::string> Opened() { return Get(&RecordingFrontend::opened_); }
  // The harvest log as appended, the "Begin Download" captions, the button
  // states (begin, cancel) and the sites harvested, in order.
  std::string HarvestLog() { return Get(&RecordingFrontend::harvestLog_); }
  std::vector<std::string> HarvestCaptions() { return Get(&RecordingFrontend::harvestCaptions_); }
  std::vector<std::pair<bool, bool>> HarvestButtons() { return Get(&RecordingFrontend::harvestButtons_); }
  std::vector<SiteId> HarvestSites() { return Get(&RecordingFrontend::harvestSites_); }

 private:
  std::mutex lock_;
  MessageAnswer answer_ = MessageAnswer::No;
  std::vector<std::pair<int, std::string>> statusParts_;
  std::vector<std::uint32_t> bytesShown_;
  std::vector<std::pair<std::int32_t, std::int32_t>> counters_;
  std::vector<std::int32_t> rowsAdded_;
  std::vector<std::int32_t> rowsChanged_;
  int rebuilds_ = 0;
  std::vector<RecordedMessage> messages_;
  std::vector<std::string> spoken_;
  std::vector<RecordedWorkerRow> workerRows_;
  std::vector<std::pair<int, std::string>> progress_;
  int runsEnded_ = 0;
  int deepScanRowsShown_ = 0;
  std::vector<bool> deepScanStates_;
  int currentSearchChanges_ = 0;
  int catalogMarkChanges_ = 0;
  std::function<void()> whileShown_;
  std::deque<std::optional<std::string>> fileAnswers_;
  std::vector<FileDialogRequest> dialogs_;
  std::vector<std::string> opened_;
  std::string harvestLog_;
  std::vector<std::string> harvestCaptions_;
  std::vector<std::pair<bool, bool>> harvestButtons_;
  std::vector<SiteId> harvestSites_;
};

}  // namespace vemtrix::testing

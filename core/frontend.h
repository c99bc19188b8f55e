// The one interface through which the engine tells the user interface what
// happened and asks the user what to do. The Windows front end implements it;
// tests use a recording fake; the command-line tool prints to standard error.
//
// Threads: each method says from which threads the engine calls it. A method
// called from worker threads must return at once and must not touch a window
// from that thread: the Windows front end queues the change for the window's
// thread. Only ShowMessage and ChooseFile return an answer; ShowMessage may
// block its calling thread (a worker's box blocks only that worker).
//
// The engine never calls it while holding the result store's lock.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/site_id.h"

namespace vemtrix {

enum class MessageIcon { None, Error, Warning, Information, Question };
// YesNoDefaultNo: Yes and No with No as the default button, for questions
// whose Yes loses data.
enum class MessageButtons { Ok, YesNo, YesNoCancel, YesNoDefaultNo };
enum class MessageAnswer { Ok, Yes, No, Cancel };
// Message boxes the Parts give as system-modal (the Load/New/Go! guards).
enum class MessageModality { Normal, System };
enum class WorkerBlock { Search, DeepScan };
// A worker row's light: nothing to do, a download under way, a problem
// (a retry countdown or a failed download).
enum class WorkerLight { Idle, Downloading, Problem };
// What the status bar's run-state part says: "Inactive" between runs,
// "Searching" during a search, "Scanning" while a deep scan runs alone.
enum class RunState { Inactive, Searching, Scanning };

// A search job that a run gave up after its last attempt, and why (the
// download's failure in words: "no answer", "server error 500", ...).
struct FailedSearch {
  std::string term;
  std::string city;     // the city's name
  std::string section;  // the section's name
  std::string host;     // the city entry the job asked
  std::string reason;
};

// How a search run went, told once at its end.
struct RunSummary {
  std::int32_t results = 0;  // rows in the results list at the end
  std::int32_t added = 0;    // rows this run added
  std::int32_t jobs = 0;     // the run's searches (its job total)
  std::vector<FailedSearch> failed;  // in the order they were given up
  bool aborted = false;      // Abort (or closing) stopped the run
};

// What a save or open dialog shows.
struct FileDialogRequest {
  bool save = true;
  std::string title;               // "Please select an HTML file"
  std::string filterName;          // "All HTML files (*.html)"
  std::string pattern;             // "*.html"
  std::string initialFolder;
  std::string proposedName;
  std::string defaultExtension;    // "html"
};

class Frontend {
 public:
  virtual ~Frontend() = default;

  // ---- status bar and status page (any thread)
  // The status bar's request line (its wide first part) shows text: the
  // page being fetched, a run's error pages. Any thread.
  virtual void ShowRequestLine(const std::string& text) = 0;
  // The status page's downloaded-bytes field shows bytes (formatted "0,").
  virtual void ShowBytesDownloaded(std::uint32_t bytes) = 0;
  // The status page's new-results counter and total.
  virtual void ShowResultCounters(std::int32_t newThisRun, std::int32_t total) = 0;

  // ---- search and deep-scan runs
  // A worker's status row: its text, its light and the site it works on
  // (SiteId::None: no site). Slots are numbered 1 to 12. Called from search
  // and deep-scan workers.
  virtual void ShowWorkerRow(WorkerBlock block, int slot, const std::string& text, WorkerLight light,
                             SiteId site) = 0;
  // The progress bar shows permille (0..1000). Called from the dispatcher
  // and deep-scan workers.
  virtual void ShowProgress(int permille) = 0;
  // The run-state part of the status bar. Called from the dispatcher, the
  // deep scan's last worker and the window thread.
  virtual void ShowRunState(RunState state) = 0;
  // A search run has ended: title, Go! buttons and the controls disabled for
  // the run are restored. Called from the dispatcher thread as it ends.
  virtual void SearchRunEnded() = 0;
  // How the run that just ended went. Called from the dispatcher thread after
  // SearchRunEnded and the last status-bar calls of the run.
  virtual void ShowRunSummary(const RunSummary& summary) = 0;
  // A deep scan starts: the status page shows its worker rows. Window thread.
  virtual void ShowDeepScanRows() = 0;
  // A deep scan started (true) or ended (false): the Deep Scan button offers
  // to abort it or to start one. Window thread (start) and the last deep-scan
  // worker (end).
  virtual void DeepScanStateChanged(bool running) = 0;

  // ---- results list
  // Row `row` (1-based store index) was added and goes to the top of the
  // list. Search workers.
  virtual void ResultAddedAtTop(std::int32_t row) = 0;
  // Row `row` changed (its full text, say). Deep-scan workers.
  virtual void ResultChanged(std::int32_t row) = 0;
  // The list must be rebuilt from the store in store order (after deletion,
  // clear, load). Window thread.
  virtual void ResultListRebuilt() = 0;

  // ---- messages and questions: modal; returns the button pressed. Any
  // thread; blocks the caller until answered.
  virtual MessageAnswer ShowMessage(const std::string& caption, const std::string& text, MessageIcon icon,
                                    MessageButtons buttons, MessageModality modality = MessageModality::Normal) = 0;

  // ---- file dialogs: the chosen path, or nothing when cancelled. Window
  // thread only.
  virtual std::optional<std::string> ChooseFile(const FileDialogRequest& request) = 0;

  // ---- the current search (CurrentSearch()) was replaced or renamed by a
  // load or save: the name and terms boxes show it again. Window thread.
  virtual void CurrentSearchChanged() = 0;
  // The catalogs' selection marks changed: the trees show them again.
  // Window thread.
  virtual void CatalogMarksChanged() = 0;

  // ---- hands a file name or web address to the system's "open" verb.
  // Window thread, and the update check's own thread when the user says Yes.
  virtual void OpenInBrowser(const std::string& target) = 0;

  // ---- audio prompts: speaks text without waiting for the speech. Any thread.
  virtual void Speak(const std::string& text) = 0;
};

// A front end that shows nothing and answers every question with its
// default (Ok, or No); the engine's default.
class NullFrontend : public Frontend {
 public:
  void ShowRequestLine(const std::string&) override {}
  void ShowBytesDownloaded(std::uint32_t) override {}
  void ShowResultCounters(std::int32_t, std::int32_t) override {}
  void ShowWorkerRow(WorkerBlock, int, const std::string&, WorkerLight, SiteId) override {}
  void ShowProgress(int) override {}
  void ShowRunState(RunState) override {}
  void SearchRunEnded() override {}
  void ShowRunSummary(const RunSummary&) override {}
  void ShowDeepScanRows() override {}
  void DeepScanStateChanged(bool) override {}
  void ResultAddedAtTop(std::int32_t) override {}
  void ResultChanged(std::int32_t) override {}
  void ResultListRebuilt() override {}
  MessageAnswer ShowMessage(const std::string&, const std::string&, MessageIcon, MessageButtons buttons,
                            MessageModality) override {
    return buttons == MessageButtons::Ok ? MessageAnswer::Ok : MessageAnswer::No;
  }
  std::optional<std::string> ChooseFile(const FileDialogRequest&) override { return std::nullopt; }
  void CurrentSearchChanged() override {}
  void CatalogMarksChanged() override {}
  void OpenInBrowser(const std::string&) override {}
  void Speak(const std::string&) override {}
};

// The front end in use. Never null: SetFrontend(nullptr) restores NullFrontend.
Frontend& UI();
void SetFrontend(Frontend* frontend);

// A count with thousands separators ("0," format): 1234567 gives "1,234,567".
std::string FormatCount(std::int64_t value);

}  // namespace vemtrix

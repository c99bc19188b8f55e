// The one interface through which the engine tells the user interface what
// to show and asks the user what to do. The Windows front end implements it;
// tests use a recording fake; the command-line tool prints to standard error.
//
// The engine never calls it while holding the result store's lock.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace vemtrix {

enum class MessageIcon { None, Error, Warning, Information, Question };
enum class MessageButtons { Ok, YesNo, YesNoCancel };
enum class MessageAnswer { Ok, Yes, No, Cancel };
enum class WorkerBlock { Search, DeepScan };

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

  // ---- status bar and status page
  // Status bar part `part` (0-based) shows text.
  virtual void ShowStatusPart(int part, const std::string& text) = 0;
  // The status page's downloaded-bytes field shows bytes (formatted "0,").
  virtual void ShowBytesDownloaded(std::uint32_t bytes) = 0;
  // The status page's new-results counter and total.
  virtual void ShowResultCounters(std::int32_t newThisRun, std::int32_t total) { (void)newThisRun, (void)total; }

  // ---- search and deep-scan runs
  // A worker's status row: its text, its light ("ICONGREEN", "ICONRED",
  // "ICONDULL") and its site icon ("CRAIGSLIST", ..., "HARDLYTHERE").
  virtual void ShowWorkerRow(WorkerBlock block, int slot, const std::string& text, const std::string& light,
                             const std::string& siteIcon) {
    (void)block, (void)slot, (void)text, (void)light, (void)siteIcon;
  }
  // The progress part of the status bar shows text; the bar shows permille.
  virtual void ShowProgress(int permille, const std::string& text) { (void)permille, (void)text; }
  // A search run has ended: title, Go! buttons and the controls disabled for
  // the run are restored.
  virtual void SearchRunEnded() {}
  // The deep-scan rows of the status page are shown.
  virtual void ShowDeepScanRows() {}
  // The Deep Scan button's caption ("Deep Scan" or "Abort DS").
  virtual void SetDeepScanCaption(const std::string& caption) { (void)caption; }

  // ---- results list
  // Row `row` (1-based store index) was added and goes to the top of the list.
  virtual void ResultAddedAtTop(std::int32_t row) { (void)row; }
  // Row `row` changed (its full text, say).
  virtual void ResultChanged(std::int32_t row) { (void)row; }
  // The list must be rebuilt from the store (after deletion, clear, load).
  virtual void ResultListRebuilt() {}

  // ---- messages and questions: modal; returns the button pressed.
  virtual MessageAnswer ShowMessage(const std::string& caption, const std::string& text, MessageIcon icon,
                                    MessageButtons buttons) {
    (void)caption, (void)text, (void)icon;
    return buttons == MessageButtons::Ok ? MessageAnswer::Ok : MessageAnswer::No;
  }

  // ---- file dialogs: the chosen path, or nothing when cancelled.
  virtual std::optional<std::string> ChooseFile(const FileDialogRequest& request) {
    (void)request;
    return std::nullopt;
  }

  // ---- the current search's name and terms boxes, and the catalog trees
  virtual std::string SearchName() { return searchName_; }
  virtual void SetSearchName(const std::string& name) { searchName_ = name; }
  virtual std::string SearchTerms() { return searchTerms_; }
  virtual void SetSearchTerms(const std::string& terms) { searchTerms_ = terms; }
  // The catalogs' selection marks changed: the trees show them again.
  virtual void CatalogMarksChanged() {}

  // ---- hands a file name or web address to the system's "open" verb.
  virtual void OpenInBrowser(const std::string& target) { (void)target; }

  // ---- audio prompts: speaks text without waiting for the speech.
  virtual void Speak(const std::string& text) { (void)text; }

  // ---- the first-run catalog download ("Download Sections and Cities")
  // text was appended to the harvest log; the log field shows the whole log
  // (HarvestLogText()) scrolled to its end.
  virtual void HarvestLogAppended(const std::string& text) { (void)text; }
  // The "Begin Download" button's caption (a step's title, then "Start" or
  // "Exit (Try Later)").
  virtual void SetHarvestButtonCaption(const std::string& caption) { (void)caption; }
  // Which of the dialog's two buttons take clicks.
  virtual void EnableHarvestButtons(bool beginDownload, bool cancel) { (void)beginDownload, (void)cancel; }
  // HarvestPhase changed: the site the picture animation shows (1 Craigslist,
  // 2 Kijiji, 3 Backpage, 4 Daype; 0 idle). The first non-zero phase of a run
  // starts the animation.
  virtual void HarvestPhaseChanged(int phase) { (void)phase; }

 private:
  // Without a window the boxes are plain texts.
  std::string searchName_ = "default";
  std::string searchTerms_;
};

// A front end that shows nothing; the engine's default.
class NullFrontend : public Frontend {
 public:
  void ShowStatusPart(int, const std::string&) override {}
  void ShowBytesDownloaded(std::uint32_t) override {}
};

// The front end in use. Never null: SetFrontend(nullptr) restores NullFrontend.
Frontend& UI();
void SetFrontend(Frontend* frontend);

// Status bar part indices.
inline constexpr int kStatusPartRequest = 1;
inline constexpr int kStatusPartProgress = 2;

// A count with thousands separators ("0," format): 1234567 gives "1,234,567".
std::string FormatCount(std::int64_t value);

}  // namespace vemtrix

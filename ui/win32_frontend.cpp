#include "ui/win32_frontend.h"

#include <commctrl.h>
#include <commdlg.h>

#include "core/current_search.h"
#include "ui/boxes_and_shell.h"
#include "ui/logic/window_text.h"
#include "ui/speech.h"
#include "ui/window_state.h"

namespace vemtrix::ui {

Win32Frontend& Win32Frontend::Instance() {
  static Win32Frontend* frontend = new Win32Frontend();  // never destroyed: workers may outlive main
  return *frontend;
}

void Win32Frontend::Attach(HWND window) {
  window_ = window;
  windowThread_ = GetCurrentThreadId();
  queue_.Attach(window);
  attached_ = true;
}

void Win32Frontend::Detach() {
  attached_ = false;
  queue_.Detach();
  window_ = nullptr;
}

bool Win32Frontend::OnWindowThread() const { return GetCurrentThreadId() == windowThread_.load(); }

template <typename Change>
void Win32Frontend::Queue(Change change) {
  const bool here = OnWindowThread();
  if (queue_.Queue(change, !here) && here) Drain();
}

void Win32Frontend::Drain() {
  if (!attached_) return;
  Pending work = queue_.Take();
  if (work.rebuild) RebuildResultsList();
  if (!work.addedRows.empty()) ApplyAddedRows(work.addedRows);
  if (work.changedRows.size() > 64) {
    InvalidateRect(Main().list, nullptr, FALSE);
  } else {
    for (std::int32_t row : work.changedRows) RefreshResultRow(row);
  }
  // The engine's messages, the request being fetched among them, go to the
  // wide first part; the narrow second part keeps the run state.
  if (work.requestLine) ShowStatusText(kStatusRequestPart, *work.requestLine);
  if (work.progress) SetProgress(*work.progress);
  if (work.runState) ShowStatusText(kStatusRunStatePart, RunStateText(*work.runState));
  if (work.counters) ShowCounters(work.counters->first, work.counters->second);
  if (work.bytes) ShowBytes(*work.bytes);
  if (work.showDeepScanRows && Main().compactStatus) ShowWorkerBlock(true);
  for (const auto& [key, row] : work.workerRows)
    SetWorkerRow(key.first == static_cast<int>(WorkerBlock::DeepScan), key.second - 1, row.text,
                 static_cast<int>(row.light), row.site);
  if (work.deepScanRunning) SetDeepScanButton(*work.deepScanRunning);
  if (work.runEnded) RestoreAfterSearchRun();
  // Last: the summary replaces the run's request line and may name the next run.
  if (work.summary) {
    lastSummary_ = std::move(*work.summary);
    RunSummaryArrived(lastSummary_);
  }
}

void DrainFrontendQueue() { Win32Frontend::Instance().Drain(); }

void Win32Frontend::ShowRequestLine(const std::string& text) {
  Queue([&](Pending& p) { p.requestLine = text; });
}

void Win32Frontend::ShowBytesDownloaded(std::uint32_t bytes) {
  Queue([&](Pending& p) { p.bytes = bytes; });
}

void Win32Frontend::ShowResultCounters(std::int32_t newThisRun, std::int32_t total) {
  Queue([&](Pending& p) { p.counters = std::make_pair(newThisRun, total); });
}

void Win32Frontend::ShowWorkerRow(WorkerBlock block, int slot, const std::string& text, WorkerLight light,
                                  SiteId site) {
  Queue([&](Pending& p) { p.workerRows[{static_cast<int>(block), slot}] = WorkerRowState{text, light, site}; });
}

void Win32Frontend::ShowProgress(int permille) {
  Queue([&](Pending& p) { p.progress = permille; });
}

void Win32Frontend::ShowRunState(RunState state) {
  Queue([&](Pending& p) { p.runState = state; });
}

void Win32Frontend::SearchRunEnded() {
  Queue([](Pending& p) { p.runEnded = true; });
}

void Win32Frontend::ShowRunSummary(const RunSummary& summary) {
  Queue([&](Pending& p) { p.summary = summary; });
}

void Win32Frontend::ShowDeepScanRows() {
  Queue([](Pending& p) { p.showDeepScanRows = true; });
}

void Win32Frontend::DeepScanStateChanged(bool running) {
  Queue([&](Pending& p) { p.deepScanRunning = running; });
}

void Win32Frontend::ResultAddedAtTop(std::int32_t row) {
  Queue([&](Pending& p) { p.addedRows.push_back(row); });
}

void Win32Frontend::ResultChanged(std::int32_t row) {
  Queue([&](Pending& p) { p.changedRows.push_back(row); });
}

void Win32Frontend::ResultListRebuilt() {
  if (!attached_) return;
  if (!OnWindowThread()) {
    Queue([](Pending& p) {
      p.rebuild = true;
      p.addedRows.clear();
      p.changedRows.clear();
    });
    return;
  }
  Drain();
  RebuildResultsList();
}

MessageAnswer Win32Frontend::ShowMessage(const std::string& caption, const std::string& text, MessageIcon icon,
                                         MessageButtons buttons, MessageModality modality) {
  if (!attached_) {
    return buttons == MessageButtons::Ok ? MessageAnswer::Ok : MessageAnswer::No;
  }
  // On the window's thread the box belongs to the window (or the dialog open
  // over it); a worker's box has no owner and blocks only that worker.
  HWND owner = OnWindowThread() ? BoxOwner(window_) : nullptr;
  if (OnWindowThread()) Drain();
  return ShowMessageBox(owner, caption, text, icon, buttons, modality);
}

std::optional<std::string> Win32Frontend::ChooseFile(const FileDialogRequest& request) {
  std::string filter = request.filterName;
  filter.push_back('\0');
  filter += request.pattern;
  filter.push_back('\0');
  filter.push_back('\0');
  char path[MAX_PATH * 4] = {};
  request.proposedName.copy(path, sizeof path - 1);
  OPENFILENAMEA dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = OnWindowThread() ? BoxOwner(window_) : nullptr;
  dialog.lpstrFilter = filter.c_str();
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = path;
  dialog.nMaxFile = sizeof path;
  dialog.lpstrInitialDir = request.initialFolder.empty() ? nullptr : request.initialFolder.c_str();
  dialog.lpstrTitle = request.title.c_str();
  dialog.lpstrDefExt = request.defaultExtension.empty() ? nullptr : request.defaultExtension.c_str();
  BOOL chosen = FALSE;
  if (request.save) {
    dialog.Flags = OFN_EXPLORER | OFN_OVERWRITEPROMPT | OFN_CREATEPROMPT | OFN_PATHMUSTEXIST | OFN_ENABLESIZING |
                   OFN_HIDEREADONLY;
    chosen = GetSaveFileNameA(&dialog);
  } else {
    dialog.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_ENABLESIZING | OFN_HIDEREADONLY;
    chosen = GetOpenFileNameA(&dialog);
  }
  if (!chosen) return std::nullopt;
  return std::string(path);
}

void Win32Frontend::CurrentSearchChanged() {
  if (!attached_ || !OnWindowThread()) return;
  SetControlText(kIdName, CurrentSearch().name);
  SetControlText(kIdTerms, CurrentSearch().terms);
}

void Win32Frontend::CatalogMarksChanged() {
  if (!attached_ || !OnWindowThread()) return;
  ShowMarksInTrees();
}

void Win32Frontend::OpenInBrowser(const std::string& target) { OpenWithShell(target); }

void Win32Frontend::Speak(const std::string& text) { ui::Speak(text); }

}  // namespace vemtrix::ui

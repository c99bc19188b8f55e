#include "ui/win32_frontend.h"

#include <commctrl.h>
#include <commdlg.h>
#include <shellapi.h>

#include <algorithm>
#include <cctype>

#include "core/current_search.h"
#include "ui/app_messages.h"
#include "ui/speech.h"
#include "ui/window_state.h"

namespace vemtrix::ui {
namespace {

UINT IconFlags(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::Error: return MB_ICONERROR;
    case MessageIcon::Warning: return MB_ICONWARNING;
    case MessageIcon::Information: return MB_ICONINFORMATION;
    case MessageIcon::Question: return MB_ICONQUESTION;
    case MessageIcon::None: break;
  }
  return 0;
}

UINT ButtonFlags(MessageButtons buttons) {
  switch (buttons) {
    case MessageButtons::YesNo: return MB_YESNO;
    case MessageButtons::YesNoDefaultNo: return MB_YESNO | MB_DEFBUTTON2;
    case MessageButtons::YesNoCancel: return MB_YESNOCANCEL;
    case MessageButtons::Ok: break;
  }
  return MB_OK;
}

MessageAnswer AnswerOf(int pressed) {
  switch (pressed) {
    case IDYES: return MessageAnswer::Yes;
    case IDNO: return MessageAnswer::No;
    case IDCANCEL: return MessageAnswer::Cancel;
    default: return MessageAnswer::Ok;
  }
}

}  // namespace

Win32Frontend& Win32Frontend::Instance() {
  static Win32Frontend* frontend = new Win32Frontend();  // never destroyed: workers may outlive main
  return *frontend;
}

void Win32Frontend::Attach(HWND window) {
  std::lock_guard<std::mutex> guard(lock_);
  window_ = window;
  windowThread_ = GetCurrentThreadId();
  pending_ = Pending{};
  wakePosted_ = false;
  attached_ = true;
}

void Win32Frontend::Detach() {
  std::lock_guard<std::mutex> guard(lock_);
  attached_ = false;
  window_ = nullptr;
  pending_ = Pending{};
}

bool Win32Frontend::OnWindowThread() const { return GetCurrentThreadId() == windowThread_; }

template <typename Change>
void Win32Frontend::Queue(Change change) {
  bool drainNow = false;
  {
    std::lock_guard<std::mutex> guard(lock_);
    if (!attached_) return;
    change(pending_);
    if (OnWindowThread()) {
      drainNow = true;
    } else if (!wakePosted_) {
      wakePosted_ = PostMessageA(window_, kMsgDrainQueue, 0, 0) != FALSE;
    }
  }
  if (drainNow) Drain();
}

void Win32Frontend::Drain() {
  Pending work;
  {
    std::lock_guard<std::mutex> guard(lock_);
    if (!attached_) return;
    std::swap(work, pending_);
    wakePosted_ = false;
  }
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
  if (work.summary) lastSummary_ = std::move(*work.summary);
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

MessageAnswer ShowMessageBox(HWND owner, const std::string& caption, const std::string& text, MessageIcon icon,
                             MessageButtons buttons, MessageModality modality) {
  UINT flags = IconFlags(icon) | ButtonFlags(buttons);
  if (modality == MessageModality::System) flags |= MB_SYSTEMMODAL;
  return AnswerOf(MessageBoxA(owner, text.c_str(), caption.c_str(), flags));
}

HWND BoxOwner(HWND window) {
  HWND popup = GetLastActivePopup(window);
  return popup != nullptr ? popup : window;
}

void OpenWithShell(const std::string& target) {
  const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
  ShellExecuteA(GetDesktopWindow(), "open", target.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
  if (SUCCEEDED(com)) CoUninitialize();
}

void Win32Frontend::OpenInBrowser(const std::string& target) { OpenWithShell(target); }

void Win32Frontend::Speak(const std::string& text) { ui::Speak(text); }

}  // namespace vemtrix::ui

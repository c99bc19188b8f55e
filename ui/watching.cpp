// Watching a search from the window: each run's summary on the status bar
// and the searches it gave up on a click, the repeat timer, the rows that
// are new since the user last had the results in front of them (drawn in
// bold), and the notification-area icon that announces new ads while the
// window is out of sight.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <cstring>

#include "commands/command_checks.h"
#include "commands/repeat_schedule.h"
#include "commands/run_summary.h"
#include "core/current_search.h"
#include "core/result_store.h"
#include "core/settings.h"
#include "ui/app_messages.h"
#include "ui/boxes_and_shell.h"
#include "ui/logic/window_text.h"
#include "ui/win32_frontend.h"
#include "ui/window_state.h"

namespace vemtrix::ui {
namespace {

// The failed-search box lists this many searches, then how many more.
constexpr std::size_t kFailedLinesShown = 25;

template <std::size_t N>
void CopyInto(char (&out)[N], const std::string& text) {
  std::size_t length = std::min(text.size(), N - 1);
  std::memcpy(out, text.data(), length);
  out[length] = '\0';
}

NOTIFYICONDATAA IconData() {
  NOTIFYICONDATAA data{};
  data.cbSize = sizeof data;
  data.hWnd = Main().window;
  data.uID = kTrayIconId;
  return data;
}

void RemoveTrayIcon() {
  MainWindowState& state = Main();
  if (!state.trayIconShown) return;
  NOTIFYICONDATAA data = IconData();
  Shell_NotifyIconA(NIM_DELETE, &data);
  state.trayIconShown = false;
}

// The titles of the newest rows, newest first.
std::vector<std::string> NewestTitles(std::int32_t added, std::size_t wanted) {
  std::vector<std::string> titles;
  const std::int32_t count = Results().Count();
  for (std::int32_t row = count; row > count - added && row >= 1 && titles.size() < wanted; --row)
    titles.push_back(Results().Field(row, kFieldTitle));
  return titles;
}

void AnnounceNewAds(std::int32_t added) {
  MainWindowState& state = Main();
  Balloon balloon = NewAdsBalloon(added, CurrentSearch().name, NewestTitles(added, 3));
  NOTIFYICONDATAA data = IconData();
  data.uFlags = NIF_ICON | NIF_MESSAGE | NIF_TIP | NIF_INFO;
  data.uCallbackMessage = kMsgTrayIcon;
  data.hIcon = LoadIconA(GetModuleHandleA(nullptr), "0L");
  CopyInto(data.szTip, balloon.title);
  CopyInto(data.szInfoTitle, balloon.title);
  CopyInto(data.szInfo, balloon.text);
  data.dwInfoFlags = NIIF_INFO;
  if (state.trayIconShown) {
    Shell_NotifyIconA(NIM_MODIFY, &data);
  } else {
    state.trayIconShown = Shell_NotifyIconA(NIM_ADD, &data) != FALSE;
  }
  state.lastBalloon = balloon;
}

bool WindowOutOfSight() {
  HWND window = Main().window;
  return IsIconic(window) || GetForegroundWindow() != window;
}

void ShowRunState(const std::string& text) { ShowStatusText(kStatusRunStatePart, text); }

}  // namespace

void StartWatching() {
  MainWindowState& state = Main();
  state.seenRows = Results().Count();
  SetTimer(state.window, kTimerRepeat, 1000, nullptr);
}

void StopWatching() {
  KillTimer(Main().window, kTimerRepeat);
  StopRepeating(Main().repeat);
  RemoveTrayIcon();
}

void RunSummaryArrived(const RunSummary& summary) {
  MainWindowState& state = Main();
  ShowStatusText(kStatusRequestPart, RunSummaryText(summary));
  if (summary.added > 0) {
    InvalidateRect(state.list, nullptr, FALSE);
    if (AppSettings().NotifyNewAds != 0 && WindowOutOfSight()) AnnounceNewAds(summary.added);
  }
  ScheduleAfterRun(state.repeat, AppSettings(), summary.aborted);
  if (state.repeat.waiting) ShowRunState(NextSearchText(state.repeat));
}

void RepeatTimerTick() {
  MainWindowState& state = Main();
  RepeatHold hold;
  hold.runActive = RunActive();
  hold.boxOpen = BoxesWaiting() > 0 || GetLastActivePopup(state.window) != state.window;
  hold.closing = state.closing || state.closeRequested;
  switch (RepeatTick(state.repeat, AppSettings(), hold)) {
    case RepeatStep::Start:
      StartRunFromWindow();
      break;
    case RepeatStep::Stopped:
      if (!RunActive()) ShowRunState(RunStateText(RunState::Inactive));
      break;
    case RepeatStep::Wait:
    case RepeatStep::Idle:
      break;
  }
}

void ShowFailedSearches() {
  const RunSummary& summary = Win32Frontend::Instance().LastSummary();
  if (summary.jobs == 0 && summary.failed.empty()) return;  // no run has ended yet
  std::string text;
  if (summary.failed.empty()) {
    text = "No search failed in the last run.";
  } else {
    text = "Searches that failed in the last run:\r\n";
    for (std::size_t i = 0; i < summary.failed.size() && i < kFailedLinesShown; ++i)
      text += "\r\n" + FailedSearchLine(summary.failed[i]);
    if (summary.failed.size() > kFailedLinesShown)
      text += "\r\n... and " + std::to_string(summary.failed.size() - kFailedLinesShown) + " more.";
  }
  AskUser("Failed searches", text, MB_OK | MB_ICONINFORMATION);
}

void ResultsPageInFront(bool inFront) {
  MainWindowState& state = Main();
  if (state.resultsInFront && !inFront) {
    // The user had every row before them: from now on only later rows are new.
    state.seenRows = Results().Count();
    InvalidateRect(state.list, nullptr, FALSE);
  }
  state.resultsInFront = inFront;
}

void WindowInFront() { RemoveTrayIcon(); }

void ForgetNewRows() { Main().seenRows = Results().Count(); }

bool RowIsNew(std::int32_t storeRow) { return storeRow > Main().seenRows; }

void TrayIconClicked(LPARAM event) {
  const UINT what = LOWORD(event);
  if (what != WM_LBUTTONUP && what != NIN_BALLOONUSERCLICK) return;
  MainWindowState& state = Main();
  if (IsIconic(state.window)) ShowWindow(state.window, SW_RESTORE);
  SetForegroundWindow(state.window);
  SelectPage(kPageResults);
  if (state.order.Size() > 0) ListView_EnsureVisible(state.list, 0, FALSE);  // new rows go to the top
  RemoveTrayIcon();
}

}  // namespace vemtrix::ui

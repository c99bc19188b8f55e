// The main window's frame: the name row, the tab control with its five pages,
// the status bar, the message loop with the accelerators, the resize layout,
// and the one message handler that serves the window and all its pages.
#include "ui/main_window.h"

#include <commctrl.h>

#include <chrono>
#include <thread>
#include <unordered_map>

#include "catalogs/selection_sync.h"
#include "core/current_search.h"
#include "core/recent_searches.h"
#include "core/result_store.h"
#include "core/settings.h"
#include "harvest/deep_scan.h"
#include "harvest/search_run.h"
#include "harvest/update_check.h"
#include "commands/command_checks.h"
#include "commands/output_commands.h"
#include "commands/search_commands.h"
#include "platform/platform.h"
#include "ui/app_messages.h"
#include "ui/dialogs.h"
#include "ui/logic/main_layout.h"
#include "ui/logic/window_text.h"
#include "ui/boxes_and_shell.h"
#include "ui/win32_frontend.h"
#include "ui/window_state.h"
#include "ui/window_thread.h"

namespace vemtrix::ui {

bool SettingsEdited = false;
bool SettingsLoading = false;

namespace {

std::unordered_map<int, HWND> controls;
int versionCode = 666;

// The resize layout places the help icon and the tabs.
std::vector<ControlSpec> WindowRowTable() {
  return {
      {kIdNameLabel, "STATIC", "Search name:", SS_RIGHT, 2, 6, 50, 15},
      {kIdName, "EDIT", "", ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 55, 5, 150, 15},
      {kIdLoad, "BUTTON", "Load", BS_PUSHBUTTON | WS_TABSTOP, 210, 5, 50, 15},
      {kIdSave, "BUTTON", "Save", BS_PUSHBUTTON | WS_TABSTOP, 265, 5, 50, 15},
      {kIdNew, "BUTTON", "New", BS_PUSHBUTTON | WS_TABSTOP, 320, 5, 50, 15},
      {kIdHelpIcon, "STATIC", "CONTEXTHELP", SS_ICON | SS_NOTIFY | SS_CENTERIMAGE, 0, 0, 0, 0},
      {kIdTab, WC_TABCONTROLA, "", WS_TABSTOP | WS_CLIPSIBLINGS, 0, 0, 0, 0, WS_EX_CONTROLPARENT},
  };
}

void RememberControls(HWND parent) {
  EnumChildWindows(
      parent,
      [](HWND child, LPARAM) -> BOOL {
        int id = GetDlgCtrlID(child);
        if (id > 0 && controls.find(id) == controls.end()) controls[id] = child;
        return TRUE;
      },
      0);
}

HFONT CreateBoldFont(HWND window) {
  HDC dc = GetDC(window);
  int height = -MulDiv(8, GetDeviceCaps(dc, LOGPIXELSY), 72);
  ReleaseDC(window, dc);
  return CreateFontA(height, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                     CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, "MS Sans Serif");
}

HACCEL CreateAccelerators() {
  ACCEL keys[] = {
      {FCONTROL | FVIRTKEY, 'L', kIdLoad},
      {FCONTROL | FVIRTKEY, 'S', kIdSave},
      {FCONTROL | FVIRTKEY, 'N', kIdNew},
      {FCONTROL | FVIRTKEY, 'G', kIdGo},
      {FCONTROL | FVIRTKEY, VK_RETURN, kIdGo},
      {FCONTROL | FVIRTKEY, 'H', kIdHelpIcon},
      {FCONTROL | FVIRTKEY, 'D', kCmdShowDiagnostics},
      {FVIRTKEY, VK_ESCAPE, kCmdClose},
  };
  return CreateAcceleratorTableA(keys, static_cast<int>(sizeof keys / sizeof keys[0]));
}

HWND CreatePageOfTab(const std::vector<ControlSpec>& table, int index, const char* caption) {
  MainWindowState& state = Main();
  TCITEMA item{};
  item.mask = TCIF_TEXT;
  item.pszText = const_cast<char*>(caption);
  TabCtrl_InsertItem(state.tab, index, &item);
  HWND page = CreatePage(state.tab, table, reinterpret_cast<DLGPROC>(&MainWindowProc), 0);
  state.pages[static_cast<std::size_t>(index)] = page;
  ShowWindow(page, index == 0 ? SW_SHOWNA : SW_HIDE);
  RememberControls(page);
  return page;
}

void UseBoldFont(int id) {
  if (HWND control = Control(id)) SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(Main().boldFont), TRUE);
}

// Creates everything in the order the window is specified in.
void CreateContents(HWND window) {
  MainWindowState& state = Main();
  state.window = window;
  controls.clear();
  RememberControls(window);
  state.tab = Control(kIdTab);

  CreatePageOfTab(ResultsPageTable(), kPageResults, "Search Results");
  state.list = Control(kIdList);
  state.status = CreateWindowExA(0, STATUSCLASSNAMEA, "", WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, 0, 0, 0, 0,
                                 window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kIdStatusBar)),
                                 GetModuleHandleA(nullptr), nullptr);
  controls[kIdStatusBar] = state.status;
  InitStatusBar();
  CreatePageOfTab(SearchPageTable(), kPageSearch, "Search Settings");
  CreatePageOfTab(SettingsPageTable(), kPageSettings, "Vemtrix Settings");
  CreatePageOfTab(StatusPageTable(), kPageStatus, "Diagnostics");
  state.boldFont = CreateBoldFont(window);
  UseBoldFont(kIdGo);
  UseBoldFont(kIdGo2);
  UseBoldFont(kIdAbort);
  CreatePageOfTab(TemplatePageTable(), kPageTemplate, "HTML Template");
  state.accelerators = CreateAccelerators();

  SetWindowTextA(window, WindowTitle(versionCode).c_str());
  InitResultsList();
  InitStatusPage();
}

void PlacePages() {
  MainWindowState& state = Main();
  RECT area{};
  GetClientRect(state.tab, &area);
  TabCtrl_AdjustRect(state.tab, FALSE, &area);
  for (HWND page : state.pages) {
    if (page == nullptr) continue;
    SetWindowPos(page, HWND_TOP, area.left, area.top, area.right - area.left, area.bottom - area.top,
                 SWP_NOACTIVATE);
  }
}

// Which page each control of the layout lives on (nullptr: the window itself).
HWND ParentOf(int id) {
  HWND control = Control(id);
  return control != nullptr ? GetParent(control) : nullptr;
}

// The run-state text's width in pixels, with the part's borders and margins.
int RunStateTextWidth() {
  MainWindowState& state = Main();
  if (state.runStateText.empty()) return 0;
  HDC dc = GetDC(state.status);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(state.status, WM_GETFONT, 0, 0)));
  SIZE size{};
  GetTextExtentPoint32A(dc, state.runStateText.c_str(), static_cast<int>(state.runStateText.size()), &size);
  SelectObject(dc, old);
  ReleaseDC(state.status, dc);
  return size.cx + 12;
}

void LoadSearchNamed(const std::string& name) {
  // A load that is refused puts back the current search as shown: its name
  // and the terms as typed.
  const std::string shownName = ControlText(kIdName);
  SetControlText(kIdName, name);
  CurrentSearch().name = name;
  CurrentSearch().terms = ControlText(kIdTerms);
  if (LoadSearch(false, AppSettings(), shownName)) {
    ShowMarksInTrees();
  }
}

void LoadCommand(const std::string& recentName) {
  if (Refused(CheckLoad())) {
    SelectPage(kPageResults);
    return;
  }
  if (!Agreed(LoadUnsavedQuestion())) return;
  std::string chosen = recentName;
  if (chosen.empty()) {
    FileDialogRequest request;
    request.save = false;
    request.title = "Please select a search file to load";
    request.filterName = "All Vemtrix Searches (*.vem)";
    request.pattern = "*.vem";
    request.initialFolder = platform::ProgramDirectory();
    request.defaultExtension = "vem";
    std::optional<std::string> path = UI().ChooseFile(request);
    if (!path) return;
    chosen = *path;
  }
  std::string name = SearchNameFromPath(chosen);
  if (name.empty()) return;
  LoadSearchNamed(name);
}

void NewCommand() {
  if (Refused(CheckNew())) {
    SelectPage(kPageResults);
    return;
  }
  if (!Agreed(NewUnsavedQuestion())) return;
  ShowNewSearchDialog();
}

void SaveCommand() {
  FileDialogRequest request;
  request.save = true;
  request.title = "Please select a search file to save";
  request.filterName = "All Vemtrix Searches (*.vem)";
  request.pattern = "*.vem";
  request.initialFolder = platform::ProgramDirectory();
  request.proposedName = ControlText(kIdName) + ".vem";
  request.defaultExtension = "vem";
  std::optional<std::string> path = UI().ChooseFile(request);
  std::string name = path ? SearchNameFromPath(*path) : std::string();
  if (name.empty()) {
    AskUser("Aborted", "Save cancelled. Searches have NOT been saved.", MB_OK | MB_ICONERROR);
    return;
  }
  SetControlText(kIdName, name);
  CurrentSearch().name = name;
  CurrentSearch().terms = ControlText(kIdTerms);
  MarksFromTrees(false);
  // Dirty is cleared, and the search recorded, only when the file was really
  // written: a failed save must still be caught by the question at exit.
  if (!SaveSearch(AppSettings())) return;
  SaveWindowSettings();
  AddRecentSearch(AppSettings().RecentSearches, CurrentSearch().name);
}

void RecentMenu() {
  std::vector<MenuItem> items = BuildRecentMenu(AppSettings().RecentSearches);
  HMENU menu = CreatePopupMenu();
  for (const MenuItem& item : items) {
    if (item.text == "-") {
      AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    } else {
      AppendMenuA(menu, MF_STRING | (item.enabled ? MF_ENABLED : MF_GRAYED), static_cast<UINT_PTR>(item.command),
                  item.text.c_str());
    }
  }
  POINT at{};
  GetCursorPos(&at);
  int command = static_cast<int>(
      TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, at.x, at.y, 0, Main().window, nullptr));
  DestroyMenu(menu);
  if (command >= kCmdRecentFirst && command <= kCmdRecentLast) {
    std::string name = RecentSearchName(AppSettings().RecentSearches, command);
    if (!name.empty()) LoadCommand(name);
  }
}

// Waits, pumping messages, until no search run or deep scan is left, at most
// timeoutMs. The workers must not outlive the data and the window.
void WaitForWorkers(int timeoutMs) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (RunActive() && std::chrono::steady_clock::now() < deadline) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        PostQuitMessage(static_cast<int>(msg.wParam));
        return;
      }
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

void CloseCommand() {
  MainWindowState& state = Main();
  if (state.closing || state.closeRequested) return;
  if (Dirty.load() != 0 &&
      AskUser("Really exit?", "You have unsaved results. Are you sure you want to exit without saving?",
              MB_YESNO | MB_ICONQUESTION) != IDYES)
    return;
  // From here the window is on its way out: a second close asks nothing, and
  // while the workers stop no command can start new work.
  state.closeRequested = true;
  AbortFlag = 1;
  DeepScanAbort = 1;
  if (RunActive()) EnableWindow(state.window, FALSE);
  WaitForWorkers(10000);
  SaveWindowSettings();
  CloseSecondaryDialogs();
  state.closing = true;
}

void ShowPage(int page) {
  MainWindowState& state = Main();
  if (page < 0 || page >= kPageCount) return;
  state.currentPage = page;
  for (int i = 0; i < kPageCount; ++i) {
    if (state.pages[static_cast<std::size_t>(i)] != nullptr)
      ShowWindow(state.pages[static_cast<std::size_t>(i)], i == page ? SW_SHOW : SW_HIDE);
  }
  ResultsPageInFront(page == kPageResults && GetActiveWindow() == state.window && !IsIconic(state.window));
}

// Window-level commands by control id; the pages' own commands go to them.
void Command(HWND from, int id, int code) {
  (void)from;
  switch (id) {
    case kCmdClose: CloseCommand(); return;
    case kCmdShowDiagnostics: SelectPage(kPageStatus); return;
    case kIdLoad: LoadCommand(""); return;
    case kIdNew: NewCommand(); return;
    case kIdSave: SaveCommand(); return;
    case kIdHelpIcon:
      if (code == BN_CLICKED || code == STN_CLICKED || code == 1) StartContextHelp();
      return;
    case kIdViewSearchStatus: if (Main().compactStatus) ShowWorkerBlock(false); return;
    case kIdViewScanStatus: if (Main().compactStatus) ShowWorkerBlock(true); return;
    case kIdTemplateSave: TemplateSaveCommand(); return;
    case kIdTemplateCancel: TemplateCancelCommand(); return;
    case kIdTemplateReset: TemplateResetCommand(); return;
    case kIdFilter:
      if (Results().Count() > 1) ShowQuickFilter();
      return;
    case kIdClear: ClearCommand(); return;
    case kIdOutputCsv: ExportCsvCommand(SelectedStoreRows(), AppSettings()); return;
    case kIdViewHtml: ViewHtmlCommand(SelectedStoreRows(), AppSettings()); return;
    case kIdDeepScan:
      StartDeepScan(AppSettings());
      return;
    case kIdGo:
    case kIdGo2: GoCommand(); return;
    case kIdAbort:
      // The Diagnostics page's button stops a run; it starts none.
      if (SearchRunning.load() != 0) GoCommand();
      return;
    case kIdCitySelectAll: CheckAllTrees(true, true); return;
    case kIdCityClearAll: CheckAllTrees(true, false); return;
    case kIdSectionSelectAll: CheckAllTrees(false, true); return;
    case kIdSectionClearAll: CheckAllTrees(false, false); return;
    case kIdApply: ApplySettingsCommand(); return;
    case kIdSettingsCancel: CancelSettingsCommand(); return;
    case kIdAbout: ShowAboutBox(); return;
    case IDOK:
      // Enter: on the results list it opens the selected ad.
      if (GetFocus() == Main().list) OpenSelectedResult();
      return;
    default: break;
  }
  SettingsControlChanged(id, code);
}

bool Notify(NMHDR* header, LRESULT* result) {
  MainWindowState& state = Main();
  if (header->hwndFrom == state.tab) {
    if (header->code == TCN_SELCHANGING) {
      if (state.currentPage == kPageSettings) LeavingSettingsPage();
      return false;
    }
    if (header->code == TCN_SELCHANGE) {
      ShowPage(TabCtrl_GetCurSel(state.tab));
      return false;
    }
  }
  if (header->hwndFrom == state.status && header->code == NM_CLICK &&
      reinterpret_cast<NMMOUSE*>(header)->dwItemSpec == static_cast<DWORD_PTR>(kStatusRequestPart)) {
    ShowFailedSearches();
    return true;
  }
  if (HandleResultsNotify(header, result)) return true;
  return HandleTreeNotify(header);
}

}  // namespace

MainWindowState& Main() {
  static MainWindowState state;
  return state;
}

// The status bar's three parts: 7/16, 2/16 and 7/16 of the window's width.
void PlaceStatusParts() {
  MainWindowState& state = Main();
  if (state.status == nullptr) return;
  SendMessageA(state.status, WM_SIZE, 0, 0);
  RECT client{};
  GetClientRect(state.window, &client);
  std::array<int, 3> rights = StatusBarPartEdges(client.right - client.left, RunStateTextWidth());
  SendMessageA(state.status, SB_SETPARTS, rights.size(), reinterpret_cast<LPARAM>(rights.data()));
}

HWND Control(int id) {
  auto found = controls.find(id);
  return found != controls.end() ? found->second : nullptr;
}

std::string ControlText(int id) {
  HWND control = Control(id);
  return control != nullptr ? GetText(control) : std::string();
}

void SetControlText(int id, const std::string& text) {
  if (HWND control = Control(id)) SetWindowTextA(control, text.c_str());
}

bool IsChecked(int id) {
  HWND control = Control(id);
  return control != nullptr && SendMessageA(control, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void SetCheck(int id, bool checked) {
  if (HWND control = Control(id)) SendMessageA(control, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void EnableControl(int id, bool enabled) {
  if (HWND control = Control(id)) EnableWindow(control, enabled ? TRUE : FALSE);
}

void SelectPage(int page) {
  MainWindowState& state = Main();
  if (page == state.currentPage) return;
  // Selecting a tab in code sends no notification: do what a click does.
  if (state.currentPage == kPageSettings) LeavingSettingsPage();
  TabCtrl_SetCurSel(state.tab, page);
  ShowPage(page);
}

int AskUser(const std::string& caption, const std::string& text, UINT flags) {
  return MessageBoxA(BoxOwner(Main().window), text.c_str(), caption.c_str(), flags);
}

void ErrorBox(const std::string& text, bool systemModal) {
  AskUser("Error", text, MB_OK | MB_ICONERROR | (systemModal ? MB_SYSTEMMODAL : 0));
}

bool Refused(const std::optional<CommandMessage>& refusal) {
  if (!refusal) return false;
  ErrorBox(refusal->text, refusal->systemModal);
  if (refusal->showSearchSettings) SelectPage(kPageSearch);
  return true;
}

bool Agreed(const std::optional<CommandMessage>& question) {
  return !question || AskUser("Warning", question->text,
                              MB_YESNO | MB_ICONWARNING | (question->systemModal ? MB_SYSTEMMODAL : 0)) == IDYES;
}

SIZE WindowSizeDlu() {
  RECT rect{};
  GetWindowRect(Main().window, &rect);
  return PixelsToDlu(Main().window, rect.right - rect.left, rect.bottom - rect.top);
}

void SaveWindowSettings() {
  MainWindowState& state = Main();
  RememberResultColumns();
  WindowSizeAtSave size;
  if (state.window != nullptr) {
    RECT rect{};
    GetWindowRect(state.window, &rect);
    SIZE dlu = WindowSizeDlu();
    size.widthDlu = dlu.cx;
    size.heightDlu = dlu.cy;
    size.widthPx = rect.right - rect.left;
    size.heightPx = rect.bottom - rect.top;
    size.screenWidthPx = GetSystemMetrics(SM_CXSCREEN);
    size.screenHeightPx = GetSystemMetrics(SM_CYSCREEN);
  } else {
    size.widthDlu = AppSettings().Width;
    size.heightDlu = AppSettings().Height;
  }
  SaveSettings(size);
}

void LayoutWindow() {
  MainWindowState& state = Main();
  if (state.window == nullptr || state.tab == nullptr || IsIconic(state.window)) return;
  SIZE size = WindowSizeDlu();
  if (!IsZoomed(state.window) && BelowMinimumSize(size.cx, size.cy)) {
    DluSize grown = ClampToMinimumSize(size.cx, size.cy);
    RECT want = DluToPixels(state.window, 0, 0, grown.width, grown.height);
    SetWindowPos(state.window, nullptr, 0, 0, want.right, want.bottom, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    return;  // the size change lays the window out again
  }
  std::array<bool, 4> sites = {AppSettings().SearchCraigslist != 0, AppSettings().SearchKijiji != 0,
                               AppSettings().SearchBackpage != 0, AppSettings().SearchDaype != 0};
  SendMessageA(state.window, WM_SETREDRAW, FALSE, 0);
  for (const LayoutSlot& slot : MainWindowLayout(size.cx, size.cy, sites)) {
    HWND parent = ParentOf(slot.id);
    if (parent == nullptr) continue;
    PlaceControl(parent, state.window, slot.id, slot.rect.x, slot.rect.y, slot.rect.w, slot.rect.h,
                 slot.rect.visible);
  }
  PlacePages();
  PlaceStatusParts();
  if (state.list != nullptr) {
    RECT title = DluToPixels(state.window, 0, 0, ResultsTitleColumnWidth(size.cx), 1);
    ListView_SetColumnWidth(state.list, 1, title.right);
  }
  LayoutStatusPage(size.cx, size.cy);
  SendMessageA(state.window, WM_SETREDRAW, TRUE, 0);
  RedrawWindow(state.window, nullptr, nullptr, RDW_ERASE | RDW_FRAME | RDW_INVALIDATE | RDW_ALLCHILDREN);
}

INT_PTR CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  MainWindowState& state = Main();
  switch (message) {
    case WM_INITDIALOG:
      return FALSE;
    case WM_DESTROY:
      if (window == state.window) DropPostedTasks(window);
      return FALSE;
    case WM_EXITSIZEMOVE:
      if (window == state.window) {
        SIZE size = WindowSizeDlu();
        AppSettings().Width = size.cx;
        AppSettings().Height = size.cy;
        RECT rect{};
        GetWindowRect(window, &rect);
        if (ShouldMaximise(rect.right - rect.left, rect.bottom - rect.top, GetSystemMetrics(SM_CXSCREEN),
                           GetSystemMetrics(SM_CYSCREEN)))
          ShowWindow(window, SW_MAXIMIZE);
      }
      return FALSE;
    case WM_DRAWITEM: {
      auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      if (item->hwndItem == state.status) {
        DrawProgressPart(item);
        return TRUE;
      }
      return FALSE;
    }
    case WM_SIZE:
      if (window == state.window) LayoutWindow();
      return FALSE;
    case WM_CLOSE:
      if (window == state.window) CloseCommand();
      return TRUE;
    case WM_ACTIVATE:
      if (window == state.window) {
        ResultsPageInFront(LOWORD(wParam) != WA_INACTIVE && HIWORD(wParam) == 0 && state.currentPage == kPageResults);
        if (LOWORD(wParam) != WA_INACTIVE && HIWORD(wParam) == 0) WindowInFront();
        if (LOWORD(wParam) == WA_INACTIVE) {
          state.focusBeforeDeactivate = GetFocus();
        } else if (state.focusBeforeDeactivate != nullptr && IsWindow(state.focusBeforeDeactivate)) {
          SetFocus(state.focusBeforeDeactivate);
          return TRUE;
        }
      }
      return FALSE;
    case WM_SETCURSOR:
      if (InHelpMode()) {
        SetCursor(LoadCursor(nullptr, IDC_HELP));
        SetWindowLongPtrA(window, DWLP_MSGRESULT, TRUE);
        return TRUE;
      }
      NameTreeUnderPointer(reinterpret_cast<HWND>(wParam));
      return FALSE;
    case WM_LBUTTONDOWN:
      if (window == state.window && InHelpMode()) {
        HelpModeClick();
        return TRUE;
      }
      return FALSE;
    case WM_RBUTTONDOWN:
    case WM_CAPTURECHANGED:
      if (window == state.window) EndHelpMode();
      return FALSE;
    case WM_CONTEXTMENU:
      if (reinterpret_cast<HWND>(wParam) == Control(kIdLoad)) {
        RecentMenu();
        return TRUE;
      }
      return FALSE;
    case WM_COMMAND:
      Command(reinterpret_cast<HWND>(lParam), LOWORD(wParam), HIWORD(wParam));
      return TRUE;
    case WM_HELP:
      ShowContextHelp(reinterpret_cast<HELPINFO*>(lParam));
      return TRUE;
    case WM_NOTIFY: {
      LRESULT result = 0;
      if (Notify(reinterpret_cast<NMHDR*>(lParam), &result)) {
        SetWindowLongPtrA(window, DWLP_MSGRESULT, result);
        return TRUE;
      }
      return FALSE;
    }
    case kMsgDrainQueue:
      DrainFrontendQueue();
      return TRUE;
    case kMsgRunTask:
      RunPostedTask(lParam);
      return TRUE;
    case kMsgTrayIcon:
      TrayIconClicked(lParam);
      return TRUE;
    case WM_TIMER:
      if (window == state.window && wParam == kTimerRepeat) {
        RepeatTimerTick();
        return TRUE;
      }
      return FALSE;
    default:
      return FALSE;
  }
}

void SetVersionCode(int code) { versionCode = code; }
int VersionCodeShown() { return versionCode; }

void ShowMainWindow() {
  MainWindowState& state = Main();
  state = MainWindowState{};
  Settings& settings = AppSettings();
  DialogSpec frame{"Vemtrix",
                  WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME | DS_CENTER |
                      WS_CLIPCHILDREN,
                  0,
                  0,
                  static_cast<short>(settings.Width - 10),
                  static_cast<short>(settings.Height - 27),
                  WS_EX_CONTROLPARENT};  // context help is the icon's job, not a caption button
  std::vector<WORD> bytes = BuildDialogTemplate(frame, WindowRowTable());
  HWND window = CreateDialogIndirectParamA(GetModuleHandleA(nullptr),
                                           reinterpret_cast<LPCDLGTEMPLATEA>(bytes.data()), nullptr,
                                           reinterpret_cast<DLGPROC>(&MainWindowProc), 0);
  if (window == nullptr) return;
  CreateContents(window);

  Win32Frontend& frontend = Win32Frontend::Instance();
  frontend.Attach(window);
  SetFrontend(&frontend);

  BuildTrees();
  ApplySiteVisibility();
  ShowSettingsInControls();
  ShowTemplateInControls();
  CurrentSearch().name = settings.CurrentSearchName;
  SetControlText(kIdName, CurrentSearch().name);
  LoadSearch(true, settings);
  ShowMarksInTrees();
  // After the front end is in place: its question needs the window.
  StartUpdateCheck(versionCode);
  StartWatching();

  HICON icon = LoadIconA(GetModuleHandleA(nullptr), "0L");
  if (icon != nullptr) SendMessageA(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
  LayoutWindow();
  ShowWindow(window, SW_SHOW);
  UpdateWindow(window);

  // A modal loop of the window's own, so that every key is offered to the
  // accelerators before the dialog's keyboard handling sees it.
  MSG msg;
  while (!state.closing) {
    BOOL got = GetMessageA(&msg, nullptr, 0, 0);
    if (got == 0 || got == -1) break;
    bool ours = msg.hwnd == window || IsChild(window, msg.hwnd);
    if (msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE && InHelpMode()) {
      EndHelpMode();
      continue;
    }
    // A key while the help pop-up is up only closes it (the pop-up never has
    // the focus: Esc would otherwise reach the accelerators and close the window).
    HWND popup = HelpPopupWindow();
    if (popup != nullptr && (msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN)) {
      SendMessageA(popup, WM_KEYDOWN, msg.wParam, msg.lParam);
      continue;
    }
    if (ours && state.accelerators != nullptr && TranslateAcceleratorA(window, state.accelerators, &msg)) continue;
    if (ours && IsDialogMessageA(window, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }

  StopWatching();
  // Late calls from threads that outlive the window are dropped from here on.
  frontend.Detach();
  SetFrontend(nullptr);
  DetachSyncTrees();
  DestroyTrees();
  DestroyWindow(window);
  if (state.accelerators != nullptr) DestroyAcceleratorTable(state.accelerators);
  if (state.boldFont != nullptr) DeleteObject(state.boldFont);
  if (state.listBoldFont != nullptr) DeleteObject(state.listBoldFont);
  controls.clear();
  state = MainWindowState{};
}

}  // namespace vemtrix::ui

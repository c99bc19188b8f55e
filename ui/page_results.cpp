// The "Search Results" page: the results list (a virtual list view that reads
// the store on demand, in a display order of its own), its buttons, and the
// Go!/Abort command that starts and stops a search run.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>

#include "core/current_search.h"
#include "core/result_store.h"
#include "core/settings.h"
#include "core/text.h"
#include "harvest/deep_scan.h"
#include "harvest/search_run.h"
#include "catalogs/search_plan.h"
#include "commands/command_checks.h"
#include "commands/search_commands.h"
#include "ui/logic/window_text.h"
#include "ui/boxes_and_shell.h"
#include "ui/win32_frontend.h"
#include "ui/window_state.h"

namespace vemtrix::ui {
namespace {

// The controls a search run disables and its end enables again (with the
// settings check boxes marked so).
constexpr int kDisabledDuringRun[] = {kIdName,          kIdLoad,           kIdCitySelectAll, kIdCityClearAll,
                                      kIdSectionSelectAll, kIdSectionClearAll, kIdTerms,      kIdSettingsCancel,
                                      kIdApply};

void EnableRunControls(bool enabled) {
  for (int id : kDisabledDuringRun) EnableControl(id, enabled);
  for (const SettingsCheck& check : SettingsChecks())
    if (check.disabledDuringRun) EnableControl(check.id, enabled);
  EnableTrees(enabled);
}

void SetGoCaptions(const char* caption) {
  SetControlText(kIdGo, caption);
  SetControlText(kIdGo2, caption);
}

// The display text of column (0..4) of a store row.
std::string CellText(std::int32_t row, int column) {
  switch (column) {
    case 0: return Results().Field(row, kFieldDate);
    case 1: return Results().Field(row, kFieldTitle);
    case 2: return Results().Field(row, kFieldCity);
    case 3: return Results().Field(row, kFieldSection);
    case 4: return FullTextColumn(Results().Field(row, kFieldFullText));
    default: return std::string();
  }
}

void CopyText(const std::string& text, char* out, int room) {
  std::size_t length = std::min(text.size(), static_cast<std::size_t>(room - 1));
  text.copy(out, length);
  out[length] = '\0';
}

void CopyText(const std::string& text, wchar_t* out, int room) {
  int length = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), out, room - 1);
  out[length > 0 ? length : 0] = L'\0';
}

// The list asks for a cell's text (as 8-bit or wide text, whichever its
// parent speaks): it is read from the store now.
template <typename Item>
void FillCell(Item& item) {
  const ResultOrder& order = Main().order;
  if ((item.mask & LVIF_TEXT) == 0 || item.cchTextMax <= 0) return;
  if (item.iItem < 0 || item.iItem >= order.Size()) return;
  CopyText(CellText(order.RowAt(item.iItem), item.iSubItem), item.pszText, item.cchTextMax);
}

// Rows new since the user last looked are drawn in bold.
LRESULT DrawRow(NMLVCUSTOMDRAW* draw) {
  MainWindowState& state = Main();
  switch (draw->nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
      return state.seenRows < Results().Count() ? CDRF_NOTIFYITEMDRAW : CDRF_DODEFAULT;
    case CDDS_ITEMPREPAINT: {
      const std::int32_t row = state.order.RowAt(static_cast<std::int32_t>(draw->nmcd.dwItemSpec));
      if (row == 0 || !RowIsNew(row) || state.listBoldFont == nullptr) return CDRF_DODEFAULT;
      SelectObject(draw->nmcd.hdc, state.listBoldFont);
      return CDRF_NEWFONT;
    }
    default:
      return CDRF_DODEFAULT;
  }
}

// A bold copy of the list's own font.
HFONT BoldCopyOf(HFONT font) {
  LOGFONTA shape{};
  if (font == nullptr || GetObjectA(font, sizeof shape, &shape) == 0) font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  if (GetObjectA(font, sizeof shape, &shape) == 0) return nullptr;
  shape.lfWeight = FW_BOLD;
  return CreateFontIndirectA(&shape);
}

void ShowItemCount() {
  ListView_SetItemCountEx(Main().list, Main().order.Size(), LVSICF_NOSCROLL);
}

void DeleteSelectedRows() {
  if (RunActive()) return;
  std::vector<std::int32_t> rows = SelectedStoreRows();
  if (rows.empty()) return;
  ListView_SetItemState(Main().list, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
  Results().DeleteRows(rows);  // the store asks for the list to be rebuilt
}

void SortByColumn(int column) {
  if (Refused(CheckSort())) return;
  if (Results().Count() < 2) return;
  ColumnSort sort = SortForColumn(column);
  if (!sort.sorts) return;
  HCURSOR before = SetCursor(LoadCursor(nullptr, IDC_WAIT));
  Results().SortByColumn(sort.field, sort.descending, sort.ignoreCase);
  SetCursor(before);
  RebuildResultsList();
}

}  // namespace

std::vector<ControlSpec> ResultsPageTable() {
  // The resize layout places every control of the page.
  return {
      {kIdList, WC_LISTVIEWA, "",
       LVS_REPORT | LVS_OWNERDATA | LVS_SHOWSELALWAYS | WS_BORDER | WS_TABSTOP, 0, 0, 0, 0},
      {kIdClear, "BUTTON", "Clear", BS_PUSHBUTTON | WS_TABSTOP, 0, 0, 0, 0},
      {kIdFilter, "BUTTON", "Filter", BS_PUSHBUTTON | WS_TABSTOP, 0, 0, 0, 0},
      {kIdOutputCsv, "BUTTON", "Output CSV", BS_PUSHBUTTON | WS_TABSTOP, 0, 0, 0, 0},
      {kIdViewHtml, "BUTTON", "View HTML", BS_PUSHBUTTON | WS_TABSTOP, 0, 0, 0, 0},
      {kIdDeepScan, "BUTTON", "Deep Scan", BS_PUSHBUTTON | WS_TABSTOP, 0, 0, 0, 0},
      {kIdGo, "BUTTON", "Go!", BS_PUSHBUTTON | WS_TABSTOP, 0, 0, 0, 0},
  };
}

void InitResultsList() {
  HWND list = Main().list;
  ListView_SetExtendedListViewStyle(list, LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT | LVS_EX_ONECLICKACTIVATE |
                                              LVS_EX_DOUBLEBUFFER);
  struct Column {
    const char* caption;
    int width;
  };
  Main().listBoldFont = BoldCopyOf(reinterpret_cast<HFONT>(SendMessageA(list, WM_GETFONT, 0, 0)));
  const Column columns[] = {{"Date", 50}, {"Title", 146}, {"City", 55}, {"Section", 55}, {"Full Text", 45}};
  for (int i = 0; i < 5; ++i) {
    RECT width = DluToPixels(Main().window, 0, 0, columns[i].width, 1);
    LVCOLUMNA column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    column.pszText = const_cast<char*>(columns[i].caption);
    column.cx = width.right;
    column.iSubItem = i;
    ListView_InsertColumn(list, i, &column);
  }
}

void RebuildResultsList() {
  MainWindowState& state = Main();
  state.order.ResetToStoreOrder(Results().Count());
  ForgetNewRows();
  ListView_SetItemState(state.list, -1, 0, LVIS_SELECTED);
  ShowItemCount();
  InvalidateRect(state.list, nullptr, FALSE);
}

void ApplyAddedRows(const std::vector<std::int32_t>& rows) {
  MainWindowState& state = Main();
  std::int32_t count = Results().Count();
  std::int32_t before = state.order.Size();
  for (std::int32_t row : rows)
    if (row >= 1 && row <= count) state.order.PushTop(row);
  if (state.order.Size() == before) return;
  // Rows above the first visible one push the view down; keep the user's
  // place unless they are at the top.
  int top = ListView_GetTopIndex(state.list);
  ShowItemCount();
  if (top > 0) {
    RECT item{};
    ListView_GetItemRect(state.list, 0, &item, LVIR_BOUNDS);
    ListView_Scroll(state.list, 0, (state.order.Size() - before) * (item.bottom - item.top));
  }
  InvalidateRect(state.list, nullptr, FALSE);
}

void RefreshResultRow(std::int32_t row) {
  MainWindowState& state = Main();
  int top = ListView_GetTopIndex(state.list);
  int shown = ListView_GetCountPerPage(state.list) + 1;
  // Only a visible row needs drawing again; the rest is read when scrolled to.
  for (int i = top; i < top + shown && i < state.order.Size(); ++i) {
    if (state.order.RowAt(i) == row) {
      ListView_RedrawItems(state.list, i, i);
      return;
    }
  }
}

std::vector<std::int32_t> SelectedStoreRows() {
  MainWindowState& state = Main();
  std::vector<std::int32_t> rows;
  int index = -1;
  while ((index = ListView_GetNextItem(state.list, index, LVNI_SELECTED)) != -1) {
    if (index < state.order.Size()) rows.push_back(state.order.RowAt(index));
  }
  return rows;
}

void OpenSelectedResult() {
  MainWindowState& state = Main();
  int index = ListView_GetNextItem(state.list, -1, LVNI_SELECTED);
  if (index < 0 || index >= state.order.Size()) return;
  std::int32_t row = state.order.RowAt(index);
  SearchResult result = Results().Row(row);
  if (result.city.empty()) return;
  if (AppSettings().ConfirmSpawn == 1 &&
      AskUser("View it?", "View this " + result.city + " ad in your browser?\r\n\r\n" + result.title + "\r\n\r\n" +
                              result.link,
              MB_YESNO | MB_ICONQUESTION) != IDYES)
    return;
  OpenWithShell(result.link);
}

bool HandleResultsNotify(NMHDR* header, LRESULT* result) {
  MainWindowState& state = Main();
  if (header->hwndFrom != state.list) return false;
  switch (header->code) {
    case LVN_GETDISPINFOA:
      FillCell(reinterpret_cast<NMLVDISPINFOA*>(header)->item);
      return true;
    case LVN_GETDISPINFOW:
      FillCell(reinterpret_cast<NMLVDISPINFOW*>(header)->item);
      return true;
    case LVN_KEYDOWN: {
      auto* key = reinterpret_cast<NMLVKEYDOWN*>(header);
      if (key->wVKey == VK_DELETE || key->wVKey == VK_BACK) DeleteSelectedRows();
      if (key->wVKey == VK_RETURN) OpenSelectedResult();
      return true;
    }
    case NM_DBLCLK:
      OpenSelectedResult();
      return true;
    case NM_CUSTOMDRAW:
      *result = DrawRow(reinterpret_cast<NMLVCUSTOMDRAW*>(header));
      return true;
    case LVN_COLUMNCLICK:
      SortByColumn(reinterpret_cast<NMLISTVIEW*>(header)->iSubItem);
      return true;
    case LVN_ODFINDITEMA:
    case LVN_ODFINDITEMW:
      *result = -1;
      return true;
    default:
      return false;
  }
}

void GoCommand() {
  SelectPage(kPageResults);
  if (SearchRunning.load() != 0) {
    AbortFlag = 1;
    return;  // the run restores the window when it has stopped
  }
  StopRepeating(Main().repeat);  // Go! during the wait starts the next run now
  StartRunFromWindow();
}

void StartRunFromWindow() {
  std::string name(Trim(ControlText(kIdName)));
  std::string terms(Trim(ControlText(kIdTerms)));
  if (Refused(CheckGoNameAndTerms(name, terms))) return;
  CurrentSearch().name = name;
  CurrentSearch().terms = terms;
  MarksFromTrees(true);
  SearchInputs inputs = SelectionsFromCatalogs(terms, AppSettings());
  if (Refused(CheckGoSelections(inputs))) return;
  if (Main().compactStatus) ShowWorkerBlock(false);
  SetGoCaptions("Abort");
  EnableControl(kIdAbort, true);
  ShowStatusText(kStatusRunStatePart, RunStateText(RunState::Searching));
  EnableRunControls(false);
  if (!StartSearchRun(inputs, AppSettings())) RestoreAfterSearchRun();
}

void RestoreAfterSearchRun() {
  SetWindowTextA(Main().window, WindowTitle(VersionCodeShown()).c_str());
  SetGoCaptions("Go!");
  EnableControl(kIdAbort, false);
  EnableRunControls(true);
  ShowStatusText(kStatusRunStatePart, RunStateText(RunState::Inactive));
}

void SetDeepScanButton(bool running) { SetControlText(kIdDeepScan, running ? "Abort DS" : "Deep Scan"); }

void ClearCommand() {
  if (Refused(CheckClear())) return;
  std::optional<CommandMessage> question = ClearQuestion();
  if (!question || !Agreed(question)) return;
  Results().Clear();
}

}  // namespace vemtrix::ui

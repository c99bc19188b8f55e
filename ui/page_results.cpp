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
#include "ui/logic/main_layout.h"
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
  CopyText(ResultCellText(Results(), order.RowAt(item.iItem), item.iSubItem), item.pszText, item.cchTextMax);
}

// The header's arrows say which column the list is sorted by, and which way.
void ShowSortArrows(const ListSort& shown) {
  MainWindowState& state = Main();
  state.sortShown = shown;
  HWND header = ListView_GetHeader(state.list);
  for (int column = 0; column < kResultColumnCount; ++column) {
    HDITEMA item{};
    item.mask = HDI_FORMAT;
    if (!Header_GetItem(header, column, &item)) continue;
    item.fmt &= ~(HDF_SORTUP | HDF_SORTDOWN);
    switch (ArrowForColumn(shown, column)) {
      case HeaderArrow::Up: item.fmt |= HDF_SORTUP; break;
      case HeaderArrow::Down: item.fmt |= HDF_SORTDOWN; break;
      case HeaderArrow::None: break;
    }
    Header_SetItem(header, column, &item);
  }
}

// The columns: caption and width in dialog units (the title's width follows
// the window).
struct ColumnShape {
  const char* caption;
  int widthDlu;
};
constexpr ColumnShape kColumns[kResultColumnCount] = {
    {"Date", 50}, {"Title", 146}, {"City", 55}, {"Section", 55}, {"Full Text", 45}, {"Price", kPriceColumnWidth}};

int DefaultColumnWidthPx(int column) { return DluToPixels(Main().window, 0, 0, kColumns[column].widthDlu, 1).right; }

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
  const ListSort kept = Main().sortShown;
  Results().DeleteRows(rows);  // the store asks for the list to be rebuilt
  ShowSortArrows(kept);        // the rows left keep their order
}

void SortByColumn(int column) {
  if (Refused(CheckSort())) return;
  if (Results().Count() < 2) return;
  MainWindowState& state = Main();
  const ListSort next = ListSortAfterClick(state.sortShown, column);
  const ColumnSort sort = SortForListSort(next);
  if (!sort.sorts) return;
  HCURSOR before = SetCursor(LoadCursor(nullptr, IDC_WAIT));
  SortResults(Results(), sort);
  SetCursor(before);
  RebuildResultsList();
  ShowSortArrows(next);
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
                                              LVS_EX_DOUBLEBUFFER | LVS_EX_HEADERDRAGDROP);
  Main().listBoldFont = BoldCopyOf(reinterpret_cast<HFONT>(SendMessageA(list, WM_GETFONT, 0, 0)));
  for (int i = 0; i < kResultColumnCount; ++i) {
    LVCOLUMNA column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM | LVCF_FMT;
    column.fmt = i == kColumnPrice ? LVCFMT_RIGHT : LVCFMT_LEFT;
    column.pszText = const_cast<char*>(kColumns[i].caption);
    column.cx = DefaultColumnWidthPx(i);
    column.iSubItem = i;
    ListView_InsertColumn(list, i, &column);
  }
  // The user's own arrangement, when one was kept: order and widths (the
  // title's width follows the window).
  std::vector<ColumnPlace> places = ParseResultColumns(AppSettings().ResultColumns);
  if (places.empty()) return;
  std::vector<int> order;
  for (const ColumnPlace& place : places) {
    order.push_back(place.column);
    if (place.column != kColumnTitle) ListView_SetColumnWidth(list, place.column, place.widthPx);
  }
  ListView_SetColumnOrderArray(list, static_cast<int>(order.size()), order.data());
}

void RememberResultColumns() {
  HWND list = Main().list;
  if (list == nullptr) return;
  std::vector<int> order(kResultColumnCount);
  if (!ListView_GetColumnOrderArray(list, kResultColumnCount, order.data())) return;
  bool asItCame = true;
  std::vector<ColumnPlace> places;
  for (int i = 0; i < kResultColumnCount; ++i) {
    const int column = order[static_cast<std::size_t>(i)];
    const int width = ListView_GetColumnWidth(list, column);
    places.push_back({column, width});
    if (column != i || (column != kColumnTitle && width != DefaultColumnWidthPx(column))) asItCame = false;
  }
  AppSettings().ResultColumns = asItCame ? std::string() : FormatResultColumns(places);
}

void RebuildResultsList() {
  MainWindowState& state = Main();
  state.order.ResetToStoreOrder(Results().Count());
  ForgetNewRows();
  // A load, Clear or New shows the rows as they came; a sort or a deletion
  // puts its arrow back itself.
  ShowSortArrows(ListSort{});
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
  if (state.sortShown.column >= 0) ShowSortArrows(ListSort{});  // new rows on top: no longer sorted
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

// Control layouts as data: one table per window or page, positions in dialog
// units, turned into an in-memory dialog template so that every position is
// exact in dialog units whatever the font.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace vemtrix::ui {

struct ControlSpec {
  int id;
  const char* windowClass;  // "BUTTON", "EDIT", "STATIC", WC_LISTVIEWA, ...
  std::string caption;
  DWORD style;              // WS_CHILD and WS_VISIBLE are added
  short x, y, w, h;         // dialog units
  DWORD exStyle = 0;
};

struct DialogSpec {
  std::string caption;
  DWORD style;
  short x, y, w, h;  // dialog units; w and h are the client area
  DWORD exStyle = 0;
  std::string fontName = "MS Shell Dlg";
  short fontPoints = 8;
};

// The in-memory template (DLGTEMPLATE, aligned for the dialog functions).
std::vector<WORD> BuildDialogTemplate(const DialogSpec& dialog, const std::vector<ControlSpec>& controls);

// A modeless child dialog ("page") of parent built from a table, with proc.
HWND CreatePage(HWND parent, const std::vector<ControlSpec>& controls, DLGPROC proc, LPARAM param);

// Runs a modal dialog built from a table, owned by owner; its EndDialog value.
INT_PTR RunModalDialog(HWND owner, const DialogSpec& dialog, const std::vector<ControlSpec>& controls, DLGPROC proc);

// Dialog units of dialog to pixels and back.
RECT DluToPixels(HWND dialog, int x, int y, int w, int h);
SIZE PixelsToDlu(HWND dialog, int widthPx, int heightPx);

// Moves control id of parent to a place given in dialog units of units.
void PlaceControl(HWND parent, HWND units, int id, int x, int y, int w, int h, bool visible = true);

// The program's icon resource name at size pixels (0: the system's icon
// size), loaded on first use and kept: animations show their frames many
// times a second, and a load per frame would cost memory each time.
// Window thread only.
HICON ResourceIcon(const std::string& name, int size);

std::string GetText(HWND window);
std::string GetItemText(HWND dialog, int id);

}  // namespace vemtrix::ui

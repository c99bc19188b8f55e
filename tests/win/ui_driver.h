// Drives Windows programs from outside, as a user would: starts them, finds
// their windows and message boxes by caption, reads and sets controls by id,
// presses buttons, and photographs windows. For the tests under Wine.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "ui/logic/control_ids.h"

namespace vemtrix::uitest {

// How long to wait for a window: a message box takes about 2 s under Wine.
inline constexpr int kWindowWaitMs = 10000;

// A program started by a test. Killed when destroyed if it is still running.
class ChildProcess {
 public:
  ChildProcess() = default;
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  // commandLine as CreateProcess takes it (program path quoted as needed).
  bool Start(const std::string& commandLine, const std::string& workingFolder = "");
  bool WaitForExit(int timeoutMs);
  bool Running() const;
  DWORD ExitCode() const;  // STILL_ACTIVE while running
  DWORD Id() const { return info_.dwProcessId; }
  void Kill();
  // The system's error code of the last failed start.
  DWORD LastError() const { return lastError_; }

 private:
  PROCESS_INFORMATION info_{};
  DWORD lastError_ = 0;
};

// The process that owns window; 0 when there is none.
DWORD ProcessOfWindow(HWND window);
// The full path of a running process's program; empty when unknown.
std::string ProcessImagePath(DWORD processId);
// Ends a process the test did not start itself (one found by its window).
bool EndProcess(DWORD processId, int timeoutMs = kWindowWaitMs);

// A visible top-level window with exactly this caption, belonging to the
// process processId (0: any process); nullptr when none shows up in time.
HWND WaitForWindow(const std::string& caption, DWORD processId = 0, int timeoutMs = kWindowWaitMs);
// The same for a message box (a dialog with a text control 0xFFFF).
HWND WaitForMessageBox(const std::string& caption, DWORD processId = 0,
                       int timeoutMs = kWindowWaitMs);
// Any message box of the process, whatever its caption; nullptr when none.
HWND FindAnyMessageBox(DWORD processId);
bool WaitForWindowGone(HWND window, int timeoutMs = kWindowWaitMs);

std::string WindowText(HWND window);
// The control with this id anywhere below window (pages inside tabs too);
// nullptr when none. The functions below that take an id use it.
HWND FindControl(HWND window, int id);
std::string ControlText(HWND window, int id);
bool SetControlText(HWND window, int id, const std::string& text);
// BST_CHECKED, BST_UNCHECKED or BST_INDETERMINATE; -1 when there is no such control.
int CheckState(HWND window, int id);
// Clicks the check box until it shows the wanted state.
bool SetChecked(HWND window, int id, bool checked);
// Clicks the button without waiting for what the click does (it may open a
// modal box). False when there is no such control.
bool PressButton(HWND window, int id);
// What the close box in the caption does.
bool CloseWithCloseBox(HWND window);

struct MessageBoxInfo {
  std::string caption;
  std::string text;
  bool hasIcon = false;   // shows an icon (stop, information, question...)
  bool topmost = false;   // system-modal boxes stay on top
  std::vector<std::string> buttons;  // captions of the visible buttons, "&" removed
};
MessageBoxInfo ReadMessageBox(HWND box);
// Presses the box's button IDOK, IDCANCEL, IDYES, IDNO...
bool AnswerMessageBox(HWND box, int button);
// Reads and answers every message box the process shows until it ends (or
// timeoutMs passes), in order.
std::vector<MessageBoxInfo> AnswerBoxesUntilExit(ChildProcess& process, int button, int timeoutMs);

// An open or save dialog with this title, of process processId: types name
// into its file name box and presses OK, or presses Cancel when name is
// empty. False when no such dialog showed up or it did not close.
bool AnswerFileDialog(const std::string& title, const std::string& name, DWORD processId,
                      int timeoutMs = kWindowWaitMs);

// Ends every running process whose program file is named exeName (for
// copies a test's program started by itself, such as an installed copy).
void EndProcessesNamed(const std::string& exeName);

// The live GDI objects of a process (this one too), from the GDI handle
// table its PEB points at: Wine's GetGuiResources gives none.
DWORD GdiObjectsOf(HANDLE process);

// Copies the window as it is on the screen into a PNG file.
bool SaveWindowPng(HWND window, const std::string& path);

// The captions of the labels, buttons and check boxes inside window (shown
// ones, at any depth) that do not fit their control in its own font: each
// as "id: text (needs ... px, has ...)". A caption cut off on the screen
// is listed here.
std::vector<std::string> CutOffCaptions(HWND window);

}  // namespace vemtrix::uitest

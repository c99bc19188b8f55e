// vemtrix_tour: a short tour of Vemtrix.exe for scripts/run.sh on a machine
// without a display. It starts the program on the sample search, photographs
// each page, presses Go!, waits for the run to end, saves the search through
// the save dialog, photographs the results and prints how many there are.
//
// Usage: vemtrix_tour PROGRAM SCREENSHOT_FOLDER
#include <windows.h>
#include <commctrl.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "resources/version.h"
#include "win/ui_driver.h"

using namespace vemtrix::uitest;

namespace {

void Sleep(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

bool WaitUntil(bool (*done)(HWND), HWND window, int timeoutMs) {
  for (int waited = 0; waited < timeoutMs; waited += 100) {
    if (done(window)) return true;
    Sleep(100);
  }
  return done(window);
}

// Moves the tab control's selection with the arrow keys, as a user would.
void SelectTab(HWND window, int page) {
  HWND tab = FindControl(window, 1001);
  for (int tries = 0; tries < 10; ++tries) {
    int now = static_cast<int>(SendMessageA(tab, TCM_GETCURSEL, 0, 0));
    if (now == page) break;
    PostMessageA(tab, WM_KEYDOWN, now < page ? VK_RIGHT : VK_LEFT, 0);
    Sleep(300);
  }
  Sleep(300);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: vemtrix_tour PROGRAM SCREENSHOT_FOLDER\n");
    return 2;
  }
  std::string program = argv[1];
  std::string shots = std::string(argv[2]) + "\\";
  std::string folder = program.substr(0, program.find_last_of('\\'));
  const std::string title = std::string("Vemtrix v") + VEMTRIX_VERSION_TEXT;

  ChildProcess vemtrix;
  if (!vemtrix.Start("\"" + program + "\"", folder)) {
    std::fprintf(stderr, "tour: could not start %s\n", program.c_str());
    return 1;
  }
  HWND window = WaitForWindow(title, vemtrix.Id(), 30000);
  if (window == nullptr) {
    std::fprintf(stderr, "tour: the main window did not open\n");
    return 1;
  }
  Sleep(1000);
  const char* pages[] = {"1-search-results.png", "2-search-settings.png", "3-vemtrix-settings.png",
                         "4-diagnostics.png", "5-html-template.png"};
  for (int page = 0; page < 5; ++page) {
    SelectTab(window, page);
    SaveWindowPng(window, shots + pages[page]);
  }
  SelectTab(window, 0);

  std::printf("tour: Go!\n");
  PressButton(window, 1013);
  WaitUntil([](HWND w) { return ControlText(w, 1013) == "Abort"; }, window, 10000);
  Sleep(1500);
  SelectTab(window, 3);
  SaveWindowPng(window, shots + "6-diagnostics-during-run.png");
  SelectTab(window, 0);
  if (!WaitUntil([](HWND w) { return ControlText(w, 1013) == "Go!"; }, window, 300000)) {
    std::fprintf(stderr, "tour: the search did not end within five minutes\n");
    return 1;
  }
  Sleep(500);
  SaveWindowPng(window, shots + "7-results-after-run.png");

  std::printf("tour: saving\n");
  PressButton(window, 1006);
  HWND dialog = WaitForWindow("Please select a search file to save", vemtrix.Id());
  if (dialog != nullptr) {
    PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    // The file exists: the dialog asks before replacing it.
    if (HWND confirm = WaitForMessageBox("Please select a search file to save", vemtrix.Id(), 6000))
      AnswerMessageBox(confirm, IDYES);
    WaitForWindowGone(dialog, 10000);
  }
  int results = static_cast<int>(SendMessageA(FindControl(window, 1008), LVM_GETITEMCOUNT, 0, 0));
  PostMessageA(window, WM_CLOSE, 0, 0);
  if (HWND box = WaitForMessageBox("Really exit?", vemtrix.Id(), 3000)) {
    std::fprintf(stderr, "tour: the search was not saved\n");
    AnswerMessageBox(box, IDYES);
  }
  vemtrix.WaitForExit(15000);
  std::printf("%d results\n", results);
  std::printf("screenshots in %s\n", argv[2]);
  return results > 0 ? 0 : 1;
}

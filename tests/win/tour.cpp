// vemtrix_tour: a short tour of Vemtrix.exe for scripts/run.sh on a machine
// without a display. On a fresh program folder it meets the first run (the
// installation offer, answered No; the catalog download; Start) and opens
// the sample search; on a folder used before the window opens at once. Then
// it photographs each page, presses Go!, waits for the run to end, saves the
// search through the save dialog, photographs the results and prints how
// many there are.
//
// Usage: vemtrix_tour PROGRAM SCREENSHOT_FOLDER SAMPLE_SEARCH
#include <windows.h>
#include <commctrl.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "resources/version.h"
#include "win/ui_driver.h"

using namespace vemtrix;
using namespace vemtrix::uitest;

namespace {


void Pause(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

template <typename Done>
bool WaitUntil(Done done, int timeoutMs) {
  for (int waited = 0; waited < timeoutMs; waited += 100) {
    if (done()) return true;
    Pause(100);
  }
  return done();
}

// Moves the tab control's selection with the arrow keys, as a user would.
void SelectTab(HWND window, int page) {
  HWND tab = FindControl(window, kIdTab);
  for (int tries = 0; tries < 10; ++tries) {
    int now = static_cast<int>(SendMessageA(tab, TCM_GETCURSEL, 0, 0));
    if (now == page) break;
    PostMessageA(tab, WM_KEYDOWN, now < page ? VK_RIGHT : VK_LEFT, 0);
    Pause(300);
  }
  Pause(300);
}

// The first run: No to the installation offer, then the catalog download.
// False when the download did not end with "Start".
bool FirstRun(DWORD process, const std::string& title, const std::string& shots) {
  // Whichever comes first: the offer, the download dialog or the window.
  HWND offer = nullptr, dialog = nullptr, window = nullptr;
  WaitUntil(
      [&] {
        offer = WaitForMessageBox("Welcome to Vemtrix", process, 1);
        dialog = WaitForWindow("Download Sections and Cities", process, 1);
        window = WaitForWindow(title, process, 1);
        return offer != nullptr || dialog != nullptr || window != nullptr;
      },
      30000);
  if (window != nullptr) return true;  // a folder used before
  if (offer != nullptr) {
    std::printf("tour: first run; running from this folder\n");
    AnswerMessageBox(offer, IDNO);
    dialog = WaitForWindow("Download Sections and Cities", process, 15000);
  }
  if (dialog == nullptr) return false;
  std::printf("tour: downloading the sections and cities\n");
  PressButton(dialog, kIdBeginDownload);
  Pause(1500);
  SaveWindowPng(dialog, shots + "0-download-sections-and-cities.png");
  bool ended = WaitUntil(
      [&] {
        std::string caption = ControlText(dialog, kIdBeginDownload);
        return caption == "Start" || caption == "Exit (Try Later)";
      },
      600000);
  std::string caption = ControlText(dialog, kIdBeginDownload);
  if (!ended || caption != "Start") {
    std::fprintf(stderr, "tour: the download did not succeed (%s)\n", caption.c_str());
    return false;
  }
  PressButton(dialog, kIdBeginDownload);
  return true;
}

// Opens the sample search through the Load button's file dialog.
bool OpenSample(HWND window, DWORD process, const std::string& folder, const std::string& sample) {
  if (ControlText(window, kIdTerms) == "bike") return true;  // already the current search
  CopyFileA(sample.c_str(), (folder + "\\sample.vem").c_str(), FALSE);
  PressButton(window, kIdLoad);
  if (!AnswerFileDialog("Please select a search file to load", "sample.vem", process)) return false;
  return WaitUntil([&] { return ControlText(window, kIdTerms) == "bike"; }, 10000);
}

}  // namespace

int main(int argc, char** argv) {
  std::setvbuf(stdout, nullptr, _IONBF, 0);  // each step seen as it happens, also through a pipe
  if (argc != 4) {
    std::fprintf(stderr, "usage: vemtrix_tour PROGRAM SCREENSHOT_FOLDER SAMPLE_SEARCH\n");
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
  if (!FirstRun(vemtrix.Id(), title, shots)) return 1;
  HWND window = WaitForWindow(title, vemtrix.Id(), 30000);
  if (window == nullptr) {
    std::fprintf(stderr, "tour: the main window did not open\n");
    return 1;
  }
  Pause(1000);
  if (!OpenSample(window, vemtrix.Id(), folder, argv[3])) {
    std::fprintf(stderr, "tour: the sample search did not open\n");
    return 1;
  }
  const char* pages[] = {"1-search-results.png", "2-search-settings.png", "3-vemtrix-settings.png",
                         "4-diagnostics.png", "5-html-template.png"};
  for (int page = 0; page < 5; ++page) {
    SelectTab(window, page);
    SaveWindowPng(window, shots + pages[page]);
  }
  SelectTab(window, 0);

  std::printf("tour: Go!\n");
  PressButton(window, kIdGo);
  WaitUntil([&] { return ControlText(window, kIdGo) == "Abort"; }, 10000);
  // The Diagnostics page while the workers still name their downloads.
  SelectTab(window, 3);
  WaitUntil([&] { return !ControlText(window, kIdSearchWorkerBox).empty() || ControlText(window, kIdGo) == "Go!"; }, 10000);
  Pause(200);
  SaveWindowPng(window, shots + "6-diagnostics-during-run.png");
  SelectTab(window, 0);
  if (!WaitUntil([&] { return ControlText(window, kIdGo) == "Go!"; }, 300000)) {
    std::fprintf(stderr, "tour: the search did not end within five minutes\n");
    return 1;
  }
  Pause(500);
  SaveWindowPng(window, shots + "7-results-after-run.png");

  std::printf("tour: saving\n");
  PressButton(window, kIdSave);
  HWND dialog = WaitForWindow("Please select a search file to save", vemtrix.Id());
  if (dialog != nullptr) {
    PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    // The file exists: the dialog asks before replacing it.
    if (HWND confirm = WaitForMessageBox("Please select a search file to save", vemtrix.Id(), 6000))
      AnswerMessageBox(confirm, IDYES);
    WaitForWindowGone(dialog, 10000);
  }
  int results = static_cast<int>(SendMessageA(FindControl(window, kIdList), LVM_GETITEMCOUNT, 0, 0));
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

// What the window tests share: a program folder with small catalogs and a
// saved search of three results, the main window run in the test program
// while a second thread drives it as a user would, and the driving helpers.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "catalogs/catalog_files.h"
#include "commands/start_up.h"
#include "core/result_store.h"
#include "core/settings.h"
#include "platform/platform.h"
#include "ui/main_window.h"
#include "win/test_files.h"
#include "win/ui_driver.h"

namespace vemtrix::uitest {

const char kTitle[] = "Vemtrix v2.10";

const char kClCities[] =
    "\"Region\",\"CountryCode\",\"CountryName\",\"StateCode\",\"CityName\",\"CityURL\"\r\n"
    "\"North America\",\"US\",\"United States\",\"WA\",\"Seattle\",\"http://seattle.craigslist.org/\"\r\n"
    "\"North America\",\"US\",\"United States\",\"OR\",\"Portland\",\"http://portland.craigslist.org/\"\r\n"
    "\"North America\",\"CA\",\"Canada\",\"ON\",\"Toronto\",\"http://toronto.craigslist.ca/\"\r\n";
const char kClSections[] =
    "\"MasterSectionCode\",\"SectionCode\",\"SectionName\"\r\n"
    "\"sss\",\"sss\",\"For Sale (All)\"\r\n\"sss\",\"bik\",\"Bicycles\"\r\n\"sss\",\"fuo\",\"Furniture\"\r\n";
const char kClStates[] = "\"CityURI\",\"StateName\",\"StateCode\"\r\n\"http://seattle.craigslist.org/\",\"Washington\",\"WA\"\r\n";
const char kKjCities[] = "\"Country\",\"State\",\"City\",\"URL\"\r\n"
                         "\"Canada\",\"Ontario\",\"Toronto\",\"http://toronto.kijiji.ca\"\r\n";
const char kKjSections[] = "\"MasterSectionName\",\"SectionID\",\"SectionDir\",\"SectionName\"\r\n"
                           "\"Buy And Sell\",\"10\",\"buy-and-sell\",\"Buy And Sell\"\r\n"
                           "\"Buy And Sell\",\"644\",\"bikes\",\"Bicycles\"\r\n";
const char kBpCities[] = "\"Country\",\"StateCode\",\"StateName\",\"CityName\",\"CityURL\"\r\n"
                         "\"United States\",\"WA\",\"Washington\",\"Seattle\",\"http://seattle.backpage.com/\"\r\n";
const char kBpSections[] = "\"Section\",\"SectionName\",\"Category\",\"CategoryName\",\"DirectoryName\"\r\n"
                           "\"4378\",\"Buy, Sell, Trade\",\"0\",\"\",\"BuySellTrade\"\r\n"
                           "\"4378\",\"Buy, Sell, Trade\",\"4381\",\"Bicycles\",\"Bikes\"\r\n";
const char kDaCities[] = "\"Country\",\"StateCode\",\"StateName\",\"CityName\",\"CityURL\"\r\n"
                         "\"United States\",\"WA\",\"Washington\",\"Seattle\",\"http://seattle.daype.com/\"\r\n";
const char kDaSections[] = "\"SectionName\",\"Category\",\"CategoryName\",\"SectionURL\"\r\n"
                           "\"For Sale\",\"13\",\"Bicycles\",\"bikes\"\r\n";

// Three results, Seattle and Bicycles ticked, term "bike".
inline std::string SavedSearch(const std::string& name) {
  std::string text = "Vemtrix Saved Search\r\nCurrentSearchname: " + name +
                     "\r\nSearchTerms: bike\r\nCLcityList: http://seattle.craigslist.org/\r\nKJcityList: \r\n"
                     "BPcityList: \r\nDAcityList: \r\nCLsectionList: bik\r\nKJsectionList: \r\nBPsectionList: \r\n"
                     "DAsectionList: \r\n";
  const char* titles[] = {"Blue road bike", "Awesome tandem", "Cargo bike with box"};
  for (int i = 0; i < 3; ++i)
    text += "Result: \"2026-11-0" + std::to_string(i + 1) + "\",\"" + titles[i] +
            "\",\"Seattle\",\"Bicycles\",\"http://seattle.craigslist.org/bik/" + std::to_string(100 + i) +
            ".html\",\"\"\r\n";
  return text;
}

// ---- in-process driving helpers (the window runs on the test's main thread)

inline HWND Find(HWND top, int id) { return FindControl(top, id); }

inline std::string TextOf(HWND top, int id) { return WindowText(Find(top, id)); }

inline void Click(HWND top, int id) { PostMessageA(Find(top, id), BM_CLICK, 0, 0); }

inline void ClickAt(HWND control, int x, int y) {
  LPARAM at = MAKELPARAM(x, y);
  PostMessageA(control, WM_LBUTTONDOWN, MK_LBUTTON, at);
  PostMessageA(control, WM_LBUTTONUP, 0, at);
}

// Waits (polling) until done() holds; false after timeoutMs.
inline bool WaitUntil(const std::function<bool()>& done, int timeoutMs = 10000) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return true;
}

// Clicks the page's tab as a user would.
inline void SelectTab(HWND top, int page) {
  HWND tab = Find(top, kIdTab);
  RECT rect{};
  SendMessageA(tab, TCM_GETITEMRECT, static_cast<WPARAM>(page), reinterpret_cast<LPARAM>(&rect));
  ClickAt(tab, (rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
  WaitUntil([&] { return SendMessageA(tab, TCM_GETCURSEL, 0, 0) == page; }, 3000);
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
}

inline int ListCount(HWND top) { return static_cast<int>(SendMessageA(Find(top, kIdList), LVM_GETITEMCOUNT, 0, 0)); }

inline std::string ListCell(HWND top, int item, int column) {
  char text[512] = {};
  LVITEMA lv{};
  lv.iSubItem = column;
  lv.pszText = text;
  lv.cchTextMax = sizeof text;
  SendMessageA(Find(top, kIdList), LVM_GETITEMTEXTA, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&lv));
  return text;
}

// The first item of tree `id` whose label is text, searched depth first.
inline HTREEITEM TreeItem(HWND tree, HTREEITEM from, const std::string& text) {
  for (HTREEITEM item = from; item != nullptr; item = TreeView_GetNextSibling(tree, item)) {
    char label[256] = {};
    TVITEMA tv{};
    tv.mask = TVIF_TEXT;
    tv.hItem = item;
    tv.pszText = label;
    tv.cchTextMax = sizeof label;
    SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&tv));
    if (text == label) return item;
    if (HTREEITEM inside = TreeItem(tree, TreeView_GetChild(tree, item), text)) return inside;
  }
  return nullptr;
}

inline bool TreeChecked(HWND top, int id, const std::string& text) {
  HWND tree = Find(top, id);
  HTREEITEM item = TreeItem(tree, TreeView_GetRoot(tree), text);
  return item != nullptr && TreeView_GetCheckState(tree, item) == 1;
}

// Clicks the check box of an item as a user would: on its state image.
inline void ClickTreeCheckBox(HWND top, int id, const std::string& text) {
  HWND tree = Find(top, id);
  HTREEITEM item = TreeItem(tree, TreeView_GetRoot(tree), text);
  if (item == nullptr) return;
  TreeView_EnsureVisible(tree, item);
  RECT rect{};
  TreeView_GetItemRect(tree, item, &rect, TRUE);
  ClickAt(tree, rect.left - 8, (rect.top + rect.bottom) / 2);
}

// Answers the next message box with this caption; its text, or "<none>".
inline std::string Answer(const std::string& caption, int button, int timeoutMs = kWindowWaitMs) {
  HWND box = WaitForMessageBox(caption, GetCurrentProcessId(), timeoutMs);
  if (box == nullptr) return "<none>";
  std::string text = ReadMessageBox(box).text;
  AnswerMessageBox(box, button);
  WaitForWindowGone(box, 5000);
  return text;
}

inline bool AnswerFileDialog(const std::string& title, const std::string& name) {
  return uitest::AnswerFileDialog(title, name, GetCurrentProcessId());
}

// A dialog or box a failed step left open would keep the window from
// closing: cancel every one of them.
inline void CancelLeftOverDialogs(HWND window) {
  for (int round = 0; round < 5; ++round) {
    std::vector<HWND> open;
    EnumThreadWindows(
        GetWindowThreadProcessId(window, nullptr),
        [](HWND candidate, LPARAM parameter) -> BOOL {
          char name[16] = {};
          GetClassNameA(candidate, name, sizeof name);
          if (IsWindowVisible(candidate) && std::string(name) == "#32770")
            reinterpret_cast<std::vector<HWND>*>(parameter)->push_back(candidate);
          return TRUE;
        },
        reinterpret_cast<LPARAM>(&open));
    open.erase(std::remove(open.begin(), open.end(), window), open.end());
    if (open.empty()) return;
    for (HWND dialog : open) PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
  }
}

class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = FreshTempFolder("main_window");
    if (!folder_.empty() && folder_.back() == '\\') folder_.pop_back();
    platform::SetProgramDirectory(folder_ + "\\");
    const std::pair<const char*, const char*> files[] = {
        {"CLcitylist.csv", kClCities}, {"CLsectlist.csv", kClSections}, {"CLstatelist.csv", kClStates},
        {"KJcitylist.csv", kKjCities}, {"KJsectlist.csv", kKjSections}, {"BPcitylist.csv", kBpCities},
        {"BPsectlist.csv", kBpSections}, {"DAcitylist.csv", kDaCities}, {"DAsectlist.csv", kDaSections}};
    for (const auto& [name, text] : files) WriteBytes(folder_ + "\\" + name, text);
    WriteBytes(folder_ + "\\vemtrix.ini", "CurrentSearchName: bikes\r\nCheckForUpdates: 0\r\n");
    WriteBytes(folder_ + "\\bikes.vem", SavedSearch("bikes"));
    LoadSettingsAndCatalogs();
    Results().Create();
    Dirty = 0;
    // As start-up does: the running time counts from now.
    platform::LocalDateTime now = platform::LocalNow();
    AppSettings().ProgramStartTime = static_cast<std::int64_t>(platform::SecondsSinceMidnight());
    AppSettings().ProgramStartDay = JulianDayNumber(now.year, now.month, now.day);
    ui::SetVersionCode(210);
  }

  // Runs the window here while drive() works it from another thread; the
  // window is closed (answering "Really exit?" with Yes) when drive returns.
  void Run(const std::function<void(HWND)>& drive) {
    std::atomic<bool> ended{false};
    std::thread driver([&] {
      HWND window = WaitForWindow(kTitle, GetCurrentProcessId());
      if (window != nullptr) {
        drive(window);
        CancelLeftOverDialogs(window);
        PostMessageA(window, WM_COMMAND, kCmdClose, 0);
        if (Dirty.load() != 0) Answer("Really exit?", IDYES);
      }
      ended = true;
    });
    ui::ShowMainWindow();
    driver.join();
    EXPECT_TRUE(ended.load());
  }

  std::string Artifact(const std::string& name) {
    CreateDirectoryA(HostPath(VEMTRIX_ARTIFACTS_DIR).c_str(), nullptr);
    return HostPath(VEMTRIX_ARTIFACTS_DIR) + "\\" + name;
  }

  std::string folder_;
};


}  // namespace vemtrix::uitest

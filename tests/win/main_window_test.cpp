// The main window run in this process, driven from a second thread as a user
// would drive it: clicks on buttons, tabs, tree check boxes and column
// headers, keys on the list, answers to message boxes and file dialogs.
// What the driver sees is recorded and checked once the window has closed.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <functional>
#include <thread>

#include "catalogs/catalog_files.h"
#include "commands/start_up.h"
#include "core/current_search.h"
#include "core/result_store.h"
#include "core/settings.h"
#include "platform/platform.h"
#include "support/fake_sites.h"
#include "ui/main_window.h"
#include "win/test_files.h"
#include "win/ui_driver.h"

namespace vemtrix::uitest {
namespace {

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
std::string SavedSearch(const std::string& name) {
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

HWND Find(HWND top, int id) { return FindControl(top, id); }

std::string TextOf(HWND top, int id) { return WindowText(Find(top, id)); }

void Click(HWND top, int id) { PostMessageA(Find(top, id), BM_CLICK, 0, 0); }

void ClickAt(HWND control, int x, int y) {
  LPARAM at = MAKELPARAM(x, y);
  PostMessageA(control, WM_LBUTTONDOWN, MK_LBUTTON, at);
  PostMessageA(control, WM_LBUTTONUP, 0, at);
}

// Waits (polling) until done() holds; false after timeoutMs.
bool WaitUntil(const std::function<bool()>& done, int timeoutMs = 10000) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return true;
}

// Clicks the page's tab as a user would.
void SelectTab(HWND top, int page) {
  HWND tab = Find(top, 1001);
  RECT rect{};
  SendMessageA(tab, TCM_GETITEMRECT, static_cast<WPARAM>(page), reinterpret_cast<LPARAM>(&rect));
  ClickAt(tab, (rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
  WaitUntil([&] { return SendMessageA(tab, TCM_GETCURSEL, 0, 0) == page; }, 3000);
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
}

int ListCount(HWND top) { return static_cast<int>(SendMessageA(Find(top, 1008), LVM_GETITEMCOUNT, 0, 0)); }

std::string ListCell(HWND top, int item, int column) {
  char text[512] = {};
  LVITEMA lv{};
  lv.iSubItem = column;
  lv.pszText = text;
  lv.cchTextMax = sizeof text;
  SendMessageA(Find(top, 1008), LVM_GETITEMTEXTA, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&lv));
  return text;
}

// The first item of tree `id` whose label is text, searched depth first.
HTREEITEM TreeItem(HWND tree, HTREEITEM from, const std::string& text) {
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

bool TreeChecked(HWND top, int id, const std::string& text) {
  HWND tree = Find(top, id);
  HTREEITEM item = TreeItem(tree, TreeView_GetRoot(tree), text);
  return item != nullptr && TreeView_GetCheckState(tree, item) == 1;
}

// Clicks the check box of an item as a user would: on its state image.
void ClickTreeCheckBox(HWND top, int id, const std::string& text) {
  HWND tree = Find(top, id);
  HTREEITEM item = TreeItem(tree, TreeView_GetRoot(tree), text);
  if (item == nullptr) return;
  TreeView_EnsureVisible(tree, item);
  RECT rect{};
  *reinterpret_cast<HTREEITEM*>(&rect) = item;
  SendMessageA(tree, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&rect));
  ClickAt(tree, rect.left - 8, (rect.top + rect.bottom) / 2);
}

// Answers the next message box with this caption; its text, or "<none>".
std::string Answer(const std::string& caption, int button, int timeoutMs = kWindowWaitMs) {
  HWND box = WaitForMessageBox(caption, GetCurrentProcessId(), timeoutMs);
  if (box == nullptr) return "<none>";
  std::string text = ReadMessageBox(box).text;
  AnswerMessageBox(box, button);
  WaitForWindowGone(box, 5000);
  return text;
}

bool AnswerFileDialog(const std::string& title, const std::string& name) {
  return uitest::AnswerFileDialog(title, name, GetCurrentProcessId());
}

// A dialog or box a failed step left open would keep the window from
// closing: cancel every one of them.
void CancelLeftOverDialogs(HWND window) {
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

class MainWindowTest : public ::testing::Test {
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
        PostMessageA(window, WM_COMMAND, 7101, 0);
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

TEST_F(MainWindowTest, OpensTheCurrentSearchWithItsTreesAndListAndShowsEveryPage) {
  std::string title, name, terms;
  int listed = 0, craigslistCities = 0, kijijiSections = 0;
  bool backpageShown = true, seattleTicked = false, portlandTicked = true, bicyclesTicked = false;
  std::string firstTitle, fullTextHeader;
  Run([&](HWND window) {
    title = WindowText(window);
    name = TextOf(window, 1004);
    terms = TextOf(window, 1024);
    listed = ListCount(window);
    firstTitle = ListCell(window, 0, 1);
    craigslistCities = static_cast<int>(SendMessageA(Find(window, 1016), TVM_GETCOUNT, 0, 0));
    kijijiSections = static_cast<int>(SendMessageA(Find(window, 1104), TVM_GETCOUNT, 0, 0));
    backpageShown = IsWindowVisible(Find(window, 1071)) != FALSE;
    seattleTicked = TreeChecked(window, 1016, "Seattle");
    portlandTicked = TreeChecked(window, 1016, "Portland");
    bicyclesTicked = TreeChecked(window, 1020, "Bicycles");
    const char* pages[] = {"page-results.png", "page-search-settings.png", "page-vemtrix-settings.png",
                           "page-diagnostics.png", "page-html-template.png"};
    for (int page = 0; page < 5; ++page) {
      SelectTab(window, page);
      SaveWindowPng(window, Artifact(pages[page]));
    }
    SelectTab(window, 0);
  });
  EXPECT_EQ(title, kTitle);
  EXPECT_EQ(name, "bikes");
  EXPECT_EQ(terms, "bike");
  EXPECT_EQ(listed, 3);
  EXPECT_EQ(firstTitle, "Blue road bike");  // a load keeps the file's order
  // Regions, countries and cities: North America, United States, Canada and three cities.
  EXPECT_EQ(craigslistCities, 6);
  EXPECT_EQ(kijijiSections, 2);  // "Buy And Sell (All)" and "Bicycles" under it
  EXPECT_FALSE(backpageShown);   // Backpage is off by default
  EXPECT_TRUE(seattleTicked);
  EXPECT_FALSE(portlandTicked);
  EXPECT_TRUE(bicyclesTicked);
}

TEST_F(MainWindowTest, GoHarvestsIntoTheTopOfTheListAndRestoresTheWindow) {
  testing::FakeSites sites;
  sites.delayMs = 400;
  std::string captionDuring, captionAfter, stateDuring, stateAfter, topTitle;
  bool nameBoxEnabledDuring = true, nameBoxEnabledAfter = false;
  int listedAfter = 0, storedAfter = 0;
  std::string exitQuestion;
  Run([&](HWND window) {
    Click(window, 1013);
    WaitUntil([&] { return TextOf(window, 1013) == "Abort"; });
    captionDuring = TextOf(window, 1013);
    nameBoxEnabledDuring = IsWindowEnabled(Find(window, 1004)) != FALSE;
    stateDuring = [&] {
      char text[64] = {};
      SendMessageA(Find(window, 1280), SB_GETTEXTA, 1, reinterpret_cast<LPARAM>(text));
      return std::string(text);
    }();
    WaitUntil([&] { return TextOf(window, 1013) == "Go!"; }, 60000);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    captionAfter = TextOf(window, 1013);
    nameBoxEnabledAfter = IsWindowEnabled(Find(window, 1004)) != FALSE;
    char text[64] = {};
    SendMessageA(Find(window, 1280), SB_GETTEXTA, 1, reinterpret_cast<LPARAM>(text));
    stateAfter = text;
    listedAfter = ListCount(window);
    storedAfter = Results().Count();
    topTitle = ListCell(window, 0, 1);
    SaveWindowPng(window, Artifact("page-results-after-run.png"));
    // Unsaved results: the close box asks first, and No keeps the window.
    PostMessageA(window, WM_CLOSE, 0, 0);
    exitQuestion = Answer("Really exit?", IDNO);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
  });
  EXPECT_EQ(captionDuring, "Abort");
  EXPECT_FALSE(nameBoxEnabledDuring);
  EXPECT_EQ(stateDuring, "Searching");
  EXPECT_EQ(captionAfter, "Go!");
  EXPECT_TRUE(nameBoxEnabledAfter);
  EXPECT_EQ(stateAfter, "Inactive");
  EXPECT_EQ(storedAfter, 6);  // three from the file, three found
  EXPECT_EQ(listedAfter, 6);
  EXPECT_EQ(topTitle.rfind("Ad bik-bike-", 0), 0u) << topTitle;  // found rows go to the top
  EXPECT_EQ(exitQuestion, "You have unsaved results. Are you sure you want to exit without saving?");
}

TEST_F(MainWindowTest, SaveAndLoadGoThroughTheFileDialogsAndKeepOnlyTheBareName) {
  std::string nameAfterSave, nameAfterCancel, nameAfterLoad, failedSaveQuestion;
  bool savedFile = false, cancelled = false, loaded = false;
  int listedAfterLoad = 0;
  Run([&](HWND window) {
    Click(window, 1006);
    AnswerFileDialog("Please select a search file to save", "renamed.vem");
    WaitUntil([&] { return TextOf(window, 1004) == "renamed"; }, 5000);
    nameAfterSave = TextOf(window, 1004);
    savedFile = FileExists(folder_ + "\\renamed.vem");
    // A cancelled open dialog changes nothing.
    Click(window, 1005);
    cancelled = AnswerFileDialog("Please select a search file to load", "");
    nameAfterCancel = TextOf(window, 1004);
    // A file picked in another folder loads the search of that name from
    // the program folder.
    CreateDirectoryA((folder_ + "\\elsewhere").c_str(), nullptr);
    WriteBytes(folder_ + "\\elsewhere\\bikes.vem", "not a saved search");
    Click(window, 1005);
    loaded = AnswerFileDialog("Please select a search file to load", folder_ + "\\elsewhere\\bikes.vem");
    WaitUntil([&] { return TextOf(window, 1004) == "bikes"; }, 5000);
    nameAfterLoad = TextOf(window, 1004);
    listedAfterLoad = ListCount(window);
    // A save that cannot be written leaves the results unsaved: the exit
    // question still comes.
    Dirty = 1;
    CreateDirectoryA((folder_ + "\\blocked.vem").c_str(), nullptr);
    Click(window, 1006);
    std::thread replace([] { Answer("Please select a search file to save", IDYES); });  // "already exists"
    AnswerFileDialog("Please select a search file to save", "blocked");
    replace.join();
    Answer("Error", IDOK, 5000);
    PostMessageA(window, WM_CLOSE, 0, 0);
    failedSaveQuestion = Answer("Really exit?", IDNO);
  });
  EXPECT_EQ(nameAfterSave, "renamed");
  EXPECT_TRUE(savedFile);
  EXPECT_TRUE(cancelled);
  EXPECT_TRUE(loaded);
  EXPECT_EQ(nameAfterCancel, "renamed");
  EXPECT_EQ(nameAfterLoad, "bikes");
  EXPECT_EQ(listedAfterLoad, 3);
  EXPECT_NE(failedSaveQuestion, "<none>");
}

TEST_F(MainWindowTest, GuardsQuestionsSortingDeletingApplyAndSynchronisedTicks) {
  std::string noTerms, clearQuestion, discardNotice, clampedBox, sortedTop, kijijiBeforeTick;
  int afterNo = 0, afterDelete = 0, afterYes = 0;
  bool kijijiTicked = false, emptyClearAsked = true;
  std::int32_t storedMaxResults = 0;
  Run([&](HWND window) {
    // Go! without terms names what is missing and shows the settings page.
    SetWindowTextA(Find(window, 1024), "  ");
    Click(window, 1013);
    noTerms = Answer("Error", IDOK);
    SetWindowTextA(Find(window, 1024), "bike");
    // Sorting by title: ascending, letter case ignored.
    SelectTab(window, 0);
    HWND header = ListView_GetHeader(Find(window, 1008));
    RECT column{};
    SendMessageA(header, HDM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&column));
    ClickAt(header, (column.left + column.right) / 2, (column.top + column.bottom) / 2);
    WaitUntil([&] { return ListCell(window, 0, 1) == "Awesome tandem"; }, 3000);
    sortedTop = ListCell(window, 0, 1);
    // Delete removes the selected row.
    HWND list = Find(window, 1008);
    ListView_SetItemState(list, 0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    PostMessageA(list, WM_KEYDOWN, VK_DELETE, 0);
    WaitUntil([&] { return ListCount(window) == 2; }, 3000);
    afterDelete = ListCount(window);
    // Clear asks; No keeps, Yes empties; an empty list asks nothing.
    Click(window, 1010);
    clearQuestion = Answer("Warning", IDNO);
    afterNo = ListCount(window);
    Click(window, 1010);
    Answer("Warning", IDYES);
    WaitUntil([&] { return ListCount(window) == 0; }, 3000);
    afterYes = ListCount(window);
    Click(window, 1010);
    emptyClearAsked = WaitForMessageBox("Warning", GetCurrentProcessId(), 1500) != nullptr;
    // Apply clamps the result limit; leaving the page with an unapplied edit
    // says so and puts the stored value back.
    SelectTab(window, 2);
    SetWindowTextA(Find(window, 1034), "3000");
    Click(window, 1029);
    WaitUntil([&] { return TextOf(window, 1034) == "5000"; }, 3000);
    clampedBox = TextOf(window, 1034);
    storedMaxResults = AppSettings().MaxResults;
    SetWindowTextA(Find(window, 1038), "9");
    SelectTab(window, 1);
    discardNotice = Answer("Vemtrix Settings", IDOK);
    // Ticking a Craigslist section ticks Kijiji's section of the same name.
    kijijiBeforeTick = TreeChecked(window, 1104, "Bicycles") ? "ticked" : "clear";
    ClickTreeCheckBox(window, 1020, "Furniture");
    ClickTreeCheckBox(window, 1020, "Bicycles");  // clears it
    ClickTreeCheckBox(window, 1020, "Bicycles");  // and ticks it again
    WaitUntil([&] { return TreeChecked(window, 1104, "Bicycles"); }, 3000);
    kijijiTicked = TreeChecked(window, 1104, "Bicycles");
  });
  EXPECT_EQ(noTerms, "You have not set any search terms. Please do that first.");
  EXPECT_EQ(sortedTop, "Awesome tandem");
  EXPECT_EQ(afterDelete, 2);
  EXPECT_EQ(clearQuestion, "Are you sure you want to premanently delete your search results?");
  EXPECT_EQ(afterNo, 2);
  EXPECT_EQ(afterYes, 0);
  EXPECT_FALSE(emptyClearAsked);
  EXPECT_EQ(clampedBox, "5000");
  EXPECT_EQ(storedMaxResults, 5000);
  EXPECT_EQ(discardNotice,
            "Changes to the settings have been canceled (if you wanted to keep them, you should have clicked the "
            "'apply' button to save).");
  EXPECT_EQ(kijijiBeforeTick, "clear");
  EXPECT_TRUE(kijijiTicked);
}

}  // namespace
}  // namespace vemtrix::uitest

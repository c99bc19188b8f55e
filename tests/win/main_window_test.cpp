// The main window run in this process, driven from a second thread as a user
// would drive it: clicks on buttons, tabs, tree check boxes and column
// headers, keys on the list, answers to message boxes and file dialogs.
// What the driver sees is recorded and checked once the window has closed.
#include <tuple>

#include "harvest/worker_runs.h"
#include "support/fake_sites.h"
#include "ui/logic/result_order.h"
#include "win/window_fixture.h"

namespace vemtrix::uitest {
namespace {

class MainWindowTest : public WindowTest {};

TEST_F(MainWindowTest, OpensTheCurrentSearchWithItsTreesAndListAndShowsEveryPage) {
  std::string title, name, terms;
  int listed = 0, craigslistCities = 0, kijijiSections = 0;
  bool backpageShown = true, seattleTicked = false, portlandTicked = true, bicyclesTicked = false;
  std::string firstTitle, fullTextHeader;
  std::vector<std::string> cutOff;
  Run([&](HWND window) {
    title = WindowText(window);
    name = TextOf(window, kIdName);
    terms = TextOf(window, kIdTerms);
    listed = ListCount(window);
    firstTitle = ListCell(window, 0, 1);
    craigslistCities = static_cast<int>(SendMessageA(Find(window, kCityTreeIds[0]), TVM_GETCOUNT, 0, 0));
    kijijiSections = static_cast<int>(SendMessageA(Find(window, kSectionTreeIds[1]), TVM_GETCOUNT, 0, 0));
    backpageShown = IsWindowVisible(Find(window, kCityTreeIds[2])) != FALSE;
    seattleTicked = TreeChecked(window, kCityTreeIds[0], "Seattle");
    portlandTicked = TreeChecked(window, kCityTreeIds[0], "Portland");
    bicyclesTicked = TreeChecked(window, kSectionTreeIds[0], "Bicycles");
    const char* pages[] = {"page-results.png", "page-search-settings.png", "page-vemtrix-settings.png",
                           "page-diagnostics.png", "page-html-template.png"};
    for (int page = 0; page < 5; ++page) {
      SelectTab(window, page);
      SaveWindowPng(window, Artifact(pages[page]));
    }
    SelectTab(window, 0);
    cutOff = CutOffCaptions(window);  // every page's controls, shown or not
  });
  EXPECT_EQ(title, kTitle);
  EXPECT_EQ(cutOff, std::vector<std::string>{}) << "captions cut off at the default size";
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

TEST_F(MainWindowTest, FourSitesLargeAndSmallGetATreeSlotEachWithEveryCaptionWhole) {
  AppSettings().SearchBackpage = 1;
  AppSettings().SearchDaype = 1;
  struct Seen {
    std::vector<RECT> trees;
    RECT page{};
    std::vector<std::string> cutOff;
  };
  std::vector<Seen> sizes;
  Run([&](HWND window) {
    SelectTab(window, 1);
    // A large window, then one asked smaller than the window allows.
    for (auto [width, height, shot] : {std::tuple{640, 560, "window-four-sites-large.png"},
                                       std::tuple{200, 200, "window-four-sites-smallest.png"}}) {
      RECT want{0, 0, width, height};
      MapDialogRect(window, &want);
      SetWindowPos(window, nullptr, 0, 0, want.right, want.bottom, SWP_NOZORDER);
      std::this_thread::sleep_for(std::chrono::milliseconds(400));
      Seen seen;
      for (int id : {kCityTreeIds[0], kCityTreeIds[1], kCityTreeIds[2], kCityTreeIds[3], kSectionTreeIds[0],
                     kSectionTreeIds[1], kSectionTreeIds[2], kSectionTreeIds[3]}) {
        RECT rect{};
        if (IsWindowVisible(Find(window, id))) GetWindowRect(Find(window, id), &rect);
        seen.trees.push_back(rect);
      }
      GetWindowRect(GetParent(Find(window, kCityTreeIds[0])), &seen.page);
      seen.cutOff = CutOffCaptions(window);
      SaveWindowPng(window, Artifact(shot));
      sizes.push_back(seen);
    }
  });
  ASSERT_EQ(sizes.size(), 2u);
  for (std::size_t size = 0; size < sizes.size(); ++size) {
    const Seen& seen = sizes[size];
    for (std::size_t i = 0; i < seen.trees.size(); ++i) {
      const RECT& tree = seen.trees[i];
      EXPECT_GT(tree.right - tree.left, 100) << "size " << size << ": tree " << i << " hidden or squeezed";
      EXPECT_GT(tree.bottom - tree.top, 60) << "size " << size << ": tree " << i << " hidden or squeezed";
      EXPECT_TRUE(tree.left >= seen.page.left && tree.right <= seen.page.right && tree.top >= seen.page.top &&
                  tree.bottom <= seen.page.bottom)
          << "size " << size << ": tree " << i << " runs off its page";
      for (std::size_t j = i + 1; j < seen.trees.size(); ++j) {
        RECT both{};
        EXPECT_FALSE(IntersectRect(&both, &tree, &seen.trees[j]))
            << "size " << size << ": trees " << i << " and " << j << " overlap";
      }
    }
    EXPECT_EQ(seen.cutOff, std::vector<std::string>{}) << "size " << size;
  }
}

TEST_F(MainWindowTest, DeepScanFetchesTheTextsShowsItsWorkerAndMarksTheRows) {
  testing::FakeSites sites;
  sites.delayMs = 700;  // time to watch the scan
  AppSettings().MaxThreads2 = 1;
  std::string captionDuring, stateDuring, scanRowDuring, captionAfter, stateAfter;
  std::vector<std::string> fullTextColumn;
  bool scanBlockShown = false;
  Run([&](HWND window) {
    auto state = [&] {
      char text[64] = {};
      SendMessageA(Find(window, kIdStatusBar), SB_GETTEXTA, 1, reinterpret_cast<LPARAM>(text));
      return std::string(text);
    };
    Click(window, kIdDeepScan);
    WaitUntil([&] { return TextOf(window, kIdDeepScan) == "Abort DS"; }, 5000);
    captionDuring = TextOf(window, kIdDeepScan);
    stateDuring = state();
    SelectTab(window, 3);
    WaitUntil([&] { return !TextOf(window, kIdScanWorkerBox).empty(); }, 5000);
    scanRowDuring = TextOf(window, kIdScanWorkerBox);
    scanBlockShown = IsWindowVisible(Find(window, kIdScanWorkerBox)) != FALSE;
    SaveWindowPng(window, Artifact("page-diagnostics-deep-scan.png"));
    SelectTab(window, 0);
    WaitUntil([&] { return TextOf(window, kIdDeepScan) == "Deep Scan"; }, 30000);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    captionAfter = TextOf(window, kIdDeepScan);
    stateAfter = state();
    for (int item = 0; item < ListCount(window); ++item) fullTextColumn.push_back(ListCell(window, item, 4));
    SaveWindowPng(window, Artifact("page-results-after-deep-scan.png"));
  });
  EXPECT_EQ(captionDuring, "Abort DS");
  EXPECT_EQ(stateDuring, "Scanning");
  EXPECT_TRUE(scanBlockShown);  // the page switched to the scan rows
  EXPECT_NE(scanRowDuring.find("seattle.craigslist.org"), std::string::npos) << scanRowDuring;
  EXPECT_EQ(captionAfter, "Deep Scan");
  EXPECT_EQ(stateAfter, "Inactive");
  EXPECT_EQ(fullTextColumn, (std::vector<std::string>{"Yes", "Yes", "Yes"}));
  for (int row = 1; row <= Results().Count(); ++row) {
    EXPECT_NE(Results().Field(row, kFieldFullText).find("long enough to count"), std::string::npos) << row;
  }
}

TEST_F(MainWindowTest, GoHarvestsIntoTheTopOfTheListAndRestoresTheWindow) {
  testing::FakeSites sites;
  sites.delayMs = 4000;  // two jobs one after the other: time to try commands during the run
  AppSettings().MaxThreads = 1;
  std::string captionDuring, captionAfter, stateDuring, stateAfter, topTitle;
  bool nameBoxEnabledDuring = true, nameBoxEnabledAfter = false;
  int listedAfter = 0, storedAfter = 0;
  std::string exitQuestion, loadDuring, clearDuring;
  Run([&](HWND window) {
    SetWindowTextA(Find(window, kIdTerms), "bike,tandem");
    Click(window, kIdGo);
    WaitUntil([&] { return TextOf(window, kIdGo) == "Abort"; });
    captionDuring = TextOf(window, kIdGo);
    nameBoxEnabledDuring = IsWindowEnabled(Find(window, kIdName)) != FALSE;
    stateDuring = [&] {
      char text[64] = {};
      SendMessageA(Find(window, kIdStatusBar), SB_GETTEXTA, 1, reinterpret_cast<LPARAM>(text));
      return std::string(text);
    }();
    // Commands that would disturb the run refuse while it works.
    PostMessageA(window, WM_COMMAND, kIdLoad, 0);  // Ctrl+L: the Load button itself is disabled
    loadDuring = Answer("Error", IDOK);
    Click(window, kIdClear);
    clearDuring = Answer("Error", IDOK);
    WaitUntil([&] { return TextOf(window, kIdGo) == "Go!"; }, 60000);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    captionAfter = TextOf(window, kIdGo);
    nameBoxEnabledAfter = IsWindowEnabled(Find(window, kIdName)) != FALSE;
    char text[64] = {};
    SendMessageA(Find(window, kIdStatusBar), SB_GETTEXTA, 1, reinterpret_cast<LPARAM>(text));
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
  EXPECT_EQ(loadDuring, "A search is currently active. You need to stop the current scan before loading an old one.");
  EXPECT_EQ(clearDuring, "If you want to clear the results, please stop the search first.");
  EXPECT_EQ(captionAfter, "Go!");
  EXPECT_TRUE(nameBoxEnabledAfter);
  EXPECT_EQ(stateAfter, "Inactive");
  EXPECT_EQ(storedAfter, 9);  // three from the file, three found for each term
  EXPECT_EQ(listedAfter, 9);
  EXPECT_EQ(topTitle.rfind("Ad bik-tandem-", 0), 0u) << topTitle;  // the latest rows go to the top
  EXPECT_EQ(exitQuestion, "You have unsaved results. Are you sure you want to exit without saving?");
}

// A site that never answers: its job retries (the countdowns cut short
// here) and would give up with a box after the fifth attempt. Abort pressed
// while that attempt is under way ends the run at once and quietly.
TEST_F(MainWindowTest, AbortDuringAFailingSiteEndsTheRunWithoutAGiveUpBox) {
  WriteBytes(folder_ + "\\CLcitylist.csv",
             std::string(kClCities) + "\"North America\",\"US\",\"United States\",\"WA\",\"Nowhere\","
                                      "\"http://down.craigslist.org/\"\r\n");
  std::string search = SavedSearch("bikes");
  search.replace(search.find("CLcityList: http://seattle.craigslist.org/"),
                 std::string("CLcityList: http://seattle.craigslist.org/").size(),
                 "CLcityList: http://down.craigslist.org/");
  WriteBytes(folder_ + "\\bikes.vem", search);
  LoadSettingsAndCatalogs();
  testing::FakeSites sites;
  sites.delayMs = 1000;  // each attempt takes a second: time to press Abort during the fifth
  AppSettings().MaxThreads = 1;
  platform::SetSleepForTesting([](int) { std::this_thread::sleep_for(std::chrono::milliseconds(1)); });
  const std::int32_t givenUpBefore = SearchJobsGivenUp;
  std::string boxBeforeAbort = "<none>", boxAfterAbort = "<none>";
  bool fifthAttempt = false, ended = false;
  Run([&](HWND window) {
    Click(window, kIdGo);
    fifthAttempt = WaitUntil([&] { return sites.Server().Requests().size() >= 5; }, 30000);
    if (HWND box = FindAnyMessageBox(GetCurrentProcessId())) boxBeforeAbort = ReadMessageBox(box).text;
    Click(window, kIdGo);  // now "Abort"
    ended = WaitUntil([&] { return TextOf(window, kIdGo) == "Go!"; }, 5000);
    if (HWND box = WaitForMessageBox("Error", GetCurrentProcessId(), 3000)) {
      boxAfterAbort = ReadMessageBox(box).text;
      AnswerMessageBox(box, IDOK);
      WaitForWindowGone(box, 5000);
    }
  });
  platform::SetSleepForTesting(nullptr);
  EXPECT_TRUE(fifthAttempt);
  EXPECT_EQ(boxBeforeAbort, "<none>");
  EXPECT_TRUE(ended) << "Abort did not end the run within 5 s";
  EXPECT_EQ(boxAfterAbort, "<none>");
  EXPECT_EQ(sites.Server().Requests().size(), 5u);  // no attempt after Abort
  EXPECT_EQ(SearchJobsGivenUp - givenUpBefore, 0);
}

TEST_F(MainWindowTest, ClosingDuringARunAsksOnlyOnce) {
  testing::FakeSites sites;
  sites.delayMs = 3000;
  AppSettings().MaxThreads = 1;
  std::string firstQuestion;
  bool askedAgain = true, closed = false;
  Run([&](HWND window) {
    Click(window, kIdGo);
    WaitUntil([&] { return TextOf(window, kIdGo) == "Abort"; });
    Dirty = 1;  // results the user has not saved
    PostMessageA(window, WM_CLOSE, 0, 0);
    firstQuestion = Answer("Really exit?", IDYES);
    // An impatient second click on the close box while the workers stop.
    PostMessageA(window, WM_CLOSE, 0, 0);
    askedAgain = WaitForMessageBox("Really exit?", GetCurrentProcessId(), 1000) != nullptr;
    closed = WaitForWindowGone(window, 15000);
    Dirty = 0;  // closed: nothing left to ask about
  });
  EXPECT_EQ(firstQuestion, "You have unsaved results. Are you sure you want to exit without saving?");
  EXPECT_FALSE(askedAgain);
  EXPECT_TRUE(closed);
}

TEST_F(MainWindowTest, SaveAndLoadGoThroughTheFileDialogsAndKeepOnlyTheBareName) {
  std::string nameAfterSave, nameAfterCancel, nameAfterLoad, failedSaveQuestion, cancelledSave;
  bool savedFile = false, cancelled = false, loaded = false;
  int listedAfterLoad = 0;
  Run([&](HWND window) {
    Click(window, kIdSave);
    AnswerFileDialog("Please select a search file to save", "renamed.vem");
    WaitUntil([&] { return TextOf(window, kIdName) == "renamed"; }, 5000);
    nameAfterSave = TextOf(window, kIdName);
    savedFile = FileExists(folder_ + "\\renamed.vem");
    // A cancelled save dialog says the search was not saved.
    Click(window, kIdSave);
    AnswerFileDialog("Please select a search file to save", "");
    cancelledSave = Answer("Aborted", IDOK);
    // A cancelled open dialog changes nothing.
    Click(window, kIdLoad);
    cancelled = AnswerFileDialog("Please select a search file to load", "");
    nameAfterCancel = TextOf(window, kIdName);
    // A file picked in another folder loads the search of that name from
    // the program folder.
    CreateDirectoryA((folder_ + "\\elsewhere").c_str(), nullptr);
    WriteBytes(folder_ + "\\elsewhere\\bikes.vem", "not a saved search");
    Click(window, kIdLoad);
    loaded = AnswerFileDialog("Please select a search file to load", folder_ + "\\elsewhere\\bikes.vem");
    WaitUntil([&] { return TextOf(window, kIdName) == "bikes"; }, 5000);
    nameAfterLoad = TextOf(window, kIdName);
    listedAfterLoad = ListCount(window);
    // A save that cannot be written leaves the results unsaved: the exit
    // question still comes.
    Dirty = 1;
    CreateDirectoryA((folder_ + "\\blocked.vem").c_str(), nullptr);
    Click(window, kIdSave);
    std::thread replace([] { Answer("Please select a search file to save", IDYES); });  // "already exists"
    AnswerFileDialog("Please select a search file to save", "blocked");
    replace.join();
    Answer("Error", IDOK, 5000);
    PostMessageA(window, WM_CLOSE, 0, 0);
    failedSaveQuestion = Answer("Really exit?", IDNO);
  });
  EXPECT_EQ(nameAfterSave, "renamed");
  EXPECT_EQ(cancelledSave, "Save cancelled. Searches have NOT been saved.");
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
    SetWindowTextA(Find(window, kIdTerms), "  ");
    Click(window, kIdGo);
    noTerms = Answer("Error", IDOK);
    SetWindowTextA(Find(window, kIdTerms), "bike");
    // Sorting by title: ascending, letter case ignored.
    SelectTab(window, 0);
    HWND header = ListView_GetHeader(Find(window, kIdList));
    RECT column{};
    SendMessageA(header, HDM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&column));
    ClickAt(header, (column.left + column.right) / 2, (column.top + column.bottom) / 2);
    WaitUntil([&] { return ListCell(window, 0, 1) == "Awesome tandem"; }, 3000);
    sortedTop = ListCell(window, 0, 1);
    // Delete removes the selected row.
    HWND list = Find(window, kIdList);
    ListView_SetItemState(list, 0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    PostMessageA(list, WM_KEYDOWN, VK_DELETE, 0);
    WaitUntil([&] { return ListCount(window) == 2; }, 3000);
    afterDelete = ListCount(window);
    // Clear asks; No keeps, Yes empties; an empty list asks nothing.
    Click(window, kIdClear);
    clearQuestion = Answer("Warning", IDNO);
    afterNo = ListCount(window);
    Click(window, kIdClear);
    Answer("Warning", IDYES);
    WaitUntil([&] { return ListCount(window) == 0; }, 3000);
    afterYes = ListCount(window);
    Click(window, kIdClear);
    emptyClearAsked = WaitForMessageBox("Warning", GetCurrentProcessId(), 1500) != nullptr;
    // Apply clamps the result limit; leaving the page with an unapplied edit
    // says so and puts the stored value back.
    SelectTab(window, 2);
    SetWindowTextA(Find(window, kIdMaxResults), "3000");
    Click(window, kIdApply);
    WaitUntil([&] { return TextOf(window, kIdMaxResults) == "5000"; }, 3000);
    clampedBox = TextOf(window, kIdMaxResults);
    storedMaxResults = AppSettings().MaxResults;
    SetWindowTextA(Find(window, kIdMaxThreads2), "9");
    SelectTab(window, 1);
    discardNotice = Answer("Vemtrix Settings", IDOK);
    // Ticking a Craigslist section ticks Kijiji's section of the same name.
    kijijiBeforeTick = TreeChecked(window, kSectionTreeIds[1], "Bicycles") ? "ticked" : "clear";
    ClickTreeCheckBox(window, kSectionTreeIds[0], "Furniture");
    ClickTreeCheckBox(window, kSectionTreeIds[0], "Bicycles");  // clears it
    ClickTreeCheckBox(window, kSectionTreeIds[0], "Bicycles");  // and ticks it again
    WaitUntil([&] { return TreeChecked(window, kSectionTreeIds[1], "Bicycles"); }, 3000);
    kijijiTicked = TreeChecked(window, kSectionTreeIds[1], "Bicycles");
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

namespace vemtrix::uitest {
namespace {

TEST_F(MainWindowTest, GoShowsWhatIsMissingAndTheTemplatePageSavesRevertsAndResets) {
  std::string noSections, saved, revertQuestion, headerAfterRevert, resetQuestion;
  bool headerIsDefault = false;
  Run([&](HWND window) {
    SelectTab(window, 1);
    Click(window, kIdSectionClearAll);  // Clear All sections
    Click(window, kIdGo2);
    noSections = Answer("Error", IDOK);
    // The template: Save keeps an edit, Cancel brings the saved one back,
    // Reset the built-in one.
    SelectTab(window, 4);
    SetWindowTextA(Find(window, kIdHeaderBox), "<html>**ITEM**</html>");
    Click(window, kIdTemplateSave);
    saved = Answer("Save complete", IDOK);
    SetWindowTextA(Find(window, kIdHeaderBox), "an unsaved edit");
    Click(window, kIdTemplateCancel);
    revertQuestion = Answer("Revert Template?", IDYES);
    WaitUntil([&] { return TextOf(window, kIdHeaderBox) == "<html>**ITEM**</html>"; }, 3000);
    headerAfterRevert = TextOf(window, kIdHeaderBox);
    Click(window, kIdTemplateReset);
    resetQuestion = Answer("Default Template?", IDYES);
    WaitUntil([&] { return AppSettings().HTMLheader == DefaultSettings().HTMLheader; }, 3000);
    headerIsDefault = AppSettings().HTMLheader == DefaultSettings().HTMLheader;
  });
  EXPECT_EQ(noSections, "You have not selected any sections to search. Please do that first.");
  EXPECT_EQ(saved, "Your HTML template has been saved and will be used from now on.");
  EXPECT_EQ(revertQuestion,
            "Do you want to discard any changes you've made to your HTML template and go back to your previous "
            "settings?");
  EXPECT_EQ(headerAfterRevert, "<html>**ITEM**</html>");
  EXPECT_EQ(resetQuestion, "Do you want to discard your current HTML template and replace it with the default?");
  EXPECT_TRUE(headerIsDefault);
}

}  // namespace
}  // namespace vemtrix::uitest

namespace vemtrix::uitest {
namespace {

int HeaderFormat(HWND window, int column) {
  HDITEMA item{};
  item.mask = HDI_FORMAT;
  Header_GetItem(ListView_GetHeader(Find(window, kIdList)), column, &item);
  return item.fmt;
}

std::vector<std::string> Titles(HWND window) {
  std::vector<std::string> titles;
  for (int i = 0; i < ListCount(window); ++i) titles.push_back(ListCell(window, i, kColumnTitle));
  return titles;
}

TEST_F(MainWindowTest, AHeaderClickedTwiceSortsBothWaysAndItsArrowSaysWhich) {
  std::vector<std::string> once, twice;
  int arrowOnce = 0, arrowTwice = 0, priceFormat = 0, dateAfter = 0;
  std::string priceCaption;
  Run([&](HWND window) {
    HWND header = ListView_GetHeader(Find(window, kIdList));
    auto clickHeader = [&](int column) {
      RECT rect{};
      Header_GetItemRect(header, column, &rect);
      ClickAt(header, (rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
    };
    clickHeader(kColumnTitle);
    WaitUntil([&] { return ListCell(window, 0, kColumnTitle) == "Awesome tandem"; }, 5000);
    once = Titles(window);
    arrowOnce = HeaderFormat(window, kColumnTitle) & (HDF_SORTUP | HDF_SORTDOWN);
    clickHeader(kColumnTitle);
    WaitUntil([&] { return ListCell(window, 0, kColumnTitle) == "Cargo bike with box"; }, 5000);
    twice = Titles(window);
    arrowTwice = HeaderFormat(window, kColumnTitle) & (HDF_SORTUP | HDF_SORTDOWN);
    dateAfter = HeaderFormat(window, kColumnDate) & (HDF_SORTUP | HDF_SORTDOWN);
    char caption[32] = {};
    HDITEMA item{};
    item.mask = HDI_TEXT | HDI_FORMAT;
    item.pszText = caption;
    item.cchTextMax = sizeof caption;
    Header_GetItem(header, kColumnPrice, &item);
    priceCaption = caption;
    priceFormat = item.fmt & HDF_JUSTIFYMASK;
    SaveWindowPng(window, Artifact("page-results-sorted-down.png"));
  });
  EXPECT_EQ(once, (std::vector<std::string>{"Awesome tandem", "Blue road bike", "Cargo bike with box"}));
  EXPECT_EQ(arrowOnce, HDF_SORTUP);
  EXPECT_EQ(twice, (std::vector<std::string>{"Cargo bike with box", "Blue road bike", "Awesome tandem"}));
  EXPECT_EQ(arrowTwice, HDF_SORTDOWN);
  EXPECT_EQ(dateAfter, 0);
  EXPECT_EQ(priceCaption, "Price");
  EXPECT_EQ(priceFormat, HDF_RIGHT);
}

}  // namespace
}  // namespace vemtrix::uitest

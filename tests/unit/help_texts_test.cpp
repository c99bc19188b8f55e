#include <gtest/gtest.h>

#include "harvest/sites.h"
#include "ui/logic/control_ids.h"
#include "ui/logic/help_texts.h"

using namespace vemtrix;

TEST(HelpTextsTest, SampleOfEveryPageRangesWebNamesAndUnlistedControls) {
  // The window row and each of the five pages.
  EXPECT_EQ(HelpTextFor(kIdSave),
            "Click this to save the results and settings of this search so you can work on it more later. "
            "Keyboard shortcut is Ctrl+S.");
  EXPECT_EQ(HelpTextFor(kIdClear), "This deletes all current search results.");
  EXPECT_EQ(HelpTextFor(kSectionTreeIds[0]),
            "This lets you select which Craigslist sections will be searched. Selecting a parent section "
            "automatically  searches all sections within it.");
  EXPECT_EQ(HelpTextFor(kIdUserAgent), "This sets the browser user agent string that it will pretend to be.");
  EXPECT_EQ(HelpTextFor(kIdNewCount), "This tells you how many new results have been retrieved in this session.");
  EXPECT_EQ(HelpTextFor(kIdTemplateCancel),
            "Click this to abort any chages you've made to your HTML template and revert to the most "
            "recently saved version.");

  // A range covers its first and last id and nothing beyond.
  const std::string searchRow =
      "This tells you the details (city, term, and section) of the search currently being performed.";
  EXPECT_EQ(HelpTextFor(kIdSearchWorkerBox), searchRow);
  EXPECT_EQ(HelpTextFor(kIdSearchWorkerBox + 11), searchRow);
  EXPECT_EQ(HelpTextFor(kIdSearchWorkerBox + 12), "");
  const std::string scanLight =
      "These lights indicate the status of the current deep scan download: dark for inactive, green for "
      "downloading, or red if it's experiencing a problem.";
  EXPECT_EQ(HelpTextFor(kIdScanWorkerLight), scanLight);
  EXPECT_EQ(HelpTextFor(kIdScanWorkerLight + 11), scanLight);

  // Both "Go!" buttons share one text.
  EXPECT_EQ(HelpTextFor(kIdGo2), HelpTextFor(kIdGo));
  EXPECT_NE(HelpTextFor(kIdGo).find("Ctrl+G (or Ctrl+Enter)."), std::string::npos);

  // Texts naming Backpage or Daype use the web name.
  EXPECT_EQ(HelpTextFor(kCityTreeIds[2]), std::string("This lets you select which ") + Site(SiteId::Backpage).webName +
                                   " cities you'd like to search.");
  EXPECT_EQ(HelpTextFor(kIdSearchDaype), std::string("Check this box if you'd like to include ") +
                                   Site(SiteId::Daype).webName + " in your searching.");

  // Labels, the tab control and unknown ids have no help.
  for (int id : {int{kIdMaxResultsLabel}, int{kIdNameLabel}, int{kIdTab}, int{kIdSearchWorkerLabel}, int{kIdScanWorkerLabel}, 0, -1}) EXPECT_EQ(HelpTextFor(id), "") << id;
}

TEST(HelpTextsTest, ThePopupStaysOnTheScreen) {
  const ScreenArea work{0, 0, 1024, 738};  // a task bar below
  EXPECT_EQ(PlaceHelpPopup({500, 300}, 200, 60, work), (ScreenPoint{500, 300}));
  EXPECT_EQ(PlaceHelpPopup({900, 300}, 200, 60, work), (ScreenPoint{824, 300}));  // the right edge
  EXPECT_EQ(PlaceHelpPopup({500, 700}, 200, 60, work), (ScreenPoint{500, 678}));  // the task bar
  EXPECT_EQ(PlaceHelpPopup({1030, 750}, 200, 60, work), (ScreenPoint{824, 678}));
  // Larger than the area: its top left corner stays in sight.
  EXPECT_EQ(PlaceHelpPopup({500, 300}, 1100, 800, work), (ScreenPoint{0, 0}));
  // A second monitor to the left, at negative coordinates.
  EXPECT_EQ(PlaceHelpPopup({-100, 10}, 200, 60, {-1280, 0, 0, 1024}), (ScreenPoint{-200, 10}));
}

#include <gtest/gtest.h>

#include "commands/command_checks.h"
#include "commands/search_commands.h"
#include "core/current_search.h"
#include "core/result_store.h"
#include "core/settings.h"
#include "harvest/deep_scan.h"
#include "support/recording_frontend.h"

using namespace vemtrix;
using vemtrix::testing::RecordingFrontend;

namespace {

class CommandChecksTest : public ::testing::Test {
 protected:
  void SetUp() override {
    AppSettings() = DefaultSettings();
    Results().CreateWithCapacity(100);
    SearchRunning = 0;
    DeepScanActive = 0;
    Dirty = 0;
    NewThisRun = 0;
  }
  void TearDown() override {
    SearchRunning = 0;
    DeepScanActive = 0;
    Dirty = 0;
  }
  static void AddRow(int i) {
    Results().AppendLoaded(
        SearchResult{"2026-12-0" + std::to_string(i), "Ad " + std::to_string(i), "Seattle", "bicycles",
                     "http://seattle.craigslist.org/bik/" + std::to_string(i) + ".html", "", ""});
  }
  static std::string Text(const std::optional<CommandMessage>& message) { return message ? message->text : "(none)"; }

  RecordingFrontend ui_;
};

TEST_F(CommandChecksTest, GoNamesWhatIsMissingInOrderAndWhereToFixIt) {
  EXPECT_EQ(Text(CheckGoNameAndTerms("  ", "bike")), "You have not set a search title. Please do that first.");
  EXPECT_FALSE(CheckGoNameAndTerms("", "bike")->showSearchSettings);
  std::optional<CommandMessage> noTerms = CheckGoNameAndTerms("bikes", " ");
  EXPECT_EQ(Text(noTerms), "You have not set any search terms. Please do that first.");
  EXPECT_TRUE(noTerms->showSearchSettings);
  EXPECT_FALSE(CheckGoNameAndTerms("bikes", "bike").has_value());

  SearchInputs inputs;
  EXPECT_EQ(Text(CheckGoSelections(inputs)),
            "You have not selected any cities or regions to search. Please do that first.");
  inputs.SelectedCities = "http://seattle.craigslist.org/";
  std::optional<CommandMessage> noSections = CheckGoSelections(inputs);
  EXPECT_EQ(Text(noSections), "You have not selected any sections to search. Please do that first.");
  EXPECT_TRUE(noSections->showSearchSettings && noSections->systemModal);
  inputs.SelectedSections = "CL:bik";
  EXPECT_FALSE(CheckGoSelections(inputs).has_value());
}

TEST_F(CommandChecksTest, ASearchOrDeepScanBlocksLoadNewClearAndSortingAndUnsavedResultsAsk) {
  for (auto* flag : {&SearchRunning, &DeepScanActive}) {
    *flag = 1;
    EXPECT_TRUE(RunActive());
    EXPECT_EQ(Text(CheckLoad()),
              "A search is currently active. You need to stop the current scan before loading an old one.");
    EXPECT_EQ(Text(CheckNew()),
              "A search is currently active. You need to stop the current scan before starting a new one.");
    EXPECT_TRUE(CheckLoad()->systemModal && CheckNew()->systemModal);
    std::optional<CommandMessage> clear = CheckClear();
    EXPECT_EQ(Text(clear), "If you want to clear the results, please stop the search first.");
    EXPECT_FALSE(clear->systemModal);
    std::optional<CommandMessage> sort = CheckSort();
    EXPECT_EQ(Text(sort),
              "A search is currently active. You need to stop the current scan before sorting the results.");
    EXPECT_FALSE(sort->systemModal);
    *flag = 0;
  }
  EXPECT_FALSE(RunActive());
  EXPECT_FALSE(CheckLoad() || CheckNew() || CheckClear() || CheckSort());

  // Questions: only with unsaved results (Load, New) or any results (Clear).
  EXPECT_FALSE(LoadUnsavedQuestion() || NewUnsavedQuestion() || ClearQuestion());
  Dirty = 1;
  AddRow(1);
  EXPECT_EQ(Text(LoadUnsavedQuestion()),
            "You have unsaved search results. Would you like to load anyway and lose these results?");
  EXPECT_EQ(Text(NewUnsavedQuestion()),
            "You have unsaved search results. Would you like to start a new search anyway and lose these results?");
  EXPECT_EQ(Text(ClearQuestion()), "Are you sure you want to premanently delete your search results?");
}

TEST_F(CommandChecksTest, ClearDeleteAndNewShowTheCountersAnewAndNewStartsCountingFromZero) {
  for (int i = 1; i <= 3; ++i) AddRow(i);
  NewThisRun = 2;

  Results().DeleteRows({2});
  ASSERT_FALSE(ui_.Counters().empty());
  EXPECT_EQ(ui_.Counters().back(), std::make_pair(2, 2));

  Results().Clear();
  EXPECT_EQ(ui_.Counters().back(), std::make_pair(2, 0));

  AddRow(4);
  StartNewSearch("fresh start");
  EXPECT_EQ(CurrentSearch().name, "fresh start");
  EXPECT_EQ(NewThisRun.load(), 0);
  EXPECT_EQ(Results().Count(), 0);
  EXPECT_EQ(ui_.Counters().back(), std::make_pair(0, 0));
}

}  // namespace

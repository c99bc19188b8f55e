#include <gtest/gtest.h>

#include "ui/logic/window_text.h"

using namespace vemtrix;

TEST(WindowTextTest, SearchNameIsTheBareNameOfTheChosenFile) {
  EXPECT_EQ(SearchNameFromPath("C:\\Program Files\\Vemtrix\\bikes.vem"), "bikes");
  // A file picked in another folder gives only its name.
  EXPECT_EQ(SearchNameFromPath("  D:\\elsewhere\\My search.vem  "), "My search");
  // Every ".vem" goes, wherever it is, before the folder is cut off.
  EXPECT_EQ(SearchNameFromPath("C:\\a.vem\\b.vem.vem"), "b");
  EXPECT_EQ(SearchNameFromPath("recent name"), "recent name");
  EXPECT_EQ(SearchNameFromPath("C:\\folder\\"), "");
  EXPECT_EQ(SearchNameFromPath("   "), "");
}

TEST(WindowTextTest, TitleAndSlotLabelsUseTwoDigits) {
  EXPECT_EQ(WindowTitle(210), "Vemtrix v2.10");
  EXPECT_EQ(WindowTitle(205), "Vemtrix v2.05");
  EXPECT_EQ(WindowTitle(666), "Vemtrix v6.66");
  EXPECT_EQ(WindowTitle(1000), "Vemtrix v10.00");
  EXPECT_EQ(SlotLabel(false, 0), "Search 01:");
  EXPECT_EQ(SlotLabel(false, 9), "Search 10:");
  EXPECT_EQ(SlotLabel(true, 11), "Scan 12:");
}

TEST(WindowTextTest, ApplyClampsItsNumberBoxes) {
  EXPECT_EQ(MaxResultsFromBox("3000", 25000), 5000);
  EXPECT_EQ(MaxResultsFromBox("2000000", 25000), 1000000);
  EXPECT_EQ(MaxResultsFromBox(" 250,000 ", 25000), 250000);
  EXPECT_EQ(MaxResultsFromBox("99999999999999999999999", 25000), 1000000);
  EXPECT_EQ(MaxResultsFromBox("-7", 25000), 5000);
  // A box without a whole number keeps the setting.
  EXPECT_EQ(MaxResultsFromBox("lots", 25000), 25000);
  EXPECT_EQ(MaxResultsFromBox("", 40000), 40000);
  EXPECT_EQ(MaxResultsFromBox("12.5", 40000), 40000);
  EXPECT_EQ(ThreadCountFromBox("0", 4), 1);
  EXPECT_EQ(ThreadCountFromBox("13", 4), 12);
  EXPECT_EQ(ThreadCountFromBox("+8", 4), 8);
  EXPECT_EQ(ThreadCountFromBox("8 threads", 4), 4);
  EXPECT_EQ(ThreadCountFromBox("-", 30), 12);  // the kept setting is clamped too
}

TEST(WindowTextTest, FullTextColumnTellsFeedTextFromDownloadedText) {
  const std::string longText(60, 'x');
  EXPECT_EQ(FullTextColumn("<!--RSS-->" + longText), "RSS");
  EXPECT_EQ(FullTextColumn(longText), "Yes");
  EXPECT_EQ(FullTextColumn(std::string(50, 'x')), "");  // a text must be longer than 50 to count
  EXPECT_EQ(FullTextColumn("Pending"), "");
  EXPECT_EQ(FullTextColumn(""), "");
}

TEST(WindowTextTest, RepeatMinutesBoxAndTheNewAdsBalloon) {
  EXPECT_EQ(RepeatMinutesFromBox("45", 30), 45);
  EXPECT_EQ(RepeatMinutesFromBox("0", 30), 1);
  EXPECT_EQ(RepeatMinutesFromBox("99999", 30), 1440);
  EXPECT_EQ(RepeatMinutesFromBox("soon", 30), 30);

  Balloon balloon = NewAdsBalloon(5, "weekly bikes", {"Red bike", "Blue bike", "Tandem", "Unicycle"});
  EXPECT_EQ(balloon.title, "5 new ads for weekly bikes");
  EXPECT_EQ(balloon.text, "Red bike\r\nBlue bike\r\nTandem");
  balloon = NewAdsBalloon(1, "lamps", {std::string(200, 'x')});
  EXPECT_EQ(balloon.title, "1 new ad for lamps");
  EXPECT_EQ(balloon.text, std::string(77, 'x') + "...");
  EXPECT_LE(NewAdsBalloon(3, std::string(100, 'n'), {}).title.size(), 63u);
}

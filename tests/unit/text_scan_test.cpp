#include "core/text.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

namespace vemtrix {
namespace {

TEST(TextBetween, TakesFirstStartAndNextEndAfterIt) {
  EXPECT_EQ(TextBetween("a<b>x</b><b>y</b>", "<b>", "</b>"), "x");
  // An end marker before the start marker does not count.
  EXPECT_EQ(TextBetween("</b> <b>x</b>", "<b>", "</b>"), "x");
  EXPECT_EQ(TextBetween("no marker here", "<b>", "</b>"), "");
  EXPECT_EQ(TextBetween("<b>open to the end", "<b>", "</b>"), "open to the end");
  EXPECT_EQ(TextBetween("<b></b>", "<b>", "</b>"), "");
  // Markers are case-sensitive.
  EXPECT_EQ(TextBetween("<B>x</B>", "<b>", "</b>"), "");
}

TEST(TextScan, CutsAndCounts) {
  EXPECT_EQ(CutAfter("head<li>item", "<li>"), "item");
  EXPECT_EQ(CutAfter("head", "<li>"), "");
  EXPECT_EQ(CutFrom("head<li>item", "<li>"), "<li>item");
  EXPECT_EQ(CutFrom("head", "<li>"), "");
  EXPECT_EQ(CutAt("abcdef", 4), "ef");
  EXPECT_EQ(CutAt("abcdef", 6), "");
  EXPECT_EQ(CutAt("abcdef", 60), "");

  EXPECT_EQ(CountOccurrences("<title>a<title>b<title>", "<title>"), 3u);
  EXPECT_EQ(CountOccurrences("aaaa", "aa"), 2u);  // non-overlapping
  EXPECT_EQ(CountOccurrences("<dc:title>x", "<title>"), 0u);
  EXPECT_EQ(CountOccurrences("abc", ""), 0u);
  EXPECT_TRUE(Contains("photo.jpeg", ".jpeg"));
  EXPECT_FALSE(Contains("photo.jpeg", ".jpg"));
}

TEST(MonthNumber, ReadsTheFirstThreeLettersInAnyCase) {
  EXPECT_EQ(MonthNumber("Jan"), 1);
  EXPECT_EQ(MonthNumber("FEBRUARY"), 2);
  EXPECT_EQ(MonthNumber("may"), 5);
  EXPECT_EQ(MonthNumber("Sept."), 9);
  EXPECT_EQ(MonthNumber("Oct."), 10);
  EXPECT_EQ(MonthNumber("dec"), 12);
  EXPECT_EQ(MonthNumber("De"), 0);
  EXPECT_EQ(MonthNumber(""), 0);
  EXPECT_EQ(MonthNumber(" Jan"), 0);
  EXPECT_EQ(MonthNumber("Fri."), 0);
}

TEST(CollapseWhitespace, TurnsControlsIntoSpacesAndCollapsesRuns) {
  EXPECT_EQ(CollapseWhitespace("a\r\n\tb"), "a b");
  EXPECT_EQ(CollapseWhitespace(std::string("a\0\fb", 4)), "a b");
  EXPECT_EQ(CollapseWhitespace("a     b  c"), "a b c");
  // A single leading or trailing space stays.
  EXPECT_EQ(CollapseWhitespace("\n\n word \r\n"), " word ");
  EXPECT_EQ(CollapseWhitespace(""), "");
}

TEST(LeadingNumber, ReadsSignDigitsAndFractionRounded) {
  EXPECT_EQ(LeadingNumber("31"), 31);
  EXPECT_EQ(LeadingNumber("5 of 5"), 5);
  EXPECT_EQ(LeadingNumber("  12abc"), 12);
  EXPECT_EQ(LeadingNumber("\n7"), 7);
  EXPECT_EQ(LeadingNumber("+8"), 8);
  EXPECT_EQ(LeadingNumber("-3"), -3);
  EXPECT_EQ(LeadingNumber("2.4"), 2);
  EXPECT_EQ(LeadingNumber("2.6x"), 3);
  EXPECT_EQ(LeadingNumber("-2.6"), -3);
  EXPECT_EQ(LeadingNumber("03,"), 3);
  EXPECT_EQ(LeadingNumber("abc"), 0);
  EXPECT_EQ(LeadingNumber("-"), 0);
  EXPECT_EQ(LeadingNumber("."), 0);
  EXPECT_EQ(LeadingNumber(""), 0);
  EXPECT_EQ(LeadingNumber("$5"), 0);
  EXPECT_EQ(LeadingNumber("99999999999999999999999999"), std::numeric_limits<std::int64_t>::max());
  EXPECT_EQ(LeadingNumber("-99999999999999999999999999"), std::numeric_limits<std::int64_t>::min());
}

TEST(TextScan, LowerReplaceTrimSplit) {
  EXPECT_EQ(ToLower("Sofa \"RED\" 2"), "sofa \"red\" 2");
  EXPECT_EQ(ToLower("\xC9t\xC9"), "\xC9t\xC9");  // only ASCII letters change

  EXPECT_EQ(ReplaceAll("Fish &amp; chips &amp; peas", "&amp;", "&"), "Fish & chips & peas");
  // Replacements are not scanned again.
  EXPECT_EQ(ReplaceAll("a", "a", "aa"), "aa");
  EXPECT_EQ(ReplaceAll("a    b", "  ", " "), "a  b");
  EXPECT_EQ(ReplaceAll("abc", "", "x"), "abc");

  EXPECT_EQ(Trim("  a b  "), "a b");
  EXPECT_EQ(Trim("\ta\n"), "\ta\n");
  EXPECT_EQ(Trim("   "), "");

  EXPECT_EQ(SplitPart("4378\\4424\\ElectronicsForSale", '\\', 1), "4378");
  EXPECT_EQ(SplitPart("4378\\4424\\ElectronicsForSale", '\\', 3), "ElectronicsForSale");
  EXPECT_EQ(SplitPart("4378\\4424", '\\', 3), "");
  EXPECT_EQ(SplitPart("a\\\\c", '\\', 2), "");
  EXPECT_EQ(SplitPart("a\\\\c", '\\', 3), "c");
  EXPECT_EQ(SplitPart("abc", '\\', 1), "abc");
  EXPECT_EQ(SplitPart("abc", '\\', 0), "");
}

}  // namespace
}  // namespace vemtrix

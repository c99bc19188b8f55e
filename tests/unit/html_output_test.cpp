#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "commands/output_commands.h"
#include "core/html_template.h"
#include "output/html_output.h"
#include "support/output_fixture.h"

using namespace vemtrix;

namespace {

class HtmlOutput : public vemtrix::testing::OutputTest {
 protected:
  void SetUp() override {
    OutputTest::SetUp();
    platform::SetClockForTesting([] { return platform::LocalDateTime{2026, 3, 7, 9, 5, 3, 0}; });
  }
  // A template that shows every item macro, one item per line.
  void UseShortTemplate() {
    settings.HTMLheader = "[**NAME**]**ITEM**(end)";
    settings.HTMLitem = "**COUNTER**|**NEW**|**ITEMTITLE**|**DESCRIPTION**;";
  }
};

class HtmlCommand : public HtmlOutput {};

}  // namespace

TEST_F(HtmlOutput, DefaultTemplatePageForOneRecord) {
  CurrentSearch().name = "  cars & trucks ";
  AddRow("Bike <b>&</b> helmet", "http://a.craigslist.org/7", true, "<!--RSS-->Fast", "2026-03-06");
  std::string path = FreshPath("page.html");
  ASSERT_TRUE(WriteHtml(path, OutputScope::All, settings));
  std::string page = ReadFile(path);
  EXPECT_TRUE(ui.Messages().empty());
  EXPECT_NE(page.find("<title>Vemtrix Search Results 09:05:03 03-07-2026</title>\r\n"), std::string::npos);
  EXPECT_NE(page.find(" <h3>Vemtrix cars & trucks Search Results 09:05:03 03-07-2026</h3>\r\n"), std::string::npos);
  const std::string item =
      "<div><a href=\"http://a.craigslist.org/7\">Bike <b>&</b> helmet</a> &nbsp;\r\n"
      " (<a href=\"javascript:lunchboxOpen('1');\">More Info</a>)\r\n"
      " (<a href=\"javascript:lunchboxClose('1');\">Close</a>) <b>NEW</b>\r\n"
      "</div>\r\n"
      "<div id=\"lunch_1\" class=\"lunchbox\">\r\n"
      " <b>Date:</b> 2026-03-06<br />\r\n"
      " <b>City:</b> Toronto<br />\r\n"
      " <b>Section:</b> bikes<br />\r\n"
      " <hr size=1>\r\n"
      " <!--RSS-->Fast\r\n"
      "<hr size=1></div><br /><br />\r\n"
      "\r\n";
  EXPECT_NE(page.find("<body>\r\n <h3>"), std::string::npos);
  EXPECT_NE(page.find("</h3>\r\n" + item + "\r\n</body>\r\n</html>\r\n"), std::string::npos) << page;
  // Nothing follows the header's last characters.
  EXPECT_EQ(page.substr(page.size() - 9), "</html>\r\n");
  EXPECT_EQ(page, HtmlPageText(OutputScope::All, settings));
}

TEST_F(HtmlOutput, MacrosAreReplacedInTheirOrder) {
  UseShortTemplate();
  settings.HTMLitem = "<**ITEMLINK**|**ITEMTITLE**|**COUNTER**|**ITEMDATE**|**DESCRIPTION**>";
  // A name holding **ITEM** gets the items; one holding **TIMESTAMP** does not.
  CurrentSearch().name = "**TIMESTAMP** **ITEM**";
  AddRow("#**COUNTER**#**ITEMLINK**#", "L", false, "**ITEM** **ITEMTITLE** **NAME**");
  AddRow("t", "link **ITEMDATE**", false, "d", "2026-01-02");
  EXPECT_EQ(HtmlPageText(OutputScope::All, settings),
            "[**TIMESTAMP** "
            "<L|#1#**ITEMLINK**#|1|2026-03-01|**ITEM** **ITEMTITLE** **NAME**><link 2026-01-02|t|2|2026-01-02|d>"
            "]<L|#1#**ITEMLINK**#|1|2026-03-01|**ITEM** **ITEMTITLE** **NAME**><link 2026-01-02|t|2|2026-01-02|d>"
            "(end)");
}

TEST_F(HtmlOutput, ScopesKeepStoreCountersAndDropExpiredRows) {
  UseShortTemplate();
  for (int i = 1; i <= 6; ++i) {
    AddRow("t" + std::to_string(i), "http://a.craigslist.org/" + std::to_string(i), i == 2 || i == 5 || i == 6, "",
           i == 6 ? "0000-00-00" : "2026-03-01");
  }
  AddRow("gone too", "http://a.craigslist.org/7", false, "red", "0000-00-00");
  EXPECT_EQ(HtmlPageText(OutputScope::NewOnly, settings), "[cars]2|NEW|t2|;5|NEW|t5|;(end)");
  SelectRowsForOutput({3, 6, 7});
  EXPECT_EQ(HtmlPageText(OutputScope::Selected, settings), "[cars]3||t3|;(end)");
  EXPECT_EQ(HtmlPageText({OutputScope::QuickFilter, "t -t4"}, settings),
            "[cars]1||t1|;2|NEW|t2|;3||t3|;5|NEW|t5|;(end)");
  EXPECT_EQ(HtmlPageText(OutputScope::All, settings).find("gone"), std::string::npos);
}

TEST_F(HtmlOutput, TimestampHasTwoDigitFields) {
  EXPECT_EQ(HtmlTimestamp({2026, 3, 7, 9, 5, 3, 0}), "09:05:03 03-07-2026");
  EXPECT_EQ(HtmlTimestamp({2025, 12, 31, 23, 59, 58, 999}), "23:59:58 12-31-2025");
}

TEST_F(HtmlOutput, UnwritableFileIsReportedAndNotOpened) {
  AddRow("t", "http://a.craigslist.org/1");
  std::string path = folder + "no-such-folder" + platform::PathSeparator() + "page.html";
  EXPECT_FALSE(WriteHtml(path, OutputScope::All, settings));
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].caption, "Error");
  EXPECT_NE(ui.Messages()[0].text.find(path), std::string::npos);

  ui.AnswerNextFileDialogWith(path);
  EXPECT_FALSE(ViewHtmlCommand({}, settings));
  EXPECT_TRUE(ui.Opened().empty());
}

TEST_F(HtmlCommand, NoRecordsIsReported) {
  EXPECT_FALSE(ViewHtmlCommand({}, settings));
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].caption, "Aborted");
  EXPECT_EQ(ui.Messages()[0].icon, MessageIcon::Error);
  EXPECT_EQ(ui.Messages()[0].text,
            "There are no records to view. I can not count your chickens before they've hatched.");
  EXPECT_TRUE(ui.Dialogs().empty());
}

TEST_F(HtmlCommand, ScopeQuestionDialogAndBrowser) {
  UseShortTemplate();
  AddRow("old", "http://a.craigslist.org/1");
  AddRow("new", "http://a.craigslist.org/2", true);
  AddRow("newer", "http://a.craigslist.org/3", true);
  std::string path = FreshPath("cars.html");
  ui.AnswerQuestionsWith(MessageAnswer::Yes);
  ui.AnswerNextFileDialogWith(" " + path + "  ");
  ASSERT_TRUE(ViewHtmlCommand({}, settings));
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].caption, "Select Scope");
  EXPECT_EQ(ui.Messages()[0].text,
            "Would you like to view only the 2 new records? (If not, everything will be included in the file).");
  EXPECT_EQ(ReadFile(path), "[cars]2|NEW|new|;3|NEW|newer|;(end)");
  EXPECT_EQ(ui.Opened(), std::vector<std::string>{path});
  FileDialogRequest dialog = ui.Dialogs().at(0);
  EXPECT_EQ(dialog.title, "Please select an HTML file");
  EXPECT_EQ(dialog.filterName, "All HTML files (*.html)");
  EXPECT_EQ(dialog.pattern, "*.html");
  EXPECT_EQ(dialog.proposedName, "cars.html");
  EXPECT_EQ(dialog.defaultExtension, "html");

  // Cancel at the question or at the dialog: silent, nothing written or opened.
  ui.AnswerQuestionsWith(MessageAnswer::Cancel);
  EXPECT_FALSE(ViewHtmlCommand({}, settings));
  EXPECT_EQ(ui.Dialogs().size(), 1u);
  ui.AnswerQuestionsWith(MessageAnswer::No);
  EXPECT_FALSE(ViewHtmlCommand({}, settings));
  EXPECT_EQ(ui.Messages().size(), 3u);  // the two questions only
  EXPECT_EQ(ui.Opened().size(), 1u);

  // Several selected rows: no question.
  ui.AnswerNextFileDialogWith(path);
  ASSERT_TRUE(ViewHtmlCommand({1, 3}, settings));
  EXPECT_EQ(ReadFile(path), "[cars]1||old|;3|NEW|newer|;(end)");
  EXPECT_EQ(ui.Messages().size(), 3u);
}

TEST_F(HtmlCommand, OnlyOldRecordsNeedNoQuestion) {
  UseShortTemplate();
  AddRow("old", "http://a.craigslist.org/1");
  std::string path = FreshPath("old.html");
  ui.AnswerNextFileDialogWith(path);
  ASSERT_TRUE(ViewHtmlCommand({}, settings));
  EXPECT_TRUE(ui.Messages().empty());
  EXPECT_EQ(ReadFile(path), "[cars]1||old|;(end)");
}

// A refill that a newer keystroke overtook stops early.
TEST_F(HtmlCommand, AnOvertakenQuickFilterRefillStopsEarly) {
  for (int i = 1; i <= 2000; ++i) AddRow("bike " + std::to_string(i), "http://a.craigslist.org/" + std::to_string(i));
  int asked = 0;
  std::vector<QuickFilterListRow> early = RefillQuickFilterList("bike", [&] { return ++asked > 1; });
  EXPECT_EQ(asked, 1);
  EXPECT_LT(early.size(), 1100u);
  EXPECT_EQ(RefillQuickFilterList("bike", [] { return true; }).size(), 2000u);
}

TEST_F(HtmlCommand, QuickFilterListButtonAndDoubleClick) {
  AddRow("Red bike", "http://a.craigslist.org/1", false, "fast");
  AddRow("blue bike", "http://a.craigslist.org/2", false, "red stripes");
  AddRow("red car", "http://a.craigslist.org/3", false, "");
  std::vector<QuickFilterListRow> rows = RefillQuickFilterList("red -car");
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0].title, "Red bike");
  EXPECT_EQ(rows[0].row, 1);
  EXPECT_EQ(rows[1].title, "blue bike");
  EXPECT_EQ(rows[1].row, 2);
  EXPECT_EQ(RefillQuickFilterList("").size(), 3u);

  UseShortTemplate();
  std::string path = FreshPath("filter.html");
  ui.AnswerNextFileDialogWith(path);
  ASSERT_TRUE(QuickFilterHtmlCommand("CAR", settings));
  EXPECT_EQ(ReadFile(path), "[cars]3||red car|;(end)");
  EXPECT_EQ(ui.Opened(), std::vector<std::string>{path});

  // Double-click: straight to the browser, or after a Yes to "View it?".
  EXPECT_TRUE(OpenResultInBrowser(2, settings.ConfirmSpawn != 0));
  settings.ConfirmSpawn = 1;
  ui.AnswerQuestionsWith(MessageAnswer::No);
  EXPECT_FALSE(OpenResultInBrowser(3, settings.ConfirmSpawn != 0));
  ui.AnswerQuestionsWith(MessageAnswer::Yes);
  EXPECT_TRUE(OpenResultInBrowser(3, settings.ConfirmSpawn != 0));
  EXPECT_EQ(ui.Opened(),
            (std::vector<std::string>{path, "http://a.craigslist.org/2", "http://a.craigslist.org/3"}));
  ASSERT_EQ(ui.Messages().size(), 2u);
  EXPECT_EQ(ui.Messages()[0].caption, "View it?");
  EXPECT_EQ(ui.Messages()[0].text, "View this Toronto ad in your browser?\r\n\r\nred car");
  EXPECT_FALSE(OpenResultInBrowser(99, settings.ConfirmSpawn != 0));
}

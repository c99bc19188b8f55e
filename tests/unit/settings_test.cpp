#include <gtest/gtest.h>

#include "core/html_template.h"
#include "core/settings.h"
#include "platform/platform.h"
#include "support/test_folder.h"

using namespace vemtrix;

namespace {

// The file SaveSettings writes for the defaults, a window of 398 x 365 dialog
// units well inside the screen, and a program time of 0.
std::string DefaultFile() {
  std::string header = DefaultTemplate(1);
  std::string item = DefaultTemplate(2);
  auto escape = [](std::string text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
      if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
        out += "\\n";
        ++i;
      } else {
        out += text[i];
      }
    }
    return out;
  };
  return "CurrentSearchName: default\r\n"
         "SearchCraigslist: 1\r\n"
         "SearchKijiji: 1\r\n"
         "SearchBackpage: 0\r\n"
         "SearchDaype: 0\r\n"
         "AutoDeepScan: 0\r\n"
         "RSSdescription: 1\r\n"
         "AudioPrompts: 0\r\n"
         "DaypeRSS: 0\r\n"
         "OverrideRSS: 1\r\n"
         "IncludeSiteInCSV: 0\r\n"
         "IncludeStateInCSV: 0\r\n"
         "AllowMultipleInstances: 1\r\n"
         "ConfirmSpawn: 0\r\n"
         "CheckForUpdates: 1\r\n"
         "DiscardSearches: 1\r\n"
         "MaxResults: 25000\r\n"
         "MaxThreads: 4\r\n"
         "MaxThreads2: 4\r\n"
         "Width: 398\r\n"
         "Height: 369\r\n"
         "UserAgent: Mozilla/4.0 (compatible; MSIE 5.5; Windows NT)\r\n"
         "StartMenu: later\r\n"
         "SearchTitles: 0\r\n"
         "HasPictures: 0\r\n"
         "AutoSync: 1\r\n"
         "RecentSearches: default\r\n"
         "SuperBytes: 0\r\n"
         "SuperResults: 0\r\n"
         "SuperSearches: 0\r\n"
         "SuperSearchTime: 0\r\n"
         "SuperProgramTime: 0\r\n"
         "HTMLheader: " + escape(header) + "\r\n"
         "HTMLitem: " + escape(item) + "\r\n";
}

WindowSizeAtSave Window(int wDlu, int hDlu, int wPx, int hPx, int screenW, int screenH) {
  WindowSizeAtSave w;
  w.widthDlu = wDlu;
  w.heightDlu = hDlu;
  w.widthPx = wPx;
  w.heightPx = hPx;
  w.screenWidthPx = screenW;
  w.screenHeightPx = screenH;
  return w;
}

struct FixedClock {
  explicit FixedClock(platform::LocalDateTime t) {
    platform::SetClockForTesting([t] { return t; });
  }
  ~FixedClock() { platform::SetClockForTesting(nullptr); }
};

}  // namespace

TEST(SettingsFile, DefaultsAreWrittenByteForByte) {
  std::string written = FormatSettingsText(DefaultSettings(), Window(398, 365, 800, 700, 1920, 1080), 0);
  EXPECT_EQ(written, DefaultFile());
  // 34 lines, every one ended by CR LF.
  std::size_t lines = 0;
  for (std::size_t i = 0; i + 1 < written.size(); ++i) lines += written[i] == '\r' && written[i + 1] == '\n';
  EXPECT_EQ(lines, 34u);
  // What was written reads back to the same record.
  Settings back = ParseSettingsText(written);
  EXPECT_EQ(back.HTMLheader, DefaultTemplate(1));
  EXPECT_EQ(back.HTMLitem, DefaultTemplate(2));
  EXPECT_EQ(FormatSettingsText(back, Window(398, 365, 800, 700, 1920, 1080), 0), written);
}

TEST(SettingsFile, TheInstallersOneLineFileLoadsEveryDefault) {
  Settings s = ParseSettingsText("CurrentSearchName: default\r\n");
  EXPECT_EQ(FormatSettingsText(s, Window(398, 365, 0, 0, 5000, 5000), 0), DefaultFile());
}

TEST(SettingsFile, KeysInAnyCaseValuesClampedLastLineWins) {
  Settings s = ParseSettingsText(
      "  MAXRESULTS   : 2000\r\n"
      "maxthreads: 0\n"
      "MaxThreads2: 40\r\n"
      "Width: 20\r\n"
      "Height: -7\r\n"
      "StartMenu: LATER On\r\n"
      "SuperBytes: 12345678901234\r\n"
      "SuperResults: 3.6\r\n"
      "SuperSearches: abc\r\n"
      "UnknownKey: 5\r\n"
      "a line without colon\r\n"
      "UserAgent:\r\n"
      "UserAgent:    \r\n"
      "CurrentSearchName:  cars in town  \r\n"
      "MaxResults: 1000\r\n");
  EXPECT_EQ(s.MaxResults, 5000);
  EXPECT_EQ(s.MaxThreads, 1);
  EXPECT_EQ(s.MaxThreads2, 12);
  EXPECT_EQ(s.Width, 20);    // never clamped
  EXPECT_EQ(s.Height, -7);
  EXPECT_EQ(s.StartMenu, "later on");
  EXPECT_EQ(s.SuperBytes.load(), 12345678901234LL);
  EXPECT_EQ(s.SuperResults.load(), 4);  // rounded
  EXPECT_EQ(s.SuperSearches.load(), 0);  // not a number
  EXPECT_EQ(s.UserAgent, "Mozilla/4.0 (compatible; MSIE 5.5; Windows NT)");
  EXPECT_EQ(s.CurrentSearchName, "cars in town");

  EXPECT_EQ(ParseSettingsText("MaxResults: 2000000\r\n").MaxResults, 1000000);
  EXPECT_EQ(ParseSettingsText("MaxResults: 99999999999999\r\n").MaxResults, 1000000);
  EXPECT_EQ(ParseSettingsText("MaxResults: 70000 rows\r\n").MaxResults, 70000);
}

// The watching keys: absent from a file at their defaults (a file written
// before them stays byte for byte the same), appended when set, clamped.
TEST(SettingsFile, WatchingKeysAppearOnlyWhenSet) {
  Settings s = ParseSettingsText(DefaultFile());
  EXPECT_EQ(s.RepeatSearch, 0);
  EXPECT_EQ(s.RepeatMinutes, 30);
  EXPECT_EQ(s.NotifyNewAds, 1);
  s.RepeatMinutes = 45;
  EXPECT_EQ(FormatSettingsText(s, Window(398, 365, 0, 0, 5000, 5000), 0), DefaultFile() + "RepeatMinutes: 45\r\n");

  s = ParseSettingsText("repeatsearch: 7\r\nREPEATMINUTES: 0\r\nNotifyNewAds: 0\r\n");
  EXPECT_EQ(s.RepeatSearch, 1);
  EXPECT_EQ(s.RepeatMinutes, 1);
  EXPECT_EQ(FormatSettingsText(s, Window(398, 365, 0, 0, 5000, 5000), 0),
            DefaultFile() + "RepeatSearch: 1\r\nRepeatMinutes: 1\r\nNotifyNewAds: 0\r\n");
  EXPECT_EQ(ParseSettingsText("RepeatMinutes: 100000\r\n").RepeatMinutes, 1440);
  EXPECT_EQ(ParseSettingsText("RepeatMinutes: 90 minutes\r\n").RepeatMinutes, 90);
  EXPECT_TRUE(IsSettingsKey("repeatminutes"));
  EXPECT_TRUE(IsSettingsKey("NotifyNewAds"));
  EXPECT_FALSE(IsSettingsKey("Repeat"));
}

TEST(SettingsFile, AtLeastOneSiteStaysOn) {
  Settings s = ParseSettingsText("SearchCraigslist: 0\r\nSearchKijiji: 0\r\n");
  EXPECT_EQ(s.SearchCraigslist, 1);
  EXPECT_EQ(s.SearchKijiji, 0);

  s = ParseSettingsText("SearchCraigslist: 0\r\nSearchKijiji: 0\r\nSearchDaype: 1\r\n");
  EXPECT_EQ(s.SearchCraigslist, 0);
  EXPECT_EQ(s.SearchDaype, 1);
}

TEST(SettingsFile, TemplateLineBreaksAndColonsSurvive) {
  Settings s = ParseSettingsText(
      "HTMLheader: <a href=\"http://x.example/a:b\">a\\nb</a>**ITEM**\r\n"
      "HTMLitem: x\\ny\r\n");
  EXPECT_EQ(s.HTMLheader, "<a href=\"http://x.example/a:b\">a\r\nb</a>**ITEM**");
  EXPECT_EQ(s.HTMLitem, "x\r\ny");
  std::string written = FormatSettingsText(s, Window(398, 365, 0, 0, 5000, 5000), 0);
  EXPECT_NE(written.find("\r\nHTMLheader: <a href=\"http://x.example/a:b\">a\\nb</a>**ITEM**\r\n"), std::string::npos);
  EXPECT_NE(written.find("\r\nHTMLitem: x\\ny\r\n"), std::string::npos);
}

TEST(SettingsFile, NearlyFullScreenWindowIsStoredSmaller) {
  Settings s = DefaultSettings();
  auto widthAndHeight = [&](const WindowSizeAtSave& w) {
    std::string text = FormatSettingsText(s, w, 0);
    Settings back = ParseSettingsText(text);
    return std::make_pair(back.Width, back.Height);
  };
  // Maximised: within 150 pixels of the screen both ways.
  EXPECT_EQ(widthAndHeight(Window(800, 600, 1900, 1000, 1920, 1080)), std::make_pair(550, 454));
  // 150 pixels narrower, or 150 pixels lower: unchanged but for the +4.
  EXPECT_EQ(widthAndHeight(Window(800, 600, 1770, 1000, 1920, 1080)), std::make_pair(800, 604));
  EXPECT_EQ(widthAndHeight(Window(800, 600, 1900, 930, 1920, 1080)), std::make_pair(800, 604));
}

TEST(SettingsFile, SaveAndLoadThroughTheProgramFolder) {
  std::string dir = TestFolder("settings");
  dir.pop_back();  // without its separator
  platform::SetProgramDirectory(dir);
  platform::DeleteFileAt(SettingsFilePath());

  LoadSettings();  // no file: defaults, nothing reported
  EXPECT_EQ(AppSettings().MaxResults, 25000);

  FixedClock clock({2026, 11, 2, 10, 0, 0, 0});
  AppSettings().ProgramStartTime = 9 * 3600;
  AppSettings().ProgramStartDay = JulianDayNumber(2026, 11, 2);
  AppSettings().SuperProgramTime = 100;
  AppSettings().MaxThreads = 9;
  ASSERT_TRUE(SaveSettings(Window(500, 400, 1000, 800, 1920, 1080)));
  std::string first;
  ASSERT_TRUE(platform::ReadWholeFile(SettingsFilePath(), first));
  EXPECT_NE(first.find("\r\nSuperProgramTime: 3700\r\n"), std::string::npos);
  // The stored total in memory is unchanged; every save writes the total so far.
  EXPECT_EQ(AppSettings().SuperProgramTime.load(), 100);

  // Saving again without a change writes the same file.
  ASSERT_TRUE(SaveSettings(Window(500, 400, 1000, 800, 1920, 1080)));
  std::string second;
  ASSERT_TRUE(platform::ReadWholeFile(SettingsFilePath(), second));
  EXPECT_EQ(first, second);

  AppSettings().MaxThreads = 2;
  LoadSettings();
  EXPECT_EQ(AppSettings().MaxThreads, 9);
  EXPECT_EQ(AppSettings().Height, 404);
  EXPECT_EQ(AppSettings().ProgramStartTime, 9 * 3600);  // start-up values are kept

  // A folder that cannot be written: the save fails and the old file stays.
  platform::SetProgramDirectory(dir + platform::PathSeparator() + "missing");
  EXPECT_FALSE(SaveSettings(Window(500, 400, 1000, 800, 1920, 1080)));
  platform::SetProgramDirectory("");
  AppSettings() = DefaultSettings();
}

TEST(TimeHelpers, ElapsedSinceHandlesMidnight) {
  {
    FixedClock clock({2026, 1, 1, 0, 1, 40, 0});  // 100 s after midnight
    EXPECT_EQ(ElapsedSince(86000), 500);
    EXPECT_EQ(ElapsedSince(100), 0);
    EXPECT_EQ(ElapsedSince(0), 0);
    EXPECT_EQ(ElapsedSince(40), 60);
  }
  FixedClock clock({2026, 1, 1, 0, 1, 40, 600});
  EXPECT_EQ(ElapsedSince(40), 61);  // rounded to whole seconds
}

TEST(TimeHelpers, JulianDaysAndDurations) {
  EXPECT_EQ(JulianDayNumber(2000, 1, 1), 2451545);
  EXPECT_EQ(JulianDayNumber(2000, 3, 1) - JulianDayNumber(2000, 2, 28), 2);  // leap year
  EXPECT_EQ(JulianDayNumber(1900, 3, 1) - JulianDayNumber(1900, 2, 28), 1);  // not one
  EXPECT_EQ(JulianDayNumber(2027, 1, 1) - JulianDayNumber(2026, 12, 31), 1);

  EXPECT_EQ(FormatDuration(0), "0:00:00");
  EXPECT_EQ(FormatDuration(3599), "0:59:59");
  EXPECT_EQ(FormatDuration(90061), "25:01:01");
  EXPECT_EQ(FormatDuration(36000000), "10000:00:00");
}

TEST(TimeHelpers, ProgramTimeAcrossSeveralMidnights) {
  Settings s = DefaultSettings();
  s.SuperProgramTime = 1000;
  s.ProgramStartTime = 23 * 3600;
  s.ProgramStartDay = JulianDayNumber(2026, 12, 30);
  FixedClock clock({2027, 1, 1, 1, 0, 0, 0});  // two days later, 01:00
  EXPECT_EQ(ProgramTimeNow(s), 1000 + 26 * 3600);
}

TEST(SettingsFile, CsvOptionsAreWrittenOnlyWhenOn) {
  Settings s = DefaultSettings();
  s.CsvForSpreadsheets = 1;
  s.IncludePriceInCSV = 1;
  const std::string written = FormatSettingsText(s, Window(398, 365, 800, 700, 1920, 1080), 0);
  EXPECT_EQ(written, DefaultFile() + "CsvForSpreadsheets: 1\r\nIncludePriceInCSV: 1\r\n");
  Settings back = ParseSettingsText(written);
  EXPECT_EQ(back.CsvForSpreadsheets, 1);
  EXPECT_EQ(back.IncludePriceInCSV, 1);
  // Turned off again, the file is the one of the defaults.
  back.CsvForSpreadsheets = 0;
  back.IncludePriceInCSV = 0;
  EXPECT_EQ(FormatSettingsText(back, Window(398, 365, 800, 700, 1920, 1080), 0), DefaultFile());
  EXPECT_EQ(ParseSettingsText("csvforspreadsheets: 1\r\n").CsvForSpreadsheets, 1);
  EXPECT_TRUE(IsSettingsKey("IncludePriceInCSV"));
  EXPECT_TRUE(IsSettingsKey("csvforspreadsheets"));
}

// The main program's command line: tokens, options, search files found or
// missing, and input no file name can hold.
#include "core/command_line.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "support/test_folder.h"

using namespace vemtrix;

namespace {

using Names = std::vector<std::string>;

// An existence check over a fixed set of paths that records what it was asked.
struct FakeFiles {
  std::set<std::string> present;
  Names asked;
  std::function<bool(const std::string&)> Check() {
    return [this](const std::string& path) {
      asked.push_back(path);
      return present.count(path) > 0;
    };
  }
};

const std::string kProgramDir = "C:\\Apps\\Vemtrix\\";

}  // namespace

TEST(CommandLine, SplitsAtSpacesAndKeepsQuotedSpaces) {
  EXPECT_EQ(CommandLineTokens("a.vem  b.vem "), (Names{"a.vem", "b.vem"}));
  EXPECT_EQ(CommandLineTokens("\"My Search.vem\" -csv"), (Names{"My Search.vem", "-csv"}));
  // A quote inside a token is an ordinary character; a closing quote ends
  // its token even without a space after it.
  EXPECT_EQ(CommandLineTokens("it\"s x"), (Names{"it\"s", "x"}));
  EXPECT_EQ(CommandLineTokens("\"a b\"c"), (Names{"a b", "c"}));
  // An unclosed quote runs to the end of the line; empty quotes name nothing.
  EXPECT_EQ(CommandLineTokens("x \"open to  the end "), (Names{"x", "open to  the end "}));
  EXPECT_EQ(CommandLineTokens("\"\" \""), Names{});
  EXPECT_EQ(CommandLineTokens(""), Names{});
}

TEST(CommandLine, ShortLinesAndOptionsAreIgnoredSilently) {
  FakeFiles files;
  for (const char* line : {"", "    ", "x", "  x  ", "\""}) {
    CommandLineResult result = ParseCommandLine(line, kProgramDir, files.Check());
    EXPECT_TRUE(result.foundFiles.empty()) << line;
    EXPECT_TRUE(result.missingNames.empty()) << line;
  }
  // Two characters are a real command line.
  EXPECT_EQ(ParseCommandLine(" ab ", kProgramDir, files.Check()).missingNames, Names{"ab"});

  files.asked.clear();
  CommandLineResult result = ParseCommandLine(
      "-CSV -html -New -deep -DateName -unknown \"-quoted option\" -", kProgramDir, files.Check());
  EXPECT_TRUE(result.foundFiles.empty());
  EXPECT_TRUE(result.missingNames.empty());
  EXPECT_TRUE(files.asked.empty());
}

TEST(CommandLine, FindsFilesAsWrittenOrInTheProgramFolder) {
  FakeFiles files;
  files.present = {kProgramDir + "Garage Sale.vem", "D:\\Saved\\bikes.vem", "bikes.vem", kProgramDir + "bikes.vem"};

  CommandLineResult result =
      ParseCommandLine("\"Garage Sale.vem\" -new missing.vem D:\\Saved\\bikes.vem bikes.vem \"Also Missing\"",
                       kProgramDir, files.Check());

  EXPECT_EQ(result.foundFiles, (Names{kProgramDir + "Garage Sale.vem", "D:\\Saved\\bikes.vem", "bikes.vem"}));
  EXPECT_EQ(result.missingNames, (Names{"missing.vem", "Also Missing"}));
  // As written first, the program folder only when that fails.
  EXPECT_EQ(files.asked, (Names{"Garage Sale.vem", kProgramDir + "Garage Sale.vem", "missing.vem",
                                kProgramDir + "missing.vem", "D:\\Saved\\bikes.vem", "bikes.vem", "Also Missing",
                                kProgramDir + "Also Missing"}));
  EXPECT_EQ(MissingSearchFileMessage("Also Missing"),
            "Error: I could not load the search titled 'Also Missing' because it does not seem to exist.");
}

TEST(CommandLine, InputNoFileNameCanHoldIsReportedMissing) {
  // Real files, so the platform's own existence check sees the odd names.
  std::string dir = TestFolder("command-line");
  ASSERT_TRUE(platform::WriteWholeFile(dir + "Found Search.vem", "Vemtrix Saved Search\r\n"));
  ASSERT_TRUE(platform::WriteWholeFile(dir + "a", "x"));
  auto exists = [](const std::string& path) { return platform::FileExists(path); };

  const std::string huge(10000, 'q');
  std::string line = "what?.vem <in> a|b *.vem tab\there " + huge + " \"Found Search.vem";
  CommandLineResult result = ParseCommandLine(line, dir, exists);

  EXPECT_EQ(result.foundFiles, Names{dir + "Found Search.vem"});
  EXPECT_EQ(result.missingNames, (Names{"what?.vem", "<in>", "a|b", "*.vem", "tab\there", huge}));
  EXPECT_NE(MissingSearchFileMessage(huge).find(huge), std::string::npos);

  // A name that would reach an existing file only if cut at an embedded
  // control character is never looked up.
  std::string cut("a\0b", 3);
  EXPECT_EQ(ParseCommandLine("x " + cut, dir, exists).missingNames, (Names{"x", cut}));
  // The existence check never sees a folder as a search file.
  EXPECT_EQ(ParseCommandLine(". ..", dir, exists).missingNames, (Names{".", ".."}));
}

// Shared pieces of vemtrix-cli's subcommands. Each subcommand lives in its own
// file and registers itself in the table of vemtrix_cli.cpp.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "core/frontend.h"

namespace vemtrix::cli {

// Exit statuses of the subcommands (the README lists them). When several
// apply, the first in this order is given: 1, 4, 3.
inline constexpr int kExitDone = 0;
// A file could not be read or written, a saved search could not be loaded
// whole (it is then left untouched), or a run could not start.
inline constexpr int kExitFileProblem = 1;
inline constexpr int kExitUsage = 2;
// Downloads were given up: a search job, or an ad's page in a deep scan.
inline constexpr int kExitGaveUp = 3;
// The results list overflowed: results were dropped.
inline constexpr int kExitOverflow = 4;

struct Arguments {
  std::string command;
  std::map<std::string, std::string> options;  // "--name value", without "--"
  std::vector<std::string> sets;              // "--set KEY=VALUE" as "KEY: VALUE"
  std::vector<std::string> flags;             // bare "--name" switches (see kSwitches)
};

// Prints problem and the usage text to standard error; returns 2.
int Usage(const std::string& problem);

// Checks that only the named options are present and the required ones are
// given; on failure prints the usage and returns false (exit status 2).
bool CheckOptions(const Arguments& args, const std::vector<std::string>& allowed,
                  const std::vector<std::string>& required, int& status);

// The value of option name, or fallback.
std::string Option(const Arguments& args, const std::string& name, const std::string& fallback = "");
bool HasFlag(const Arguments& args, const std::string& name);

// Sets the settings record to the defaults with the --set values applied.
void ApplySets(const Arguments& args);
// Applies --connect-to ADDR:PORT when given; false (usage printed) when malformed.
bool ApplyConnectTo(const Arguments& args, int& status);
// Applies the switches that make failing downloads quick to test:
// --no-retry-wait (retry countdowns and waits take no time) and
// --time-cap SECONDS (a download's read ends after that long instead of
// 120 s); false (usage printed) when malformed.
bool ApplyTestLimits(const Arguments& args, int& status);

// Makes AppSettings().MaxResults large enough for the saved search at path
// (what a load of it takes) plus room more rows, up to the setting's upper
// bound, so that running or exporting a saved search drops none of its
// results. Nothing changes when the file cannot be read.
void SizeStoreForSavedSearch(const std::string& path, std::int32_t room);

// Opens a saved search as the program would: its folder stands in for the
// program's folder and its name becomes the current search's; then LoadSearch with
// its messages. False (after a message) when it cannot be read.
bool OpenSavedSearch(const std::string& path);

// Backslash, tab, CR and LF escaped as \\ \t \r \n; other bytes unchanged.
std::string Escape(const std::string& text);
// Writes text to standard output byte for byte.
void Print(const std::string& text);

// Messages and status go to standard error, so standard output holds only
// the results.
// Questions are answered No.
class ConsoleFrontend : public NullFrontend {
 public:
  void ShowRequestLine(const std::string& text) override;
  void ShowWorkerRow(WorkerBlock block, int slot, const std::string& text, WorkerLight light,
                     SiteId site) override;
  MessageAnswer ShowMessage(const std::string& caption, const std::string& text, MessageIcon icon,
                            MessageButtons buttons, MessageModality modality) override;
  // The run's summary line, then each given-up search on a line of its own.
  void ShowRunSummary(const RunSummary& summary) override;
};

// Subcommands.
int RunParse(const Arguments& args);
int RunQuery(const Arguments& args);
int RunPath(const Arguments& args);
int RunSearch(const Arguments& args);
int RunExport(const Arguments& args);
int RunDeep(const Arguments& args);
int RunCatalogs(const Arguments& args);
int RunHarvestCatalogs(const Arguments& args);

}  // namespace vemtrix::cli

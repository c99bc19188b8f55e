// harvest-catalogs: the first-run catalog download headless. The nine files
// go into the given folder and the harvest log to standard output.
#include <cstdio>
#include <iostream>

#include "catalogs/catalog_files.h"
#include "catalogs/catalog_harvest.h"
#include "core/settings.h"
#include "platform/platform.h"
#include "tools/cli/cli.h"

namespace vemtrix::cli {
namespace {

// The log streams to standard output as the run appends it; the button's
// caption (each step's title, then the outcome) goes to standard error.
class HarvestConsole : public HarvestView {
 public:
  void LogAppended(const std::string& text) override {
    Print(text);
    std::fflush(stdout);
  }
  void ButtonCaption(const std::string& caption) override { std::cerr << "[" << caption << "]\n"; }
  void ButtonsEnabled(bool, bool) override {}
  void SiteChanged(SiteId) override {}
};

}  // namespace

int RunHarvestCatalogs(const Arguments& args) {
  int status = 0;
  if (!CheckOptions(args, {"dir", "connect-to", "no-retry-wait"}, {"dir"}, status) ||
      !ApplyConnectTo(args, status) || !ApplyTestLimits(args, status)) {
    return status;
  }
  const std::string folder = Option(args, "dir");
  if (!platform::CreateFolder(folder)) {
    std::cerr << "vemtrix-cli: cannot create the folder " << folder << "\n";
    return kExitFileProblem;
  }
  platform::SetProgramDirectory(folder);
  // As at the program's start: whatever catalogs the folder holds are loaded
  // first (the state lookup of the city step reads the Kijiji cities).
  LoadCatalogsFrom(folder);

  ConsoleFrontend console;
  HarvestConsole view;
  SetFrontend(&console);
  ResetHarvestLog();
  FirstRunResult = 0;
  // The program runs the harvest on a thread of its own (1 MB stack).
  platform::Thread harvester;
  const std::string userAgent = AppSettings().UserAgent;
  if (harvester.Start([userAgent, &view] { HarvestCatalogs(userAgent, view); })) {
    harvester.Join();
  } else {
    HarvestCatalogs(userAgent, view);
  }
  std::fflush(stdout);
  SetFrontend(nullptr);
  // A failed download or a catalog that could not be written.
  return FirstRunResult == 1 ? kExitDone : kExitFileProblem;
}

}  // namespace vemtrix::cli

// vemtrix-cli: the maintainers' tool. It runs the program's own engine
// headless, so one can see what the scanners make of a site's page when a
// site changes, and drive searches without the window.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <iostream>

#include "commands/run_summary.h"
#include "commands/search_commands.h"
#include "core/current_search.h"
#include "core/settings.h"
#include "harvest/http_get.h"
#include "output/saved_search.h"
#include "platform/platform.h"
#include "tools/cli/cli.h"

namespace vemtrix::cli {
namespace {

struct Command {
  const char* name;
  int (*run)(const Arguments&);
  const char* usage;
};

const Command kCommands[] = {
    {"parse", RunParse,
     "parse --host HOST --term TERM --file PAGE [--section CODE] [--set KEY=VALUE]..."},
    {"query", RunQuery,
     "query --host HOST --term TERM --section CODE [--set KEY=VALUE]... [--connect-to ADDR:PORT[,TLSPORT]]"},
    {"path", RunPath, "path --host HOST --term TERM --section CODE [--set KEY=VALUE]..."},
    {"search", RunSearch,
     "search --terms TERMS --cities LIST --sections LIST [--catalogs DIR] [--set KEY=VALUE]... "
     "[--connect-to ADDR:PORT[,TLSPORT]] [--deep] [--no-retry-wait] [--time-cap SECONDS]\n"
     "  vemtrix-cli search --vem FILE [--catalogs DIR] [--set KEY=VALUE]... "
     "[--connect-to ADDR:PORT[,TLSPORT]] [--deep] [--no-retry-wait] [--time-cap SECONDS]\n"
     "    either form also: [--new-only] [--repeat MINUTES [--runs N]]"},
    {"deep", RunDeep, "deep --link URL [--connect-to ADDR:PORT[,TLSPORT]] [--no-retry-wait] [--time-cap SECONDS]"},
    {"export", RunExport,
     "export --vem FILE --csv OUT | --html OUT [--scope all|new|filter:TEXT] [--price-from N] [--price-to N] "
     "[--set KEY=VALUE]... [--catalogs DIR]"},
    {"catalogs", RunCatalogs, "catalogs --dir DIR"},
    {"harvest-catalogs", RunHarvestCatalogs, "harvest-catalogs --dir DIR [--connect-to ADDR:PORT[,TLSPORT]] [--no-retry-wait]"},
};

// Options that take no value.
const char* const kSwitches[] = {"deep", "no-retry-wait", "new-only"};

bool IsSwitch(const std::string& name) {
  for (const char* s : kSwitches) {
    if (name == s) return true;
  }
  return false;
}

}  // namespace

int Usage(const std::string& problem) {
  std::cerr << "vemtrix-cli: " << problem << "\nusage:\n";
  for (const Command& c : kCommands) std::cerr << "  vemtrix-cli " << c.usage << "\n";
  return 2;
}

bool CheckOptions(const Arguments& args, const std::vector<std::string>& allowed,
                  const std::vector<std::string>& required, int& status) {
  auto known = [&allowed](const std::string& name) {
    for (const std::string& a : allowed) {
      if (a == name) return true;
    }
    return false;
  };
  for (const auto& [name, value] : args.options) {
    if (!known(name)) {
      status = Usage("unknown option --" + name);
      return false;
    }
  }
  for (const std::string& flag : args.flags) {
    if (!known(flag)) {
      status = Usage("unknown option --" + flag);
      return false;
    }
  }
  if (!args.sets.empty() && !known("set")) {
    status = Usage("--set is not taken by " + args.command);
    return false;
  }
  for (const std::string& name : required) {
    if (!args.options.count(name)) {
      status = Usage("missing --" + name);
      return false;
    }
  }
  return true;
}

std::string Option(const Arguments& args, const std::string& name, const std::string& fallback) {
  auto found = args.options.find(name);
  return found == args.options.end() ? fallback : found->second;
}

bool HasFlag(const Arguments& args, const std::string& name) {
  for (const std::string& flag : args.flags) {
    if (flag == name) return true;
  }
  return false;
}

void ApplySets(const Arguments& args) {
  std::string settingsText;
  for (const std::string& line : args.sets) settingsText += line + "\r\n";
  AppSettings() = ParseSettingsText(settingsText);
}

bool ApplyTestLimits(const Arguments& args, int& status) {
  if (args.options.count("time-cap")) {
    const std::string& text = args.options.at("time-cap");
    int seconds = std::atoi(text.c_str());
    if (seconds <= 0 || seconds > 3600 || text.find_first_not_of("0123456789") != std::string::npos) {
      status = Usage("--time-cap needs a number of seconds (1 to 3600)");
      return false;
    }
    SetHttpTimeCap(seconds * 1000);
  }
  if (HasFlag(args, "no-retry-wait")) platform::SetSleepForTesting([](int) {});
  return true;
}

void SizeStoreForSavedSearch(const std::string& path, std::int32_t room) {
  std::int64_t results = CountSavedResults(path, AppSettings().DiscardSearches != 0);
  if (results < 0) return;
  std::int64_t wanted = std::min<std::int64_t>(results + room, kMaxMaxResults);
  if (wanted > AppSettings().MaxResults) AppSettings().MaxResults = static_cast<std::int32_t>(wanted);
}

// --connect-to ADDR:PORT[,TLSPORT]: plain connections to ADDR:PORT, https
// ones to ADDR:TLSPORT (without it, to ADDR on their own port).
bool ApplyConnectTo(const Arguments& args, int& status) {
  if (!args.options.count("connect-to")) return true;
  std::string target = args.options.at("connect-to");
  int tlsPort = 0;
  const std::size_t comma = target.find(',');
  if (comma != std::string::npos) {
    tlsPort = std::atoi(target.c_str() + comma + 1);
    target.resize(comma);
    if (tlsPort <= 0 || tlsPort > 65535) {
      status = Usage("--connect-to needs ADDR:PORT or ADDR:PORT,TLSPORT");
      return false;
    }
  }
  std::size_t colon = target.rfind(':');
  int port = colon == std::string::npos ? 0 : std::atoi(target.c_str() + colon + 1);
  if (colon == std::string::npos || colon == 0 || port <= 0 || port > 65535) {
    status = Usage("--connect-to needs ADDR:PORT or ADDR:PORT,TLSPORT");
    return false;
  }
  SetHttpConnectTo(target.substr(0, colon), port, tlsPort);
  return true;
}

std::string Escape(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '\\': out += "\\\\"; break;
      case '\t': out += "\\t"; break;
      case '\r': out += "\\r"; break;
      case '\n': out += "\\n"; break;
      default: out += c;
    }
  }
  return out;
}

bool OpenSavedSearch(const std::string& path) {
  std::size_t slash = path.find_last_of("/\\");
  std::string folder = slash == std::string::npos ? "." : path.substr(0, slash);
  std::string file = slash == std::string::npos ? path : path.substr(slash + 1);
  if (file.size() > 4 && file.compare(file.size() - 4, 4, ".vem") == 0) file.resize(file.size() - 4);
  platform::SetProgramDirectory(folder);
  CurrentSearch().name = file;
  if (CleanSearchName(file) != file) {
    std::cerr << "vemtrix-cli: " << path << ": a saved search's name cannot hold . * ? / \\ \" : < > |\n";
    return false;
  }
  return LoadSearch(false, AppSettings());
}

void Print(const std::string& text) { std::fwrite(text.data(), 1, text.size(), stdout); }

void ConsoleFrontend::ShowRequestLine(const std::string& text) {
  if (!text.empty()) std::cerr << text << "\n";
}

void ConsoleFrontend::ShowWorkerRow(WorkerBlock block, int slot, const std::string& text, WorkerLight, SiteId) {
  if (text.empty()) return;
  std::cerr << (block == WorkerBlock::Search ? "[search " : "[deep ") << slot << "] " << text << "\n";
}

void ConsoleFrontend::ShowRunSummary(const RunSummary& summary) {
  std::string text = RunSummaryText(summary) + "\n";
  for (const FailedSearch& failed : summary.failed) text += "  failed: " + FailedSearchLine(failed) + "\n";
  std::cerr << text << std::flush;
}

MessageAnswer ConsoleFrontend::ShowMessage(const std::string& caption, const std::string& text, MessageIcon,
                                           MessageButtons buttons, MessageModality) {
  std::cerr << caption << ": " << text << "\n";
  return buttons == MessageButtons::Ok ? MessageAnswer::Ok : MessageAnswer::No;
}

}  // namespace vemtrix::cli

int main(int argc, char** argv) {
  using namespace vemtrix::cli;
  vemtrix::platform::UseBinaryStandardStreams();
  if (argc < 2) return Usage("no command given");
  Arguments args;
  args.command = argv[1];
  for (int i = 2; i < argc; ++i) {
    std::string name = argv[i];
    if (name.rfind("--", 0) != 0) return Usage("unexpected argument: " + name);
    name = name.substr(2);
    if (IsSwitch(name)) {
      args.flags.push_back(name);
      continue;
    }
    if (i + 1 >= argc) return Usage("--" + name + " needs a value");
    std::string value = argv[++i];
    if (name == "set") {
      std::size_t equals = value.find('=');
      if (equals == std::string::npos || !vemtrix::IsSettingsKey(value.substr(0, equals))) {
        return Usage("--set needs KEY=VALUE with a settings key: " + value);
      }
      args.sets.push_back(value.substr(0, equals) + ": " + value.substr(equals + 1));
    } else {
      args.options[name] = value;
    }
  }
  for (const Command& c : kCommands) {
    if (args.command == c.name) return c.run(args);
  }
  return Usage("unknown command: " + args.command);
}

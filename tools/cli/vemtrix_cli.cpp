// vemtrix-cli: shows what the program's scanners make of a site's page, so a
// maintainer can see at once what changed when a site changes its pages.
//
//   vemtrix-cli parse --host HOST --term TERM --file PAGE [--section CODE] [--set KEY=VALUE]...
//   vemtrix-cli query --host HOST --term TERM --section CODE [--set KEY=VALUE]... [--connect-to ADDR:PORT]
//   vemtrix-cli path  --host HOST --term TERM --section CODE [--set KEY=VALUE]...
#include <cstdio>
#include <iostream>
#include <map>
#include <string>
#include <vector>

#include "core/frontend.h"
#include "core/settings.h"
#include "harvest/http_get.h"
#include "harvest/query_site.h"
#include "harvest/sites.h"
#include "platform/platform.h"

using namespace vemtrix;

namespace {

const char kUsage[] =
    "usage:\n"
    "  vemtrix-cli parse --host HOST --term TERM --file PAGE [--section CODE] [--set KEY=VALUE]...\n"
    "  vemtrix-cli query --host HOST --term TERM --section CODE [--set KEY=VALUE]... [--connect-to ADDR:PORT]\n"
    "  vemtrix-cli path  --host HOST --term TERM --section CODE [--set KEY=VALUE]...\n";

int Usage(const std::string& problem) {
  std::cerr << "vemtrix-cli: " << problem << "\n" << kUsage;
  return 2;
}

// Messages and status go to standard error, so standard output holds only
// the results.
class ConsoleFrontend : public Frontend {
 public:
  void ShowStatusPart(int, const std::string& text) override { std::cerr << text << "\n"; }
  void ShowBytesDownloaded(std::uint32_t) override {}
};

// Backslash, tab, CR and LF escaped; every other byte as it is.
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

struct Arguments {
  std::string command;
  std::map<std::string, std::string> options;  // without the leading "--"
  std::vector<std::string> sets;
  std::string problem;
};

Arguments ReadArguments(int argc, char** argv) {
  Arguments args;
  if (argc < 2) {
    args.problem = "no command given";
    return args;
  }
  args.command = argv[1];
  for (int i = 2; i < argc; ++i) {
    std::string name = argv[i];
    if (name.rfind("--", 0) != 0 || i + 1 >= argc) {
      args.problem = "unexpected argument: " + name;
      return args;
    }
    std::string value = argv[++i];
    name = name.substr(2);
    if (name == "set") {
      std::size_t equals = value.find('=');
      if (equals == std::string::npos || !IsSettingsKey(value.substr(0, equals))) {
        args.problem = "--set needs KEY=VALUE with a settings key: " + value;
        return args;
      }
      args.sets.push_back(value.substr(0, equals) + ": " + value.substr(equals + 1));
    } else {
      args.options[name] = value;
    }
  }
  return args;
}

bool Allowed(const Arguments& args, const std::vector<std::string>& names, std::string& problem) {
  for (const auto& [name, value] : args.options) {
    bool known = false;
    for (const std::string& n : names) known = known || n == name;
    if (!known) {
      problem = "unknown option --" + name;
      return false;
    }
  }
  return true;
}

void PrintEntries(int count, const AdLists& ads) {
  std::string out = std::to_string(count) + "\n";
  for (std::size_t i = 0; i < ads.Count(); ++i) {
    out += Escape(ads.dates[i]) + "\t" + Escape(ads.titles[i]) + "\t" + Escape(ads.links[i]) + "\t" +
           Escape(ads.descriptions[i]) + "\n";
  }
  std::fwrite(out.data(), 1, out.size(), stdout);
}

int Run(const Arguments& args) {
  std::string problem;
  const std::string& cmd = args.command;
  if (cmd != "parse" && cmd != "query" && cmd != "path") return Usage("unknown command: " + cmd);

  std::vector<std::string> allowed = {"host", "term", "section"};
  if (cmd == "parse") allowed.push_back("file");
  if (cmd == "query") allowed.push_back("connect-to");
  if (!Allowed(args, allowed, problem)) return Usage(problem);
  std::vector<std::string> required = {"host", "term"};
  if (cmd == "parse") required.push_back("file");
  else required.push_back("section");
  for (const std::string& name : required) {
    if (!args.options.count(name)) return Usage("missing --" + name);
  }

  std::string settingsText;
  for (const std::string& line : args.sets) settingsText += line + "\r\n";
  AppSettings() = ParseSettingsText(settingsText);
  QueryOptions options = QueryOptions::From(AppSettings());

  const std::string host = args.options.at("host");
  const std::string term = args.options.at("term");
  const std::string section = args.options.count("section") ? args.options.at("section") : "";

  if (cmd == "path") {
    std::string normal = NormaliseHost(host);
    std::string out = normal + "\t" + RequestPath(term, normal, section, options) + "\n";
    std::fwrite(out.data(), 1, out.size(), stdout);
    return 0;
  }

  AdLists ads(static_cast<std::size_t>(AppSettings().MaxResults));
  if (cmd == "parse") {
    std::string page;
    if (!platform::ReadWholeFile(args.options.at("file"), page)) {
      std::cerr << "vemtrix-cli: cannot read " << args.options.at("file") << "\n";
      return 1;
    }
    int count = ParseResponse(page, term, NormaliseHost(host), options, ads);
    PrintEntries(count, ads);
    return 0;
  }

  if (args.options.count("connect-to")) {
    const std::string& target = args.options.at("connect-to");
    std::size_t colon = target.rfind(':');
    int port = colon == std::string::npos ? 0 : std::atoi(target.c_str() + colon + 1);
    if (colon == std::string::npos || colon == 0 || port <= 0 || port > 65535) {
      return Usage("--connect-to needs ADDR:PORT");
    }
    SetHttpConnectTo(target.substr(0, colon), port);
  }
  ConsoleFrontend console;
  SetFrontend(&console);
  int count = QuerySite(term, host, section, options, ads);
  SetFrontend(nullptr);
  PrintEntries(count, ads);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  platform::UseBinaryStandardStreams();
  Arguments args = ReadArguments(argc, argv);
  if (!args.problem.empty()) return Usage(args.problem);
  return Run(args);
}

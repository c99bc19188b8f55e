// parse, query and path: one search query's request path, download and scan.
#include <iostream>

#include "core/settings.h"
#include "harvest/query_site.h"
#include "harvest/sites.h"
#include "platform/platform.h"
#include "tools/cli/cli.h"

namespace vemtrix::cli {
namespace {

void PrintEntries(int count, const AdLists& ads) {
  std::string out = std::to_string(count) + "\n";
  for (std::size_t i = 0; i < ads.Count(); ++i) {
    out += Escape(ads.dates[i]) + "\t" + Escape(ads.titles[i]) + "\t" + Escape(ads.links[i]) + "\t" +
           Escape(ads.descriptions[i]) + "\n";
  }
  Print(out);
}

}  // namespace

int RunParse(const Arguments& args) {
  int status = 0;
  if (!CheckOptions(args, {"host", "term", "file", "section", "set"}, {"host", "term", "file"}, status)) {
    return status;
  }
  ApplySets(args);
  std::string page;
  if (!platform::ReadWholeFile(Option(args, "file"), page)) {
    std::cerr << "vemtrix-cli: cannot read " << Option(args, "file") << "\n";
    return 1;
  }
  AdLists ads(static_cast<std::size_t>(AppSettings().MaxResults));
  int count = ParseResponse(page, Option(args, "term"), NormaliseHost(Option(args, "host")),
                            QueryOptions::From(AppSettings()), ads);
  PrintEntries(count, ads);
  return 0;
}

int RunQuery(const Arguments& args) {
  int status = 0;
  if (!CheckOptions(args, {"host", "term", "section", "set", "connect-to"}, {"host", "term", "section"},
                    status) ||
      !ApplyConnectTo(args, status)) {
    return status;
  }
  ApplySets(args);
  AdLists ads(static_cast<std::size_t>(AppSettings().MaxResults));
  ConsoleFrontend console;
  SetFrontend(&console);
  int count = QuerySite(Option(args, "term"), Option(args, "host"), Option(args, "section"),
                        QueryOptions::From(AppSettings()), ads);
  SetFrontend(nullptr);
  PrintEntries(count, ads);
  return 0;
}

int RunPath(const Arguments& args) {
  int status = 0;
  if (!CheckOptions(args, {"host", "term", "section", "set"}, {"host", "term", "section"}, status)) {
    return status;
  }
  ApplySets(args);
  std::string host = NormaliseHost(Option(args, "host"));
  Print(host + "\t" +
        RequestPath(Option(args, "term"), host, Option(args, "section"), QueryOptions::From(AppSettings())) +
        "\n");
  return 0;
}

}  // namespace vemtrix::cli

// Saving and loading a search of 1,000,000 results (title 60, link 70, full
// text 400 bytes), each against a plain write and a plain line-by-line read
// of the same bytes in the same run. Half the titles show a price; the
// share of the load spent working out prices is reported (goal <= 10 %).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <string>

#include "commands/search_commands.h"
#include "core/current_search.h"
#include "core/frontend.h"
#include "core/price.h"
#include "core/result_store.h"
#include "core/settings.h"
#include "output/saved_search.h"
#include "platform/platform.h"

namespace {

using namespace vemtrix;
using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

void Fill(int rows) {
  AppSettings().MaxResults = rows;
  AppSettings().DiscardSearches = 0;
  Results().Create();
  const std::string full = std::string(390, 'f') + "\r\nend \"x\"";
  for (int i = 0; i < rows; ++i) {
    std::string id = std::to_string(4000000000LL + i);
    std::string title = "A sixty byte title for ad " + id + (i % 2 == 0 ? " $1,250 " + std::string(16, 't')
                                                                      : std::string(24, 't'));
    SearchResult row{"2026-11-03", title, "Toronto", "apartments",
                     "http://toronto.craigslist.ca/apa/" + id + "/" + std::string(26, 'p') + ".html", full, ""};
    Results().AppendLoaded(row);
  }
}

void BM_SaveAndLoadMillion(benchmark::State& state) {
  const int rows = static_cast<int>(state.range(0));
  std::string dir = platform::ProgramDirectory() + "bench-tmp";
  platform::CreateFolder(dir);
  platform::SetProgramDirectory(dir);
  Fill(rows);
  for (auto _ : state) {
    CurrentSearch().name = "million";
    auto start = Clock::now();
    SaveSearch(AppSettings());
    double save = Seconds(start);

    std::string text;
    platform::ReadWholeFile(SearchFilePath("million"), text);
    start = Clock::now();
    platform::WriteWholeFile(SearchFilePath("plain"), text);
    double plainWrite = Seconds(start);

    start = Clock::now();
    std::ifstream in(SearchFilePath("plain"), std::ios::binary);
    std::string line;
    std::size_t bytes = 0;
    while (std::getline(in, line)) bytes += line.size();
    double plainRead = Seconds(start);
    benchmark::DoNotOptimize(bytes);

    start = Clock::now();
    LoadSearch(true, AppSettings());
    double load = Seconds(start);
    if (Results().Count() != rows) state.SkipWithError("not every row came back");

    // What the load spends on prices: the load works each row's price out
    // from text it has just read (in the cache), so the same texts are copied
    // into one buffer and read there, less the copying alone.
    std::string buffer;
    std::int64_t priced = 0;
    auto walk = [&buffer, &priced](bool price) {
      Results().ForEachRow([&](std::int32_t, const std::string_view* f) {
        buffer.assign(f[kFieldTitle]);
        buffer.append(f[kFieldFullText]);
        const std::string_view text = buffer;
        const std::size_t titleSize = f[kFieldTitle].size();
        if (price) priced += PriceOfAd(text.substr(0, titleSize), text.substr(titleSize)) != kNoPrice;
        benchmark::DoNotOptimize(buffer.data());
      });
    };
    // The best of three of each, taken in turn, against the machine's noise.
    double copying = 1e9, pricing = 1e9;
    for (int round = 0; round < 3; ++round) {
      start = Clock::now();
      walk(false);
      copying = std::min(copying, Seconds(start));
      priced = 0;
      start = Clock::now();
      walk(true);
      pricing = std::min(pricing, Seconds(start));
    }
    const double prices = pricing - copying;
    if (priced != rows / 2) state.SkipWithError("half the rows should have a price");

    state.counters["file_MB"] = static_cast<double>(text.size()) / 1e6;
    state.counters["save_s"] = save;
    state.counters["plain_write_s"] = plainWrite;
    state.counters["save_ratio"] = save / plainWrite;
    state.counters["load_s"] = load;
    state.counters["plain_read_s"] = plainRead;
    state.counters["load_ratio"] = load / plainRead;
    state.counters["price_share_of_load"] = prices / (load - prices);
  }
  platform::DeleteFileAt(SearchFilePath("million"));
  platform::DeleteFileAt(SearchFilePath("plain"));
  platform::SetProgramDirectory("");
}
BENCHMARK(BM_SaveAndLoadMillion)->Arg(1000000)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace

BENCHMARK_MAIN();

// Appending to the result store as it fills: the duplicate check must keep
// its cost flat up to a million rows, and a row must stay small. Sorting a
// million rows by a column must take well under a few seconds, by price
// under one.
#include <benchmark/benchmark.h>

#include <malloc.h>

#include <array>
#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/result_store.h"
#include "core/settings.h"

namespace {

using vemtrix::ResultStore;

const char* const kHosts[] = {"toronto.craigslist.ca", "sfbay.craigslist.org", "newyork.craigslist.org",
                              "vancouver.kijiji.ca", "losangeles.backpage.com", "chicago.daype.com"};
const char* const kSections[] = {"apa", "sss", "cta", "bik", "fuo", "ele", "jjj"};

// A realistic link of about 50 to 70 bytes with a distinct numeric id.
std::string LinkFor(int i) {
  return std::string("http://") + kHosts[i % 6] + "/" + kSections[(i / 6) % 7] + "/" +
         std::to_string(4000000000LL + 7919LL * i) + ".html";
}

// Appends n distinct ads into a store of capacity n, timing the first and the
// last 10,000 appends.
void BM_AppendMillion(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const std::string title(60, 't');
  const std::string city = "Toronto", section = "apartments / housing";
  for (auto _ : state) {
    auto heapInUse = [] { struct mallinfo2 m = mallinfo2(); return m.uordblks + m.hblkhd; };
    std::size_t heapBefore = heapInUse();
    ResultStore store;
    store.CreateWithCapacity(n);
    double firstNs = 0, lastNs = 0;
    const int window = 10000;
    for (int i = 0; i < n; ++i) {
      auto start = std::chrono::steady_clock::now();
      store.AddFromSearch(vemtrix::AppendOptions(), "2026-11-03", title, LinkFor(i), "", city, section);
      double ns = std::chrono::duration<double, std::nano>(std::chrono::steady_clock::now() - start).count();
      if (i < window) firstNs += ns;
      if (i >= n - window) lastNs += ns;
    }
    if (store.Count() != n) state.SkipWithError("not every ad was stored");
    state.counters["first10k_ns_per_append"] = firstNs / window;
    state.counters["last10k_ns_per_append"] = lastNs / window;
    state.counters["growth_ratio"] = lastNs / firstNs;
    state.counters["bytes_per_row"] = static_cast<double>(store.MemoryBytes()) / n;
    // What the allocator really handed out, its own overhead included.
    state.counters["heap_bytes_per_row"] = static_cast<double>(heapInUse() - heapBefore) / n;
  }
}
BENCHMARK(BM_AppendMillion)->Arg(1000000)->Iterations(1)->Unit(benchmark::kMillisecond);

// A title of three to eight words in mixed case, like a real ad's.
std::string TitleFor(std::uint32_t seed) {
  static const char* const kWords[] = {"Bright", "loft", "2 bedroom", "APARTMENT", "near", "subway", "Bike",
                                       "road", "for sale", "Sofa", "Leather", "cheap", "NEW", "used", "garage",
                                       "Downtown", "condo", "parking", "pet friendly", "available now"};
  std::string title;
  int words = 3 + static_cast<int>(seed % 6);
  for (int w = 0; w < words; ++w) {
    seed = seed * 1103515245u + 12345u;
    if (!title.empty()) title += ' ';
    title += kWords[(seed >> 16) % 20];
  }
  return title;
}

// Sorts n loaded rows by one column, as a header click does. Argument 1:
// 0 = Title (case ignored), 1 = Date (newest first), 2 = Title, every title
// the same (every key ties to its end), 3 = Price (lowest first; seven
// titles in ten show one), 4 = Price highest first.
void BM_SortColumn(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const int kind = static_cast<int>(state.range(1));
  for (auto _ : state) {
    ResultStore store;
    store.CreateWithCapacity(n);
    const std::string same(60, 't');
    for (int i = 0; i < n; ++i) {
      std::uint32_t seed = static_cast<std::uint32_t>(i) * 2654435761u;
      std::string date = "2026-" + std::to_string(10 + seed % 3) + "-" + std::to_string(10 + (seed >> 8) % 18);
      std::array<std::string_view, vemtrix::kResultFieldCount> fields = {};
      std::string title = kind == 2 ? same : TitleFor(seed);
      if (kind >= 3 && seed % 10 < 7) title += " $" + std::to_string((seed >> 4) % 5000);
      std::string link = LinkFor(i);
      fields[0] = date;
      fields[1] = title;
      fields[2] = "Toronto";
      fields[3] = "apartments / housing";
      fields[4] = link;
      store.AppendLoaded(fields);
    }
    auto start = std::chrono::steady_clock::now();
    if (kind == 1) {
      store.SortByColumn(vemtrix::kFieldDate, true, false);
    } else if (kind >= 3) {
      store.SortByPrice(kind == 4);
    } else {
      store.SortByColumn(vemtrix::kFieldTitle, false, true);
    }
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    state.SetIterationTime(seconds);
    state.counters["sort_ms"] = seconds * 1000;
    if (store.Count() != n) state.SkipWithError("rows were lost");
  }
}
BENCHMARK(BM_SortColumn)
    ->Args({1000000, 0})
    ->Args({1000000, 1})
    ->Args({1000000, 2})
    ->Args({1000000, 3})
    ->Args({1000000, 4})
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

// Appending to the result store as it fills: the duplicate check must keep
// its cost flat up to a million rows, and a row must stay small.
#include <benchmark/benchmark.h>

#include <malloc.h>

#include <chrono>
#include <string>

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

}  // namespace

BENCHMARK_MAIN();

// A whole search run against the site simulator with 50 ms of latency per
// request: 240 jobs on 12 workers, over plain http and over TLS. The ideal is
// 240 / 12 x 50 ms = 1 s; the report gives the wall time and its ratio to
// that ideal (the TLS run should stay within 1.15 times the plain one).
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <string>

#include "catalogs/catalog_files.h"
#include "commands/search_commands.h"
#include "core/result_store.h"
#include "core/settings.h"
#include "harvest/http_get.h"
#include "harvest/search_run.h"
#include "platform/platform.h"
#include "tests/support/simulator_process.h"

namespace {

using namespace vemtrix;

constexpr int kLatencyMs = 50;

// 20 Craigslist cities (their hosts prefixed with scheme), 3 sections, 4
// terms: 240 jobs on 12 workers. Reports the wall time of the last run and
// its ratio to the ideal.
void RunSearches(benchmark::State& state, const std::string& scheme) {
  for (int id = 0; id < kCatalogCount; ++id) ClearCatalog(Catalog(static_cast<CatalogId>(id)));
  std::string cities, sections;
  for (int c = 0; c < 20; ++c) {
    std::string host = scheme + "city" + std::to_string(c) + ".craigslist.org";
    AppendCatalogRow(CityCatalog(SiteId::Craigslist), {"US", "US", "United States", "City " + std::to_string(c), host});
    cities += (c ? "," : "") + host;
  }
  for (const char* code : {"bik", "fuo", "ele"}) {
    AppendCatalogRow(SectionCatalog(SiteId::Craigslist), {"sss", code, code});
    sections += std::string(sections.empty() ? "" : ",") + "CL:" + code;
  }
  AppSettings().MaxThreads = 12;
  AppSettings().MaxResults = 1000000;

  double seconds = 0;
  for (auto _ : state) {
    Results().Create();
    auto start = std::chrono::steady_clock::now();
    StartSearchRun({cities, sections, "lamp,desk,chair,sofa"}, AppSettings());
    WaitForSearchRunEnd();
    seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    state.SetIterationTime(seconds);
  }
  const double ideal = 240.0 / 12 * kLatencyMs / 1000.0;
  state.counters["wall_s"] = seconds;
  state.counters["ratio_to_ideal"] = seconds / ideal;
  state.counters["results"] = Results().Count();
  SetHttpConnectTo("", 0);
}

void BM_SearchRun240Jobs(benchmark::State& state) {
  testing::SimulatorProcess sim;
  if (!sim.Start({"--latency-ms", std::to_string(kLatencyMs)})) {
    state.SkipWithError("the site simulator did not start");
    return;
  }
  SetHttpConnectTo("127.0.0.1", sim.Port());
  RunSearches(state, "");
}
BENCHMARK(BM_SearchRun240Jobs)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);

// The same over TLS: the cities' hosts begin with "https://", the simulator's
// certificate comes from a CA made here and trusted through SSL_CERT_FILE.
void BM_SearchRun240JobsHttps(benchmark::State& state) {
  const std::string folder = "/tmp/vemtrix-bench-ca-" + std::to_string(getpid()) + "/";
  platform::CreateFolder(folder);
  testing::SimulatorProcess sim;
  if (!testing::MakeTestCertificates(folder, "*.craigslist.org") ||
      !sim.Start({"--latency-ms", std::to_string(kLatencyMs)}, folder + "good.pem", folder + "good.key")) {
    state.SkipWithError("the test certificates or the site simulator could not be made");
    return;
  }
  setenv("SSL_CERT_FILE", (folder + "ca.pem").c_str(), 1);
  SetHttpConnectTo("127.0.0.1", sim.Port(), sim.TlsPort());
  RunSearches(state, "https://");
  unsetenv("SSL_CERT_FILE");
  std::system(("rm -rf '" + folder + "'").c_str());
}
BENCHMARK(BM_SearchRun240JobsHttps)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

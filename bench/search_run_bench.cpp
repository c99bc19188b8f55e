// A whole search run against the site simulator with 50 ms of latency per
// request: 240 jobs on 12 workers. The ideal is 240 / 12 x 50 ms = 1 s; the
// report gives the wall time and its ratio to that ideal.
#include <benchmark/benchmark.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <string>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include "catalogs/catalog_files.h"
#include "commands/search_commands.h"
#include "core/result_store.h"
#include "core/settings.h"
#include "harvest/http_get.h"
#include "harvest/search_run.h"

namespace {

using namespace vemtrix;

constexpr int kLatencyMs = 50;

// Starts the simulator; returns its port (0 on failure) and its process id.
int StartSimulator(pid_t& pid) {
  int fds[2];
  if (pipe(fds) != 0) return 0;
  std::string script = std::string(VEMTRIX_SOURCE_DIR) + "/tools/sitesim/sitesim.py";
  std::string latency = std::to_string(kLatencyMs);
  pid = fork();
  if (pid == 0) {
    dup2(fds[1], 1);
    close(fds[0]);
    execlp("python3", "python3", script.c_str(), "--port", "0", "--latency-ms", latency.c_str(),
           static_cast<char*>(nullptr));
    _exit(127);
  }
  close(fds[1]);
  FILE* out = fdopen(fds[0], "r");
  char line[128] = {};
  bool got = out != nullptr && std::fgets(line, sizeof line, out) != nullptr;
  if (out != nullptr) std::fclose(out);
  if (!got) return 0;
  std::string text = line;
  std::size_t space = text.rfind(' ');
  return space == std::string::npos ? 0 : std::atoi(text.c_str() + space + 1);
}

void BM_SearchRun240Jobs(benchmark::State& state) {
  pid_t simulator = 0;
  int port = StartSimulator(simulator);
  if (port == 0) {
    state.SkipWithError("the site simulator did not start");
    return;
  }
  SetHttpConnectTo("127.0.0.1", port);

  for (int id = 0; id < kCatalogCount; ++id) ClearCatalog(Catalog(static_cast<CatalogId>(id)));
  std::string cities, sections;
  for (int c = 0; c < 20; ++c) {
    std::string host = "city" + std::to_string(c) + ".craigslist.org";
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
  kill(simulator, SIGTERM);
  waitpid(simulator, nullptr, 0);
}
BENCHMARK(BM_SearchRun240Jobs)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

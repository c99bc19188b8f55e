#include "harvest/search_run.h"

#include <array>
#include <condition_variable>
#include <mutex>

#include "catalogs/catalog_files.h"
#include "core/frontend.h"
#include "core/result_store.h"
#include "core/settings.h"
#include "harvest/deep_scan.h"
#include "harvest/query_site.h"
#include "harvest/sites.h"
#include "platform/platform.h"

namespace vemtrix {

std::atomic<std::int32_t> SearchRunning{0};
std::atomic<std::int32_t> AbortFlag{0};
std::atomic<std::int32_t> ErrorBoxShown{0};
std::atomic<std::int32_t> ProgressPermille{0};

namespace {

constexpr int kMaxSlots = 12;

// Worker slots. The dispatcher fills a free slot and starts its worker; the
// worker empties it at its end. The lock guards the fields; the condition
// wakes a dispatcher waiting for a free slot as soon as one frees.
struct Slots {
  std::mutex lock;
  std::condition_variable freed;
  std::array<SearchJob, kMaxSlots + 1> jobs;  // 1-based; free when term is empty
  std::array<bool, kMaxSlots + 1> busy{};
};

// Never destroyed: detached workers may still be finishing at process exit.
Slots& TheSlots() {
  static Slots& slots = *new Slots;
  return slots;
}

struct RunEnd {
  std::mutex lock;
  std::condition_variable ended;
};

RunEnd& TheRunEnd() {
  static RunEnd& end = *new RunEnd;
  return end;
}

std::vector<std::string> SplitList(const std::string& list) {
  std::vector<std::string> items;
  std::size_t start = 0;
  for (;;) {
    std::size_t comma = list.find(',', start);
    items.push_back(list.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  return items;
}

int SiteOfCode(const std::string& entry) {
  std::string code = entry.substr(0, 2);
  if (code == "CL") return 1;
  if (code == "KJ") return 2;
  if (code == "BP") return 3;
  if (code == "DA") return 4;
  return 0;
}

struct City {
  int site = 0;
  std::string name;
};

City FindCity(const std::string& entry) {
  const Settings& s = AppSettings();
  struct Rule {
    int enabled;
    SiteId site;
    int keyColumn;
    int nameColumn;
  };
  const Rule rules[] = {
      {s.SearchCraigslist, SiteId::Craigslist, 5, 4},
      {s.SearchKijiji, SiteId::Kijiji, 4, 3},
      {s.SearchBackpage, SiteId::Backpage, 4, 3},
      {s.SearchDaype, SiteId::Daype, 3, 2},
  };
  for (const Rule& rule : rules) {
    if (rule.enabled == 0) continue;
    const CatalogTable& table = CityCatalog(rule.site);
    for (int row = 1; row <= table.Count(); ++row) {
      if (table.Field(row, rule.keyColumn) != entry) continue;
      City city{static_cast<int>(rule.site), table.Field(row, rule.nameColumn)};
      if (rule.site == SiteId::Craigslist && city.name == "Default") city.name = table.Field(row, 3);
      return city;
    }
  }
  return City();
}

struct Section {
  int site = 0;
  std::string code;  // as sent to the worker
  std::string name;
};

Section FindSection(const std::string& entry) {
  Section section;
  section.site = SiteOfCode(entry);
  std::string code = entry.size() > 3 ? entry.substr(3) : std::string();
  section.code = code;
  if (section.site == 0) return section;
  const CatalogTable& table = SectionCatalog(static_cast<SiteId>(section.site));
  for (int row = 1; row <= table.Count(); ++row) {
    auto f = [&](int column) -> const std::string& { return table.Field(row, column); };
    switch (section.site) {
      case 1:
        if (f(2) != code) continue;
        section.name = f(3);
        return section;
      case 2:
        if (f(2) + "\\" + f(3) != code) continue;
        section.name = f(4);
        return section;
      case 3:
        if (f(1) + "\\" + f(3) != code) continue;
        section.name = f(3) == "0" ? f(2) : f(4);
        section.code = code + "\\" + f(5);
        return section;
      default:
        if (f(4) + "\\" + f(2) != code) continue;
        section.name = f(3);
        return section;
    }
  }
  return section;
}

void ShowProgressAt(std::int64_t number, std::int64_t total) {
  std::int32_t permille = total > 0 ? static_cast<std::int32_t>(1000 * number / total) : 0;
  ProgressPermille = permille;
  UI().ShowProgress(permille, std::to_string(permille / 10));
}

void FreeSlot(int slot) {
  Slots& slots = TheSlots();
  {
    std::lock_guard<std::mutex> guard(slots.lock);
    slots.jobs[slot].host.clear();
    slots.jobs[slot].sectionCode.clear();
    slots.jobs[slot].term.clear();
    slots.busy[slot] = false;
    slots.freed.notify_all();
  }
}

void Worker(int slot, SearchJob job) {
  const SiteId site = SiteOfHost(job.host);
  AdLists ads;
  int failures = 0;
  for (;;) {
    UI().ShowWorkerRow(WorkerBlock::Search, slot, job.term + " in " + job.sectionName + " in " + job.cityName,
                       WorkerLight::Downloading, site);
    if (AbortFlag != 0) break;
    ads = AdLists(static_cast<std::size_t>(AppSettings().MaxResults));
    int count = QuerySite(job.term, job.host, job.sectionCode, ads);
    if (count == -1) {
      if (++failures >= 5) {
        // Only one give-up message at a time; the others give up quietly.
        if (ErrorBoxShown.exchange(1) == 0) {
          if (AppSettings().AudioPrompts != 0) UI().Speak("Oh no! Search failed!");
          UI().ShowMessage("Error",
                           "I'm having trouble connecting to the search for " + job.term + " on the server " +
                               job.host + " in the section " + job.sectionCode + ". Aborting search, sorry.",
                           MessageIcon::Error, MessageButtons::Ok);
          ErrorBoxShown = 0;
        }
        break;
      }
      if (!RetryCountdown(slot, false, job.cityName, site, AbortFlag)) break;
      continue;
    }
    for (std::size_t i = 0; i < ads.Count(); ++i) {
      bool added = false;
      if (!Results().AddFromSearch(ads.dates[i], ads.titles[i], ads.links[i], ads.descriptions[i], job.cityName,
                                   job.sectionName, &added)) {
        break;  // the list is full: this job ends
      }
      if (added && (AppSettings().AutoDeepScan != 0 || DeepScanActive != 0)) StartDeepScanLauncher();
    }
    break;
  }
  UI().ShowWorkerRow(WorkerBlock::Search, slot, "", WorkerLight::Idle, SiteId::None);
  FreeSlot(slot);
}

// Waits (polling every 150 ms, woken early when a worker frees one) for a
// free slot and claims it with job.
int ClaimSlot(const SearchJob& job) {
  Slots& slots = TheSlots();
  std::unique_lock<std::mutex> guard(slots.lock);
  for (;;) {
    int limit = std::min(std::max(AppSettings().MaxThreads, 1), kMaxSlots);
    for (int slot = 1; slot <= limit; ++slot) {
      if (!slots.busy[slot]) {
        slots.busy[slot] = true;
        slots.jobs[slot] = job;
        return slot;
      }
    }
    slots.freed.wait_for(guard, std::chrono::milliseconds(150));
  }
}

void WaitForAllSlotsFree() {
  Slots& slots = TheSlots();
  std::unique_lock<std::mutex> guard(slots.lock);
  for (;;) {
    bool anyBusy = false;
    for (int slot = 1; slot <= kMaxSlots; ++slot) anyBusy = anyBusy || slots.busy[slot];
    if (!anyBusy) return;
    slots.freed.wait_for(guard, std::chrono::milliseconds(150));
  }
}

void Dispatcher(SearchPlan plan) {
  bool aborted = false;
  for (const PlannedJob& planned : plan.jobs) {
    if (AbortFlag != 0) {
      aborted = true;
      break;
    }
    ShowProgressAt(planned.number, plan.total);
    int slot = ClaimSlot(planned.job);
    SearchJob job = planned.job;
    if (!platform::StartDetachedThread([slot, job] { Worker(slot, job); })) FreeSlot(slot);
  }
  if (!aborted && AbortFlag == 0) {
    ProgressPermille = 1000;
    UI().ShowProgress(1000, "100");
    if (AppSettings().AudioPrompts != 0) UI().Speak("Search complete!");
  }
  WaitForAllSlotsFree();
  EndSearchTiming();
  UI().SearchRunEnded();
  UI().ShowProgress(ProgressPermille.load(), "Inactive");
  UI().ShowStatusPart(kStatusPartRequest, "");
  std::lock_guard<std::mutex> guard(TheRunEnd().lock);
  SearchRunning = 0;
  TheRunEnd().ended.notify_all();
}

}  // namespace

bool RetryCountdown(int slot, bool deepScan, const std::string& place, SiteId site,
                    const std::atomic<std::int32_t>& stop) {
  int seconds = platform::RandomBetween(25, 35);
  for (int s = seconds; s >= 1; --s) {
    UI().ShowWorkerRow(deepScan ? WorkerBlock::DeepScan : WorkerBlock::Search, slot,
                       "Connect problem (" + place + ")... Restarting in " + std::to_string(s), WorkerLight::Problem, site);
    for (int i = 0; i < 10; ++i) {
      if (stop != 0) return false;
      platform::SleepMs(100);
    }
  }
  return true;
}

SearchInputs SelectionsFromCatalogs(const std::string& terms) {
  const Settings& s = AppSettings();
  struct Site {
    int enabled;
    SiteId id;
    const char* code;
    int cityKey;
  };
  const Site sites[] = {
      {s.SearchCraigslist, SiteId::Craigslist, "CL", 5},
      {s.SearchKijiji, SiteId::Kijiji, "KJ", 4},
      {s.SearchBackpage, SiteId::Backpage, "BP", 4},
      {s.SearchDaype, SiteId::Daype, "DA", 3},
  };
  SearchInputs inputs;
  inputs.Terms = terms;
  auto append = [](std::string& list, const std::string& entry) {
    if (!list.empty()) list += ',';
    list += entry;
  };
  for (const Site& site : sites) {
    if (site.enabled == 0) continue;
    const CatalogTable& cities = CityCatalog(site.id);
    for (int row = 1; row <= cities.Count(); ++row) {
      if (cities.Mark(row)) append(inputs.SelectedCities, cities.Field(row, site.cityKey));
    }
    const CatalogTable& sections = SectionCatalog(site.id);
    for (int row = 1; row <= sections.Count(); ++row) {
      if (!sections.Mark(row)) continue;
      auto f = [&](int column) -> const std::string& { return sections.Field(row, column); };
      std::string code;
      switch (site.id) {
        case SiteId::Craigslist: code = f(2); break;
        case SiteId::Kijiji: code = f(2) + "\\" + f(3); break;
        case SiteId::Backpage: code = f(1) + "\\" + f(3); break;
        default: code = f(4) + "\\" + f(2); break;
      }
      append(inputs.SelectedSections, std::string(site.code) + ":" + code);
    }
  }
  return inputs;
}

SearchPlan PlanSearch(const SearchInputs& inputs) {
  SearchPlan plan;
  std::vector<std::string> cities = SplitList(inputs.SelectedCities);
  std::vector<std::string> sections = SplitList(inputs.SelectedSections);
  std::vector<std::string> terms = SplitList(inputs.Terms);
  plan.total = static_cast<std::int64_t>(cities.size()) * static_cast<std::int64_t>(sections.size()) *
               static_cast<std::int64_t>(terms.size());
  std::vector<Section> found;
  found.reserve(sections.size());
  for (const std::string& entry : sections) found.push_back(FindSection(entry));

  std::int64_t number = 0;
  for (const std::string& entry : cities) {
    City city = FindCity(entry);
    bool daypeDone = false;
    for (const Section& section : found) {
      bool skip = city.site == 0 || section.site != city.site;
      // The Daype feed covers a whole city: one section per city is enough.
      if (!skip && section.site == 4 && AppSettings().DaypeRSS != 0) {
        skip = daypeDone;
        daypeDone = true;
      }
      for (const std::string& term : terms) {
        if (!skip) plan.jobs.push_back({SearchJob{term, entry, section.code, city.name, section.name}, number});
        ++number;
      }
    }
  }
  return plan;
}

bool StartSearchRun(const SearchInputs& inputs) {
  std::int32_t idle = 0;
  if (!SearchRunning.compare_exchange_strong(idle, 1)) return false;
  AbortFlag = 0;
  StartSearchTiming();
  AppSettings().SuperSearches += 1;
  SearchPlan plan = PlanSearch(inputs);
  if (!platform::StartDetachedThread([plan] { Dispatcher(plan); })) {
    SearchRunning = 0;
    return false;
  }
  return true;
}

void WaitForSearchRunEnd() {
  std::unique_lock<std::mutex> guard(TheRunEnd().lock);
  while (SearchRunning != 0) TheRunEnd().ended.wait_for(guard, std::chrono::milliseconds(150));
}

}  // namespace vemtrix

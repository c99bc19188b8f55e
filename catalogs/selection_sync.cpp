#include "catalogs/selection_sync.h"

#include <array>
#include <string_view>
#include <vector>

#include "core/settings.h"
#include "harvest/sites.h"

namespace vemtrix {
namespace {

// One attached tree: its nodes, its view and the cached check state of every node.
struct SyncSlot {
  const CatalogTree* tree = nullptr;
  SyncTree* view = nullptr;
  std::vector<char> cache;  // [node] -> 0 or 1
};

std::array<SyncSlot, 2 * kSiteCount> g_slots;

// What is compared across sites, per site.
struct SiteColumns {
  int sectionName;         // section catalog column sent and compared
  int cityCountry;         // city catalog column of the country; 0: always "United States"
  int city;                // city catalog column of the city
  SiteId sectionTargets[3];
  int sectionTargetCount;
  SiteId cityTargets[3];
};

constexpr const char* kDaypeCountry = "United States";

const SiteColumns& ColumnsOf(SiteId site) {
  static const SiteColumns kCraigslist = {ClSectionColumn::SectionName, ClCityColumn::CountryName,
                                          ClCityColumn::CityName,
                                          {SiteId::Kijiji, SiteId::Backpage, SiteId::Daype}, 3,
                                          {SiteId::Kijiji, SiteId::Backpage, SiteId::Daype}};
  static const SiteColumns kKijiji = {KjSectionColumn::SectionName, KjCityColumn::Country, KjCityColumn::City,
                                      {SiteId::Craigslist, SiteId::Backpage, SiteId::Daype}, 3,
                                      {SiteId::Craigslist, SiteId::Backpage, SiteId::Daype}};
  static const SiteColumns kBackpage = {BpSectionColumn::CategoryName, BpCityColumn::Country,
                                        BpCityColumn::CityName,
                                        {SiteId::Craigslist, SiteId::Kijiji, SiteId::Daype}, 3,
                                        {SiteId::Craigslist, SiteId::Kijiji, SiteId::Daype}};
  // Daype sections receive but never send; its cities go to Craigslist, Backpage, Kijiji.
  static const SiteColumns kDaype = {DaSectionColumn::CategoryName, 0, DaCityColumn::CityName,
                                     {SiteId::None, SiteId::None, SiteId::None}, 0,
                                     {SiteId::Craigslist, SiteId::Backpage, SiteId::Kijiji}};
  switch (site) {
    case SiteId::Kijiji: return kKijiji;
    case SiteId::Backpage: return kBackpage;
    case SiteId::Daype: return kDaype;
    default: return kCraigslist;
  }
}

int SlotIndex(SiteId site, TreeKind kind) {
  return (static_cast<int>(site) - 1) * 2 + (kind == TreeKind::Sections ? 1 : 0);
}

// The attached tree of site and kind; nullptr when none.
SyncSlot* SlotOf(SiteId site, TreeKind kind) {
  if (site == SiteId::None) return nullptr;
  SyncSlot& slot = g_slots[SlotIndex(site, kind)];
  return slot.tree && slot.view ? &slot : nullptr;
}

CatalogTable& TableOf(SiteId site, TreeKind kind) {
  return kind == TreeKind::Cities ? CityCatalog(site) : SectionCatalog(site);
}

int RowCount(const CatalogTable& table) { return static_cast<int>(table.rows.size()); }

void ReadCaches(SyncSlot& slot) {
  slot.cache.assign(slot.tree->nodes.size(), 0);
  for (std::size_t n = 0; n < slot.cache.size(); ++n) slot.cache[n] = slot.view->Checked(static_cast<int>(n)) ? 1 : 0;
}

// The node of a row, or -1 when the row has none in this tree.
int RowNode(const SyncSlot& slot, int row) {
  int node = slot.tree->NodeOfRow(row);
  return node >= 0 && node < static_cast<int>(slot.cache.size()) ? node : -1;
}

bool Cached(const SyncSlot& slot, int node) { return slot.cache[node] != 0; }

// True when the view's check box of node differs from its cache.
bool Changed(SyncSlot& slot, int node, bool& now) {
  now = slot.view->Checked(node);
  return now != Cached(slot, node);
}

// Cache and check box together.
void SetNodeState(SyncSlot& slot, int node, bool state) {
  slot.cache[node] = state ? 1 : 0;
  slot.view->SetChecked(node, state);
}

bool AutoSyncOn() { return AppSettings().AutoSync != 0; }

std::string_view Trimmed(std::string_view text) {
  std::size_t begin = text.find_first_not_of(" \t");
  if (begin == std::string_view::npos) return {};
  std::size_t end = text.find_last_not_of(" \t");
  return text.substr(begin, end - begin + 1);
}

// Sends a section row's name to the site's receivers, when AutoSync is on.
void SendSection(SiteId site, int row, bool state) {
  if (!AutoSyncOn()) return;
  const SiteColumns& columns = ColumnsOf(site);
  const std::string name = SectionCatalog(site).Field(row, columns.sectionName);
  for (int i = 0; i < columns.sectionTargetCount; ++i) TickSectionByName(columns.sectionTargets[i], name, state);
}

void SendCity(SiteId site, int row, bool state) {
  if (!AutoSyncOn()) return;
  const std::string key = CityKeyOfRow(site, row);
  for (SiteId target : ColumnsOf(site).cityTargets) TickCityByKey(target, key, state);
}

// The first section row whose check box differs from its cache: cache, mark
// and (with AutoSync) the other sites. True when a row was handled.
bool HandleFirstChangedSectionRow(SiteId site, SyncSlot& slot) {
  CatalogTable& table = SectionCatalog(site);
  for (int row = 1; row <= RowCount(table); ++row) {
    int node = RowNode(slot, row);
    bool now = false;
    if (node < 0 || !Changed(slot, node, now)) continue;
    slot.cache[node] = now ? 1 : 0;
    table.SetMark(row, now);
    SendSection(site, row, now);
    return true;
  }
  return false;
}

void SyncSectionsFromRows(SiteId site) {
  if (SyncSlot* slot = SlotOf(site, TreeKind::Sections)) HandleFirstChangedSectionRow(site, *slot);
}

bool IsUnder(const CatalogTree& tree, int node, int group) {
  for (int n = node; n >= 0; n = tree.nodes[n].parent) {
    if (n == group) return true;
  }
  return false;
}

// A changed group node of a city tree gives its state to the groups directly
// below it (when asked) and to every city row below it; each row whose cache
// changes is sent on. A row whose node is the group itself (a Craigslist
// "Default" row) counts as changed with it, so it is handled here, once.
void CascadeCityGroup(SiteId site, SyncSlot& slot, int group, bool state, bool childGroups) {
  const CatalogTree& tree = *slot.tree;
  const CatalogTable& table = CityCatalog(site);
  std::vector<int> rows;
  for (int row = 1; row <= RowCount(table); ++row) {
    int node = RowNode(slot, row);
    if (node >= 0 && Cached(slot, node) != state && IsUnder(tree, node, group)) rows.push_back(row);
  }
  slot.view->SetRedraw(false);
  slot.cache[group] = state ? 1 : 0;
  if (childGroups) {
    for (std::size_t n = 0; n < tree.nodes.size(); ++n) {
      if (tree.nodes[n].parent == group) SetNodeState(slot, static_cast<int>(n), state);
    }
  }
  for (int row : rows) {
    SetNodeState(slot, RowNode(slot, row), state);
    SendCity(site, row, state);
  }
  slot.view->SetRedraw(true);
}

// City handlers: the top group level (trees with two group levels), then the
// group level directly above the cities, then the cities; the first changed
// node of the first level that has one is handled.
void SyncCitiesFrom(SiteId site) {
  SyncSlot* slot = SlotOf(site, TreeKind::Cities);
  if (!slot) return;
  const CatalogTree& tree = *slot->tree;
  const int cityLevel = site == SiteId::Daype ? 2 : 3;
  const int nodeCount = static_cast<int>(tree.nodes.size());
  for (int groupLevel = 1; groupLevel < cityLevel; ++groupLevel) {
    for (int node = 0; node < nodeCount; ++node) {
      bool now = false;
      if (tree.nodes[node].level != groupLevel || !Changed(*slot, node, now)) continue;
      CascadeCityGroup(site, *slot, node, now, groupLevel + 1 < cityLevel);
      return;
    }
  }
  const CatalogTable& table = CityCatalog(site);
  for (int row = 1; row <= RowCount(table); ++row) {
    int node = RowNode(*slot, row);
    bool now = false;
    if (node < 0 || !Changed(*slot, node, now)) continue;
    slot->cache[node] = now ? 1 : 0;
    SendCity(site, row, now);
    return;
  }
}

}  // namespace

void AttachSyncTree(const CatalogTree* tree, SyncTree* view) {
  if (!tree || !view || tree->site == SiteId::None) return;
  SyncSlot& slot = g_slots[SlotIndex(tree->site, tree->kind)];
  slot.tree = tree;
  slot.view = view;
  ReadCaches(slot);
}

void DetachSyncTrees() {
  for (SyncSlot& slot : g_slots) slot = SyncSlot{};
}

void RefreshSyncCaches() {
  for (SyncSlot& slot : g_slots) {
    if (slot.tree && slot.view) ReadCaches(slot);
  }
}

bool SyncCachedRowState(SiteId site, TreeKind kind, int row) {
  SyncSlot* slot = SlotOf(site, kind);
  if (!slot) return false;
  int node = RowNode(*slot, row);
  return node >= 0 && Cached(*slot, node);
}

void SyncAfterUserChange(SiteId site, TreeKind kind) {
  if (kind == TreeKind::Sections) {
    switch (site) {
      case SiteId::Craigslist: SyncSectionsFromCraigslist(); break;
      case SiteId::Kijiji: SyncSectionsFromKijiji(); break;
      case SiteId::Backpage: SyncSectionsFromBackpage(); break;
      case SiteId::Daype: SyncSectionsFromDaype(); break;
      default: break;
    }
    return;
  }
  switch (site) {
    case SiteId::Craigslist: SyncCitiesFromCraigslist(); break;
    case SiteId::Kijiji: SyncCitiesFromKijiji(); break;
    case SiteId::Backpage: SyncCitiesFromBackpage(); break;
    case SiteId::Daype: SyncCitiesFromDaype(); break;
    default: break;
  }
}

void SyncSectionsFromCraigslist() { SyncSectionsFromRows(SiteId::Craigslist); }
void SyncSectionsFromKijiji() { SyncSectionsFromRows(SiteId::Kijiji); }

// The "Personals (All)" heading gives its state to the rows below it, up to
// the next heading row (Category "0"); any other change is one row's own.
void SyncSectionsFromBackpage() {
  SyncSlot* slot = SlotOf(SiteId::Backpage, TreeKind::Sections);
  if (!slot) return;
  const CatalogTree& tree = *slot->tree;
  bool now = false;
  int personals = tree.personalsNode;
  if (personals < 0 || personals >= static_cast<int>(slot->cache.size()) || !Changed(*slot, personals, now)) {
    HandleFirstChangedSectionRow(SiteId::Backpage, *slot);
    return;
  }
  slot->cache[personals] = now ? 1 : 0;
  CatalogTable& table = SectionCatalog(SiteId::Backpage);
  slot->view->SetRedraw(false);
  for (int row = tree.personalsRow + 1; row <= RowCount(table); ++row) {
    if (table.Field(row, BpSectionColumn::Category) == "0") break;
    int node = RowNode(*slot, row);
    if (node < 0 || Cached(*slot, node) == now) continue;
    SetNodeState(*slot, node, now);
    table.SetMark(row, now);
    SendSection(SiteId::Backpage, row, now);
  }
  slot->view->SetRedraw(true);
}

// Daype's headings are not catalog rows: a changed heading gives its state to
// the run of rows whose section name it shows. Daype sends nothing on.
void SyncSectionsFromDaype() {
  SyncSlot* slot = SlotOf(SiteId::Daype, TreeKind::Sections);
  if (!slot) return;
  const CatalogTree& tree = *slot->tree;
  const CatalogTable& table = SectionCatalog(SiteId::Daype);
  std::vector<char> isRowNode(tree.nodes.size(), 0);
  for (int row = 1; row <= RowCount(table); ++row) {
    int node = RowNode(*slot, row);
    if (node >= 0) isRowNode[node] = 1;
  }
  for (int heading = 0; heading < static_cast<int>(tree.nodes.size()); ++heading) {
    bool now = false;
    if (isRowNode[heading] || !Changed(*slot, heading, now)) continue;
    slot->cache[heading] = now ? 1 : 0;
    slot->view->SetRedraw(false);
    bool matched = false;
    for (int row = 1; row <= RowCount(table); ++row) {
      int node = RowNode(*slot, row);
      if (node < 0) continue;
      if (table.Field(row, DaSectionColumn::SectionName) + " (All)" != tree.nodes[heading].text) {
        if (matched) break;
        continue;
      }
      matched = true;
      SetNodeState(*slot, node, now);
    }
    slot->view->SetRedraw(true);
    return;
  }
  for (int row = 1; row <= RowCount(table); ++row) {
    int node = RowNode(*slot, row);
    bool now = false;
    if (node < 0 || !Changed(*slot, node, now)) continue;
    slot->cache[node] = now ? 1 : 0;
    return;
  }
}

void SyncCitiesFromCraigslist() { SyncCitiesFrom(SiteId::Craigslist); }
void SyncCitiesFromKijiji() { SyncCitiesFrom(SiteId::Kijiji); }
void SyncCitiesFromBackpage() { SyncCitiesFrom(SiteId::Backpage); }
void SyncCitiesFromDaype() { SyncCitiesFrom(SiteId::Daype); }

void TickSectionByName(SiteId site, const std::string& name, bool state) {
  SyncSlot* slot = SlotOf(site, TreeKind::Sections);
  if (!slot) return;
  CatalogTable& table = SectionCatalog(site);
  const int column = ColumnsOf(site).sectionName;
  for (int row = 1; row <= RowCount(table); ++row) {
    int node = RowNode(*slot, row);
    if (node < 0 || Cached(*slot, node) == state || table.Field(row, column) != name) continue;
    SetNodeState(*slot, node, state);
    table.SetMark(row, state);
    slot->view->Expand(node);
    int parent = slot->tree->nodes[node].parent;
    if (parent >= 0) slot->view->Expand(parent);
  }
}

void TickCityByKey(SiteId site, const std::string& key, bool state) {
  SyncSlot* slot = SlotOf(site, TreeKind::Cities);
  if (!slot) return;
  std::string_view whole = key;
  std::size_t slash = whole.find('\\');
  std::string_view country = Trimmed(whole.substr(0, slash));
  std::string_view rest = slash == std::string_view::npos ? std::string_view() : whole.substr(slash + 1);
  std::string_view city = Trimmed(rest.substr(0, rest.find(',')));

  const SiteColumns& columns = ColumnsOf(site);
  if (columns.cityCountry == 0 && country != kDaypeCountry) return;
  CatalogTable& table = CityCatalog(site);
  for (int row = 1; row <= RowCount(table); ++row) {
    int node = RowNode(*slot, row);
    if (node < 0 || Cached(*slot, node) == state || table.Field(row, columns.city) != city) continue;
    if (columns.cityCountry != 0 && table.Field(row, columns.cityCountry) != country) continue;
    SetNodeState(*slot, node, state);
    table.SetMark(row, state);
    // The node, its parent and its grandparent, so the change is in view.
    for (int n = node, up = 0; n >= 0 && up < 3; n = slot->tree->nodes[n].parent, ++up) slot->view->Expand(n);
  }
}

std::string CityKeyOfRow(SiteId site, int row) {
  const SiteColumns& columns = ColumnsOf(site);
  const CatalogTable& table = CityCatalog(site);
  std::string country = columns.cityCountry == 0 ? kDaypeCountry : table.Field(row, columns.cityCountry);
  return country + "\\" + table.Field(row, columns.city);
}

}  // namespace vemtrix

#include "catalogs/catalog_trees.h"

#include <map>

namespace vemtrix {
namespace {

constexpr const char* kAllSuffix = " (All)";

int RowCount(const CatalogTable& table) { return static_cast<int>(table.rows.size()); }

int AddNode(CatalogTree& tree, int parent, std::string text) {
  CatalogTreeNode node;
  node.parent = parent;
  node.text = std::move(text);
  node.level = parent < 0 ? 1 : tree.nodes[parent].level + 1;
  tree.nodes.push_back(std::move(node));
  return static_cast<int>(tree.nodes.size()) - 1;
}

// Group nodes that are shared by every row carrying the same text.
struct DistinctNodes {
  std::map<std::string, int> byText;

  int Get(CatalogTree& tree, int parent, const std::string& text) {
    auto it = byText.find(text);
    if (it != byText.end()) return it->second;
    int node = AddNode(tree, parent, text);
    byText.emplace(text, node);
    return node;
  }
};

// Three-level city trees: two distinct group columns above one node per row.
void BuildThreeLevelCities(CatalogTree& tree, const CatalogTable& table, int topColumn, int groupColumn,
                           int cityColumn, bool defaultRowsUseGroup) {
  DistinctNodes tops, groups;
  for (int row = 1; row <= RowCount(table); ++row) {
    int top = tops.Get(tree, -1, table.Field(row, topColumn));
    int group = groups.Get(tree, top, table.Field(row, groupColumn));
    const std::string& city = table.Field(row, cityColumn);
    tree.nodeOfRow[row - 1] = defaultRowsUseGroup && city == "Default" ? group : AddNode(tree, group, city);
  }
}

void BuildDaypeCities(CatalogTree& tree, const CatalogTable& table) {
  DistinctNodes states;
  for (int row = 1; row <= RowCount(table); ++row) {
    int state = states.Get(tree, -1, table.Field(row, DaCityColumn::StateName));
    tree.nodeOfRow[row - 1] = AddNode(tree, state, table.Field(row, DaCityColumn::CityName));
  }
}

// Section trees whose headings are catalog rows themselves.
void BuildRowHeadedSections(CatalogTree& tree, const CatalogTable& table) {
  int heading = -1;
  for (int row = 1; row <= RowCount(table); ++row) {
    std::string text;
    bool isHeading = false;
    switch (tree.site) {
      case SiteId::Kijiji:
        isHeading = table.Field(row, KjSectionColumn::MasterSectionName) ==
                    table.Field(row, KjSectionColumn::SectionName);
        text = table.Field(row, KjSectionColumn::SectionName);
        if (isHeading) text += kAllSuffix;
        break;
      case SiteId::Backpage:
        isHeading = table.Field(row, BpSectionColumn::Category) == "0";
        text = isHeading ? table.Field(row, BpSectionColumn::SectionName) + kAllSuffix
                         : table.Field(row, BpSectionColumn::CategoryName);
        break;
      default:  // Craigslist: the master rows already read "... (All)"
        isHeading = table.Field(row, ClSectionColumn::MasterSectionCode) ==
                    table.Field(row, ClSectionColumn::SectionCode);
        text = table.Field(row, ClSectionColumn::SectionName);
        break;
    }
    int node = AddNode(tree, isHeading ? -1 : heading, std::move(text));
    tree.nodeOfRow[row - 1] = node;
    if (!isHeading) continue;
    heading = node;
    if (tree.site == SiteId::Backpage && tree.personalsNode < 0 &&
        table.Field(row, BpSectionColumn::SectionName) == "Personals") {
      tree.personalsNode = node;
      tree.personalsRow = row;
    }
  }
}

// Daype headings are items of their own, one per run of equal section names.
void BuildDaypeSections(CatalogTree& tree, const CatalogTable& table) {
  int heading = -1;
  for (int row = 1; row <= RowCount(table); ++row) {
    const std::string& section = table.Field(row, DaSectionColumn::SectionName);
    if (row == 1 || section != table.Field(row - 1, DaSectionColumn::SectionName)) {
      heading = AddNode(tree, -1, section + kAllSuffix);
    }
    tree.nodeOfRow[row - 1] = AddNode(tree, heading, table.Field(row, DaSectionColumn::CategoryName));
  }
}

}  // namespace

int CatalogTree::NodeOfRow(int row) const {
  if (row < 1 || row > static_cast<int>(nodeOfRow.size())) return -1;
  return nodeOfRow[row - 1];
}

CatalogTree BuildCatalogTree(SiteId site, TreeKind kind) {
  CatalogTree tree;
  tree.site = site;
  tree.kind = kind;
  if (site == SiteId::None) return tree;
  const CatalogTable& table = kind == TreeKind::Cities ? CityCatalog(site) : SectionCatalog(site);
  tree.nodeOfRow.assign(RowCount(table), -1);
  if (kind == TreeKind::Sections) {
    if (site == SiteId::Daype) {
      BuildDaypeSections(tree, table);
    } else {
      BuildRowHeadedSections(tree, table);
    }
    return tree;
  }
  switch (site) {
    case SiteId::Craigslist:
      BuildThreeLevelCities(tree, table, ClCityColumn::Region, ClCityColumn::CountryName, ClCityColumn::CityName,
                            true);
      break;
    case SiteId::Kijiji:
      BuildThreeLevelCities(tree, table, KjCityColumn::Country, KjCityColumn::State, KjCityColumn::City, false);
      break;
    case SiteId::Backpage:
      BuildThreeLevelCities(tree, table, BpCityColumn::Country, BpCityColumn::StateName, BpCityColumn::CityName,
                            false);
      break;
    default:
      BuildDaypeCities(tree, table);
      break;
  }
  return tree;
}

}  // namespace vemtrix

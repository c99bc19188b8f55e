// The contents of the main window's eight catalog trees (cities and sections
// of the four sites), built from the catalog tables without any window: the
// window creates one item per node, in node order.
#pragma once

#include <string>
#include <vector>

#include "catalogs/catalog_files.h"

namespace vemtrix {

enum class TreeKind { Cities, Sections };

// One node of a catalog tree, in insertion order (a parent always comes
// before its children; every node is added at the end of its parent's children).
struct CatalogTreeNode {
  int parent = -1;   // index of the parent node; -1 at the top level
  std::string text;  // the label shown
  int level = 1;     // 1, 2 or 3: the node's depth in the tree
};

struct CatalogTree {
  SiteId site = SiteId::None;
  TreeKind kind = TreeKind::Cities;
  std::vector<CatalogTreeNode> nodes;
  // [row-1] -> node index of catalog row `row` (the country node for a
  // Craigslist "Default" row); -1 when none.
  std::vector<int> nodeOfRow;
  int personalsNode = -1;  // Backpage sections: the "Personals (All)" heading node, else -1
  int personalsRow = 0;    // its catalog row (1-based), else 0

  // The node of catalog row `row` (1-based); -1 when none or out of range.
  int NodeOfRow(int row) const;
};

// Builds a site's city or section tree from its catalog as it is loaded now:
//   Craigslist cities: Region > CountryName > CityName ("Default" rows use the country node)
//   Kijiji cities:     Country > State > City
//   Backpage cities:   Country > StateName > CityName
//   Daype cities:      StateName > CityName
//   Craigslist sections: master rows (MasterSectionCode = SectionCode) > other rows
//   Kijiji sections:     master rows (MasterSectionName = SectionName) + " (All)" > other rows
//   Backpage sections:   Category "0" rows: SectionName + " (All)" > CategoryName
//   Daype sections:      a heading SectionName + " (All)" per run of equal names > CategoryName
// Group values are distinct by text alone: the first row that carries a value
// creates its node under that row's parent, later rows reuse it.
CatalogTree BuildCatalogTree(SiteId site, TreeKind kind);

}  // namespace vemtrix

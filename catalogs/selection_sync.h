// Keeps the ticks of the eight catalog trees and the catalogs' selection
// marks in step, and carries a tick made in one site's tree to the same city
// or section (by name) in the other sites' trees when AutoSync is on.
//
// Every node of an attached tree has a cached check state. A handler finds
// the node the user changed by comparing each node's check box with its
// cache; receivers update the cache together with the check box, so a
// synchronisation goes one step only and can never loop. Main thread only.
#pragma once

#include <string>

#include "catalogs/catalog_trees.h"

namespace vemtrix {

// What the synchronisation needs of one on-screen tree; node indices are
// those of its CatalogTree.
class SyncTree {
 public:
  virtual ~SyncTree() = default;
  virtual bool Checked(int node) = 0;  // any non-zero check state counts as checked
  virtual void SetChecked(int node, bool checked) = 0;
  virtual void Expand(int node) = 0;
  virtual void SetRedraw(bool on) = 0;  // redrawing off while a cascade runs
};

// Registers one of the eight trees (replacing an earlier one of the same site
// and kind) and reads every node's check state into its cache. The tree and
// the view must outlive the registration: DetachSyncTrees() before they go.
void AttachSyncTree(const CatalogTree* tree, SyncTree* view);
void DetachSyncTrees();
// Re-reads every cache from the views (after the window set many checks
// itself: loading a search, select all, clear all).
void RefreshSyncCaches();
// The cached state of catalog row `row` (1-based) in an attached tree: what
// the window shows as chosen. False when the tree is not attached or the row
// has no node.
bool SyncCachedRowState(SiteId site, TreeKind kind, int row);

// Called by the window after the user changed a check box in a tree: runs
// that tree's handler.
void SyncAfterUserChange(SiteId site, TreeKind kind);

// The eight handlers: each handles the first changed node of its tree.
void SyncSectionsFromCraigslist();
void SyncSectionsFromKijiji();
void SyncSectionsFromBackpage();
void SyncSectionsFromDaype();
void SyncCitiesFromCraigslist();
void SyncCitiesFromKijiji();
void SyncCitiesFromBackpage();
void SyncCitiesFromDaype();

// The receivers. A section name is compared with Craigslist's and Kijiji's
// SectionName and Backpage's and Daype's CategoryName; a city key is
// country + "\" + city (the city up to its first comma), compared with each
// site's country and city columns (Daype's country is always "United States").
// Every matching row whose cache differs gets the state in its cache, mark and
// check box and is expanded into view.
void TickSectionByName(SiteId site, const std::string& name, bool state);
void TickCityByKey(SiteId site, const std::string& key, bool state);

// The key a city row of site is sent under: country + "\" + city.
std::string CityKeyOfRow(SiteId site, int row);

}  // namespace vemtrix

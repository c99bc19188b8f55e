// The "Search Settings" page: the eight city and section trees with check
// boxes, filled from the catalogs; their marks; the names of the trees under
// the mouse pointer; and the search terms row.
#include <windows.h>
#include <commctrl.h>

#include <memory>

#include "catalogs/catalog_files.h"
#include "catalogs/catalog_trees.h"
#include "catalogs/selection_sync.h"
#include "core/settings.h"
#include "harvest/sites.h"
#include "ui/window_state.h"
#include "ui/window_thread.h"

namespace vemtrix::ui {
namespace {

constexpr DWORD kTreeStyle = TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_SHOWSELALWAYS | WS_TABSTOP;

// One on-screen tree: its control, the catalog tree it shows and its items.
class TreeView : public SyncTree {
 public:
  TreeView(HWND control, CatalogTree tree) : control_(control), tree_(std::move(tree)) {}

  void Fill() {
    // Check boxes are switched on after creation and before the first item.
    SetWindowLongPtrA(control_, GWL_STYLE, GetWindowLongPtrA(control_, GWL_STYLE) | TVS_CHECKBOXES);
    SendMessageA(control_, WM_SETREDRAW, FALSE, 0);
    items_.assign(tree_.nodes.size(), nullptr);
    for (std::size_t i = 0; i < tree_.nodes.size(); ++i) {
      const CatalogTreeNode& node = tree_.nodes[i];
      TVINSERTSTRUCTA insert{};
      insert.hParent = node.parent >= 0 ? items_[static_cast<std::size_t>(node.parent)] : TVI_ROOT;
      insert.hInsertAfter = TVI_LAST;
      insert.item.mask = TVIF_TEXT | TVIF_PARAM;
      insert.item.pszText = const_cast<char*>(node.text.c_str());
      insert.item.lParam = static_cast<LPARAM>(i);
      items_[i] = reinterpret_cast<HTREEITEM>(SendMessageA(control_, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
    }
    SendMessageA(control_, WM_SETREDRAW, TRUE, 0);
  }

  // The state image list is the tree's own creation; it is not freed with it.
  void Destroy() {
    HIMAGELIST states = TreeView_GetImageList(control_, TVSIL_STATE);
    TreeView_SetImageList(control_, nullptr, TVSIL_STATE);
    if (states != nullptr) ImageList_Destroy(states);
  }

  bool Checked(int node) override {
    HTREEITEM item = Item(node);
    return item != nullptr && TreeView_GetCheckState(control_, item) > 0;
  }
  void SetChecked(int node, bool checked) override {
    if (HTREEITEM item = Item(node)) TreeView_SetCheckState(control_, item, checked ? TRUE : FALSE);
  }
  void Expand(int node) override {
    if (HTREEITEM item = Item(node)) TreeView_Expand(control_, item, TVE_EXPAND);
  }
  void SetRedraw(bool on) override {
    SendMessageA(control_, WM_SETREDRAW, on ? TRUE : FALSE, 0);
    if (on) InvalidateRect(control_, nullptr, TRUE);
  }

  // Opens the branches that hold a ticked item, so a reopened search shows
  // what it searches.
  void RevealChecked() {
    for (std::size_t i = 0; i < items_.size(); ++i)
      if (items_[i] != nullptr && Checked(static_cast<int>(i))) TreeView_EnsureVisible(control_, items_[i]);
    if (!items_.empty() && items_[0] != nullptr) TreeView_EnsureVisible(control_, items_[0]);
  }

  void CheckAll(bool checked) {
    SetRedraw(false);
    for (std::size_t i = 0; i < items_.size(); ++i) SetChecked(static_cast<int>(i), checked);
    SetRedraw(true);
  }

  HWND control() const { return control_; }
  const CatalogTree& tree() const { return tree_; }

 private:
  HTREEITEM Item(int node) const {
    return node >= 0 && static_cast<std::size_t>(node) < items_.size() ? items_[static_cast<std::size_t>(node)]
                                                                       : nullptr;
  }

  HWND control_;
  CatalogTree tree_;
  std::vector<HTREEITEM> items_;
};

// Craigslist, Kijiji, Backpage, Daype cities, then their sections.
std::array<std::unique_ptr<TreeView>, 8> trees;

SiteId SiteAt(int index) { return static_cast<SiteId>(index % 4 + 1); }

int TreeIndexOfId(int id) {
  for (int i = 0; i < 4; ++i) {
    if (kCityTreeIds[static_cast<std::size_t>(i)] == id) return i;
    if (kSectionTreeIds[static_cast<std::size_t>(i)] == id) return i + 4;
  }
  return -1;
}

std::string TreeName(int index) {
  const SiteInfo& site = Site(SiteAt(index));
  bool plain = SiteAt(index) == SiteId::Craigslist || SiteAt(index) == SiteId::Kijiji;
  return std::string(plain ? site.name : site.webName) + (index < 4 ? " Cities" : " Sections");
}

CatalogTable& TableOf(int index) {
  return index < 4 ? CityCatalog(SiteAt(index)) : SectionCatalog(SiteAt(index));
}

}  // namespace

std::vector<ControlSpec> SearchPageTable() {
  // The resize layout places every control of the page.
  std::vector<ControlSpec> table;
  for (int id : kCityTreeIds) table.push_back({id, WC_TREEVIEWA, "", kTreeStyle, 0, 0, 0, 0, WS_EX_CLIENTEDGE});
  for (int id : kSectionTreeIds) table.push_back({id, WC_TREEVIEWA, "", kTreeStyle, 0, 0, 0, 0, WS_EX_CLIENTEDGE});
  std::vector<ControlSpec> rest = {
      {kIdCitySelectAll, "BUTTON", "Select All", BS_PUSHBUTTON | WS_TABSTOP, 0, 0, 0, 0},
      {kIdCityClearAll, "BUTTON", "Clear All", BS_PUSHBUTTON | WS_TABSTOP, 0, 0, 0, 0},
      {kIdSectionSelectAll, "BUTTON", "Select All", BS_PUSHBUTTON | WS_TABSTOP, 0, 0, 0, 0},
      {kIdSectionClearAll, "BUTTON", "Clear All", BS_PUSHBUTTON | WS_TABSTOP, 0, 0, 0, 0},
      {kIdCityTreeName, "STATIC", "", SS_LEFT | SS_ENDELLIPSIS, 0, 0, 0, 0},
      {kIdSectionTreeName, "STATIC", "", SS_LEFT | SS_ENDELLIPSIS, 0, 0, 0, 0},
      {kIdTermsLabel, "STATIC", "Search terms:", SS_RIGHT, 0, 0, 0, 0},
      {kIdTerms, "EDIT", "", ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 0, 0, 0, 0},
      {kIdGo2, "BUTTON", "Go!", BS_PUSHBUTTON | WS_TABSTOP, 0, 0, 0, 0},
  };
  table.insert(table.end(), rest.begin(), rest.end());
  return table;
}

void BuildTrees() {
  DetachSyncTrees();
  for (int i = 0; i < 8; ++i) {
    int id = i < 4 ? kCityTreeIds[static_cast<std::size_t>(i)] : kSectionTreeIds[static_cast<std::size_t>(i - 4)];
    HWND control = Control(id);
    if (control == nullptr) continue;
    trees[static_cast<std::size_t>(i)] = std::make_unique<TreeView>(
        control, BuildCatalogTree(SiteAt(i), i < 4 ? TreeKind::Cities : TreeKind::Sections));
    trees[static_cast<std::size_t>(i)]->Fill();
  }
  for (auto& tree : trees)
    if (tree) AttachSyncTree(&tree->tree(), tree.get());
}

void DestroyTrees() {
  for (auto& tree : trees) {
    if (tree) tree->Destroy();
    tree.reset();
  }
}

void ApplySiteVisibility() {
  for (int i = 0; i < 8; ++i) {
    if (!trees[static_cast<std::size_t>(i)]) continue;
    ShowWindow(trees[static_cast<std::size_t>(i)]->control(), SiteSearched(AppSettings(), SiteAt(i)) ? SW_SHOWNA : SW_HIDE);
  }
  LayoutWindow();
}

void ShowMarksInTrees() {
  for (int i = 0; i < 8; ++i) {
    TreeView* view = trees[static_cast<std::size_t>(i)].get();
    if (view == nullptr) continue;
    const CatalogTable& table = TableOf(i);
    const CatalogTree& tree = view->tree();
    view->SetRedraw(false);
    // Group nodes start clear; a row's node (a Craigslist "Default" row's
    // country node) shows the row's mark.
    for (std::size_t node = 0; node < tree.nodes.size(); ++node) view->SetChecked(static_cast<int>(node), false);
    for (int row = 1; row <= table.Count() && static_cast<std::size_t>(row) <= tree.nodeOfRow.size(); ++row) {
      int node = tree.nodeOfRow[static_cast<std::size_t>(row - 1)];
      if (node >= 0 && table.Mark(row)) view->SetChecked(node, true);
    }
    view->RevealChecked();
    view->SetRedraw(true);
  }
  RefreshSyncCaches();
}

void MarksFromTrees(bool enabledSitesOnly) {
  for (int i = 0; i < 8; ++i) {
    TreeView* view = trees[static_cast<std::size_t>(i)].get();
    if (view == nullptr || (enabledSitesOnly && !SiteSearched(AppSettings(), SiteAt(i)))) continue;
    CatalogTable& table = TableOf(i);
    const CatalogTree& tree = view->tree();
    for (int row = 1; row <= table.Count() && static_cast<std::size_t>(row) <= tree.nodeOfRow.size(); ++row) {
      int node = tree.nodeOfRow[static_cast<std::size_t>(row - 1)];
      table.SetMark(row, node >= 0 && view->Checked(node));
    }
  }
}

void CheckAllTrees(bool cities, bool checked) {
  for (int i = cities ? 0 : 4; i < (cities ? 4 : 8); ++i)
    if (trees[static_cast<std::size_t>(i)]) trees[static_cast<std::size_t>(i)]->CheckAll(checked);
  RefreshSyncCaches();
}

bool IsTreeId(int id) { return TreeIndexOfId(id) >= 0; }

void TreeChanged(int treeId) {
  int index = TreeIndexOfId(treeId);
  if (index < 0 || !trees[static_cast<std::size_t>(index)]) return;
  SyncAfterUserChange(SiteAt(index), index < 4 ? TreeKind::Cities : TreeKind::Sections);
}

void EnableTrees(bool enabled) {
  for (auto& tree : trees)
    if (tree) EnableWindow(tree->control(), enabled ? TRUE : FALSE);
}

void NameTreeUnderPointer(HWND tree) {
  MainWindowState& state = Main();
  int index = TreeIndexOfId(GetDlgCtrlID(tree));
  if (index < 0 || trees[static_cast<std::size_t>(index)] == nullptr ||
      trees[static_cast<std::size_t>(index)]->control() != tree)
    return;
  HWND& shown = index < 4 ? state.hoveredCityTree : state.hoveredSectionTree;
  if (shown == tree) return;  // only a change of tree is written
  shown = tree;
  SetControlText(index < 4 ? kIdCityTreeName : kIdSectionTreeName, TreeName(index));
}

bool HandleTreeNotify(NMHDR* header) {
  int id = static_cast<int>(header->idFrom);
  if (!IsTreeId(id)) return false;
  switch (header->code) {
    case NM_CLICK:
    case TVN_KEYDOWN:
    case NM_SETFOCUS:
    case NM_KILLFOCUS:
      // The tree toggles the box after this notification returns: look once
      // it has.
      PostTask(Main().window, [id] { TreeChanged(id); });
      return false;
    default:
      return false;
  }
}

}  // namespace vemtrix::ui

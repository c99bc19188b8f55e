#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "catalogs/catalog_files.h"
#include "catalogs/catalog_trees.h"
#include "catalogs/selection_sync.h"
#include "core/settings.h"

using namespace vemtrix;

namespace {

using Lines = std::vector<std::string>;

constexpr char kClCities[] =
    "\"Region\",\"CountryCode\",\"CountryName\",\"StateCode\",\"CityName\",\"CityURL\"\r\n"
    "\"North America\",\"CA\",\"Canada\",\"ON\",\"Toronto\",\"http://toronto.craigslist.ca\"\r\n"
    "\"North America\",\"CA\",\"Canada\",\"BC\",\"Vancouver\",\"http://vancouver.craigslist.ca\"\r\n"
    "\"North America\",\"US\",\"United States\",\"NY\",\"New York\",\"http://newyork.craigslist.org\"\r\n"
    "\"Europe\",\"GB\",\"United Kingdom\",\"\",\"London\",\"http://london.craigslist.co.uk\"\r\n"
    "\"Central America\",\"CR\",\"Costa Rica\",\"\",\"Default\",\"http://costarica.craigslist.org\"\r\n"
    "\"North America\",\"US\",\"United States\",\"OH\",\"Columbus\",\"http://columbus.craigslist.org\"\r\n";
constexpr char kKjCities[] =
    "\"Country\",\"State\",\"City\",\"URL\"\r\n"
    "\"Canada\",\"Ontario\",\"Toronto\",\"http://toronto.kijiji.ca\"\r\n"
    "\"Canada\",\"Ontario\",\"Ottawa\",\"http://ottawa.kijiji.ca\"\r\n"
    "\r\n"
    "\"United States\",\"Ohio\",\"Toronto\",\"http://toronto.kijiji.com\"\r\n"
    "\"United States\",\"New York\",\"New York\",\"http://newyork.kijiji.com\"\r\n"
    "\"United States\",\"Georgia\",\"Atlanta\",\"http://atlanta.kijiji.com\"\r\n"
    "\"Sakartvelo\",\"Georgia\",\"Tbilisi\",\"http://tbilisi.kijiji.com\"\r\n";
constexpr char kBpCities[] =
    "\"Country\",\"StateCode\",\"StateName\",\"CityName\",\"CityURL\"\r\n"
    "\"Canada\",\"ON\",\"Ontario\",\"Toronto\",\"http://toronto.backpage.com/\"\r\n"
    "\"United States\",\"OH\",\"Ohio\",\"Toronto\",\"http://torontooh.backpage.com/\"\r\n"
    "\"United States\",\"AL\",\"Alabama\",\"Default\",\"http://alabama.backpage.com/\"\r\n"
    "\"Costa Rica\",\"\",\"Costa Rica\",\"Default\",\"http://costarica.backpage.com/\"\r\n";
constexpr char kDaCities[] =
    "\"Country\",\"StateCode\",\"StateName\",\"CityName\",\"CityURL\"\r\n"
    "\"United States\",\"OH\",\"Ohio\",\"Toronto\",\"http://toronto.daype.com/\"\r\n"
    "\"United States\",\"NY\",\"New York\",\"New York\",\"http://newyork.daype.com/\"\r\n"
    "\"United States\",\"OH\",\"Ohio\",\"Columbus\",\"http://columbus.daype.com/\"\r\n";
constexpr char kClSections[] =
    "\"MasterSectionCode\",\"SectionCode\",\"SectionName\"\r\n"
    "\"ccc\",\"ccc\",\"Community (All)\"\r\n"
    "\"ccc\",\"act\",\"Activities\"\r\n"
    "\"ccc\",\"ats\",\"Artists\"\r\n"
    "\"ppp\",\"ppp\",\"Personals (All)\"\r\n"
    "\"ppp\",\"stp\",\"Strictly Platonic\"\r\n"
    "\"sss\",\"sss\",\"For Sale (All)\"\r\n"
    "\"sss\",\"bik\",\"Bicycles\"\r\n";
constexpr char kKjSections[] =
    "\"MasterSectionName\",\"SectionID\",\"SectionDir\",\"SectionName\"\r\n"
    "\"Community\",\"1\",\"c\",\"Community\"\r\n"
    "\"Community\",\"2\",\"a\",\"Activities\"\r\n"
    "\"Community\",\"3\",\"x\",\"artists\"\r\n"
    "\"Buy And Sell\",\"10\",\"b\",\"Buy And Sell\"\r\n"
    "\"Buy And Sell\",\"11\",\"bi\",\"Bicycles\"\r\n";
constexpr char kBpSections[] =
    "\"Section\",\"SectionName\",\"Category\",\"CategoryName\",\"DirectoryName\"\r\n"
    "\"1\",\"Community\",\"0\",\"Community\",\"community\"\r\n"
    "\"1\",\"Community\",\"11\",\"Activities\",\"activities\"\r\n"
    "\"2\",\"Personals\",\"0\",\"Personals\",\"personals\"\r\n"
    "\"2\",\"Personals\",\"21\",\"Strictly Platonic\",\"platonic\"\r\n"
    "\"2\",\"Personals\",\"22\",\"Men Seeking Women\",\"msw\"\r\n"
    "\"3\",\"Buy/Sell/Trade\",\"0\",\"Buy/Sell/Trade\",\"buysell\"\r\n"
    "\"3\",\"Buy/Sell/Trade\",\"31\",\"Bicycles\",\"bikes\"\r\n";
constexpr char kDaSections[] =
    "\"SectionName\",\"Category\",\"CategoryName\",\"SectionURL\"\r\n"
    "\"Community\",\"1\",\"Activities\",\"community\"\r\n"
    "\"Community\",\"2\",\"Artists\",\"community\"\r\n"
    "\"For Sale\",\"3\",\"Bicycles\",\"forsale\"\r\n"
    "\"Personals\",\"4\",\"Strictly Platonic\",\"personals\"\r\n"
    "\"Community\",\"5\",\"Volunteers\",\"community\"\r\n";

void LoadTestCatalogs() {
  LoadCatalogText(Catalog(CatalogId::ClCities), kClCities);
  LoadCatalogText(Catalog(CatalogId::KjCities), kKjCities);
  LoadCatalogText(Catalog(CatalogId::BpCities), kBpCities);
  LoadCatalogText(Catalog(CatalogId::DaCities), kDaCities);
  LoadCatalogText(Catalog(CatalogId::ClSections), kClSections);
  LoadCatalogText(Catalog(CatalogId::KjSections), kKjSections);
  LoadCatalogText(Catalog(CatalogId::BpSections), kBpSections);
  LoadCatalogText(Catalog(CatalogId::DaSections), kDaSections);
}

// The catalogs are process-wide: each test loads its own and leaves them empty.
class CatalogTreesTest : public ::testing::Test {
 protected:
  void SetUp() override { LoadTestCatalogs(); }
  void TearDown() override {
    for (SiteId site : {SiteId::Craigslist, SiteId::Kijiji, SiteId::Backpage, SiteId::Daype}) {
      ClearCatalog(CityCatalog(site));
      ClearCatalog(SectionCatalog(site));
    }
  }
};

// Labels from the top, joined by " > " (Backpage labels hold slashes).
std::string PathOf(const CatalogTree& tree, int node) {
  std::string path = tree.nodes[node].text;
  for (int n = tree.nodes[node].parent; n >= 0; n = tree.nodes[n].parent) path = tree.nodes[n].text + " > " + path;
  return path;
}

// The first node with this path; -1 when none.
int NodeAt(const CatalogTree& tree, const std::string& path) {
  for (int n = 0; n < static_cast<int>(tree.nodes.size()); ++n) {
    if (PathOf(tree, n) == path) return n;
  }
  return -1;
}

// The tree as the window shows it: depth first, children in the order they
// were added, two spaces of indent per level.
void RenderBelow(const CatalogTree& tree, int parent, Lines& lines) {
  for (int n = 0; n < static_cast<int>(tree.nodes.size()); ++n) {
    if (tree.nodes[n].parent != parent) continue;
    lines.push_back(std::string(2 * (tree.nodes[n].level - 1), ' ') + tree.nodes[n].text);
    RenderBelow(tree, n, lines);
  }
}
Lines Render(const CatalogTree& tree) {
  Lines lines;
  RenderBelow(tree, -1, lines);
  return lines;
}

// Depth-first order equals insertion order only when every node is added at
// the end of its parent's children and parents come first: checked here.
void ExpectWellFormed(const CatalogTree& tree) {
  for (int n = 0; n < static_cast<int>(tree.nodes.size()); ++n) {
    int parent = tree.nodes[n].parent;
    ASSERT_LT(parent, n);
    EXPECT_EQ(tree.nodes[n].level, parent < 0 ? 1 : tree.nodes[parent].level + 1);
  }
}

// A tree view in memory that records what the synchronisation does to it.
class FakeTree : public SyncTree {
 public:
  explicit FakeTree(std::size_t nodes) : checked(nodes, 0), expanded(nodes, 0) {}
  bool Checked(int node) override { return checked.at(node) != 0; }
  void SetChecked(int node, bool on) override {
    checked.at(node) = on ? 1 : 0;
    ++setCalls;
  }
  void Expand(int node) override { expanded.at(node) = 1; }
  void SetRedraw(bool on) override { redraw.push_back(on); }

  std::vector<int> checked;  // 2 stands for a state other than plain "checked"
  std::vector<char> expanded;
  std::vector<bool> redraw;
  int setCalls = 0;
};

constexpr std::array<SiteId, 4> kSites = {SiteId::Craigslist, SiteId::Kijiji, SiteId::Backpage, SiteId::Daype};

class SyncTest : public CatalogTreesTest {
 protected:
  void SetUp() override {
    CatalogTreesTest::SetUp();
    savedAutoSync_ = AppSettings().AutoSync;
    AppSettings().AutoSync = 1;
    for (SiteId site : kSites) {
      for (TreeKind kind : {TreeKind::Cities, TreeKind::Sections}) {
        Slot& slot = slots_[Index(site, kind)];
        slot.tree = BuildCatalogTree(site, kind);
        slot.view = std::make_unique<FakeTree>(slot.tree.nodes.size());
        AttachSyncTree(&slot.tree, slot.view.get());
      }
    }
  }
  void TearDown() override {
    DetachSyncTrees();
    AppSettings().AutoSync = savedAutoSync_;
    CatalogTreesTest::TearDown();
  }

  struct Slot {
    CatalogTree tree;
    std::unique_ptr<FakeTree> view;
  };
  static int Index(SiteId site, TreeKind kind) {
    return (static_cast<int>(site) - 1) * 2 + (kind == TreeKind::Sections);
  }
  const CatalogTree& Tree(SiteId site, TreeKind kind) { return slots_[Index(site, kind)].tree; }
  FakeTree& View(SiteId site, TreeKind kind) { return *slots_[Index(site, kind)].view; }

  int Node(SiteId site, TreeKind kind, const std::string& path) {
    int node = NodeAt(Tree(site, kind), path);
    EXPECT_GE(node, 0) << path;
    return node;
  }
  // The user changes one check box; the window then calls the handler.
  void Click(SiteId site, TreeKind kind, const std::string& path, int state) {
    View(site, kind).checked.at(Node(site, kind, path)) = state;
    SyncAfterUserChange(site, kind);
  }
  // Paths of the checked nodes of one tree, in node order.
  Lines CheckedPaths(SiteId site, TreeKind kind) {
    Lines out;
    const CatalogTree& tree = Tree(site, kind);
    for (int n = 0; n < static_cast<int>(tree.nodes.size()); ++n) {
      if (View(site, kind).checked[n]) out.push_back(PathOf(tree, n));
    }
    return out;
  }
  // Catalog rows (1-based) whose mark is set.
  static std::vector<int> MarkedRows(SiteId site, TreeKind kind) {
    const CatalogTable& table = kind == TreeKind::Cities ? CityCatalog(site) : SectionCatalog(site);
    std::vector<int> rows;
    for (int row = 1; row <= static_cast<int>(table.rows.size()); ++row) {
      if (table.Mark(row)) rows.push_back(row);
    }
    return rows;
  }
  int TotalSetCalls() {
    int total = 0;
    for (const Slot& slot : slots_) total += slot.view->setCalls;
    return total;
  }
  // Every handler, called again, finds nothing left to do.
  void ExpectAllHandlersIdle() {
    int before = TotalSetCalls();
    std::vector<std::vector<int>> marks;
    for (SiteId site : kSites) {
      marks.push_back(MarkedRows(site, TreeKind::Cities));
      marks.push_back(MarkedRows(site, TreeKind::Sections));
    }
    for (SiteId site : kSites) {
      SyncAfterUserChange(site, TreeKind::Cities);
      SyncAfterUserChange(site, TreeKind::Sections);
    }
    EXPECT_EQ(TotalSetCalls(), before);
    int i = 0;
    for (SiteId site : kSites) {
      EXPECT_EQ(MarkedRows(site, TreeKind::Cities), marks[i++]);
      EXPECT_EQ(MarkedRows(site, TreeKind::Sections), marks[i++]);
    }
  }

  std::array<Slot, 8> slots_;
  std::int32_t savedAutoSync_ = 1;
};

constexpr SiteId CL = SiteId::Craigslist;
constexpr SiteId KJ = SiteId::Kijiji;
constexpr SiteId BP = SiteId::Backpage;
constexpr SiteId DA = SiteId::Daype;
constexpr TreeKind Cities = TreeKind::Cities;
constexpr TreeKind Sections = TreeKind::Sections;

}  // namespace

TEST_F(CatalogTreesTest, CityTreesGroupDistinctValues) {

  CatalogTree cl = BuildCatalogTree(CL, Cities);
  ExpectWellFormed(cl);
  // A region or country seen again later reuses its first item; the
  // "Default" row has no item of its own.
  EXPECT_EQ(Render(cl), (Lines{"North America", "  Canada", "    Toronto", "    Vancouver", "  United States",
                               "    New York", "    Columbus", "Europe", "  United Kingdom", "    London",
                               "Central America", "  Costa Rica"}));
  EXPECT_EQ(cl.nodeOfRow, (std::vector<int>{2, 3, 5, 8, 10, 11}));
  EXPECT_EQ(cl.NodeOfRow(5), NodeAt(cl, "Central America > Costa Rica"));
  EXPECT_EQ(cl.NodeOfRow(0), -1);
  EXPECT_EQ(cl.NodeOfRow(7), -1);

  // The blank line is not a row; "Georgia" of the second country shares the
  // first one's item, so Tbilisi sits under United States > Georgia.
  CatalogTree kj = BuildCatalogTree(KJ, Cities);
  ExpectWellFormed(kj);
  EXPECT_EQ(Render(kj), (Lines{"Canada", "  Ontario", "    Toronto", "    Ottawa", "United States", "  Ohio",
                               "    Toronto", "  New York", "    New York", "  Georgia", "    Atlanta", "    Tbilisi",
                               "Sakartvelo"}));
  EXPECT_EQ(kj.NodeOfRow(6), NodeAt(kj, "United States > Georgia > Tbilisi"));

  // Backpage "Default" rows are ordinary cities.
  CatalogTree bp = BuildCatalogTree(BP, Cities);
  ExpectWellFormed(bp);
  EXPECT_EQ(Render(bp), (Lines{"Canada", "  Ontario", "    Toronto", "United States", "  Ohio", "    Toronto",
                               "  Alabama", "    Default", "Costa Rica", "  Costa Rica", "    Default"}));
  EXPECT_EQ(bp.nodeOfRow, (std::vector<int>{2, 5, 7, 10}));

  CatalogTree da = BuildCatalogTree(DA, Cities);
  ExpectWellFormed(da);
  EXPECT_EQ(Render(da), (Lines{"Ohio", "  Toronto", "  Columbus", "New York", "  New York"}));
  EXPECT_EQ(da.nodeOfRow, (std::vector<int>{1, 3, 4}));
  EXPECT_EQ(da.personalsNode, -1);
}

TEST_F(CatalogTreesTest, SectionTreesHaveTheirHeadings) {

  CatalogTree cl = BuildCatalogTree(CL, Sections);
  ExpectWellFormed(cl);
  EXPECT_EQ(Render(cl), (Lines{"Community (All)", "  Activities", "  Artists", "Personals (All)",
                               "  Strictly Platonic", "For Sale (All)", "  Bicycles"}));
  EXPECT_EQ(cl.nodeOfRow, (std::vector<int>{0, 1, 2, 3, 4, 5, 6}));

  CatalogTree kj = BuildCatalogTree(KJ, Sections);
  ExpectWellFormed(kj);
  EXPECT_EQ(Render(kj), (Lines{"Community (All)", "  Activities", "  artists", "Buy And Sell (All)", "  Bicycles"}));

  CatalogTree bp = BuildCatalogTree(BP, Sections);
  ExpectWellFormed(bp);
  EXPECT_EQ(Render(bp), (Lines{"Community (All)", "  Activities", "Personals (All)", "  Strictly Platonic",
                               "  Men Seeking Women", "Buy/Sell/Trade (All)", "  Bicycles"}));
  EXPECT_EQ(bp.personalsNode, 2);
  EXPECT_EQ(bp.personalsRow, 3);

  // Daype headings are items of their own, one per run of equal section
  // names; a name that comes back later gets a second heading.
  CatalogTree da = BuildCatalogTree(DA, Sections);
  ExpectWellFormed(da);
  EXPECT_EQ(Render(da), (Lines{"Community (All)", "  Activities", "  Artists", "For Sale (All)", "  Bicycles",
                               "Personals (All)", "  Strictly Platonic", "Community (All)", "  Volunteers"}));
  EXPECT_EQ(da.nodeOfRow, (std::vector<int>{1, 2, 4, 6, 8}));

  // An empty catalog gives an empty tree.
  LoadCatalogText(Catalog(CatalogId::DaSections), "\"SectionName\",\"Category\",\"CategoryName\",\"SectionURL\"\r\n");
  CatalogTree empty = BuildCatalogTree(DA, Sections);
  EXPECT_TRUE(empty.nodes.empty());
  EXPECT_TRUE(empty.nodeOfRow.empty());
}

TEST_F(SyncTest, SectionTickReachesOtherSitesByExactName) {
  Click(CL, Sections, "For Sale (All) > Bicycles", 1);
  EXPECT_EQ(CheckedPaths(KJ, Sections), (Lines{"Buy And Sell (All) > Bicycles"}));
  EXPECT_EQ(CheckedPaths(BP, Sections), (Lines{"Buy/Sell/Trade (All) > Bicycles"}));
  EXPECT_EQ(CheckedPaths(DA, Sections), (Lines{"For Sale (All) > Bicycles"}));
  EXPECT_EQ(MarkedRows(CL, Sections), (std::vector<int>{7}));
  EXPECT_EQ(MarkedRows(KJ, Sections), (std::vector<int>{5}));
  EXPECT_EQ(MarkedRows(BP, Sections), (std::vector<int>{7}));
  EXPECT_EQ(MarkedRows(DA, Sections), (std::vector<int>{3}));
  // The receiver brings the change into view: the node and its heading.
  EXPECT_TRUE(View(KJ, Sections).expanded[Node(KJ, Sections, "Buy And Sell (All)")]);
  EXPECT_TRUE(View(KJ, Sections).expanded[Node(KJ, Sections, "Buy And Sell (All) > Bicycles")]);
  EXPECT_FALSE(View(KJ, Sections).expanded[Node(KJ, Sections, "Community (All)")]);
  ExpectAllHandlersIdle();

  // "artists" differs only in capitalisation: not ticked. Any non-zero check
  // state counts as ticked.
  Click(CL, Sections, "Community (All) > Artists", 2);
  EXPECT_EQ(CheckedPaths(KJ, Sections), (Lines{"Buy And Sell (All) > Bicycles"}));
  EXPECT_EQ(CheckedPaths(DA, Sections), (Lines{"Community (All) > Artists", "For Sale (All) > Bicycles"}));
  EXPECT_EQ(MarkedRows(CL, Sections), (std::vector<int>{3, 7}));

  // Clearing goes the same way, and a Kijiji tick reaches Craigslist too.
  Click(CL, Sections, "For Sale (All) > Bicycles", 0);
  EXPECT_EQ(CheckedPaths(BP, Sections), Lines{});
  EXPECT_EQ(MarkedRows(KJ, Sections), std::vector<int>{});
  EXPECT_EQ(MarkedRows(DA, Sections), (std::vector<int>{2}));
  Click(KJ, Sections, "Community (All) > Activities", 1);
  EXPECT_EQ(CheckedPaths(CL, Sections), (Lines{"Community (All) > Activities", "Community (All) > Artists"}));
  EXPECT_EQ(CheckedPaths(BP, Sections), (Lines{"Community (All) > Activities"}));
  EXPECT_EQ(MarkedRows(KJ, Sections), (std::vector<int>{2}));
  ExpectAllHandlersIdle();
}

TEST_F(SyncTest, DaypeSectionsChangeOnlyTheirOwnTree) {
  Click(DA, Sections, "Personals (All) > Strictly Platonic", 1);
  EXPECT_EQ(CheckedPaths(DA, Sections), (Lines{"Personals (All) > Strictly Platonic"}));
  for (SiteId site : {CL, KJ, BP}) EXPECT_EQ(CheckedPaths(site, Sections), Lines{});
  EXPECT_TRUE(SyncCachedRowState(DA, Sections, 4));
  EXPECT_EQ(MarkedRows(DA, Sections), std::vector<int>{});  // the Daype handler keeps only its cache

  // A heading gives its state to its own run of rows, with redrawing off;
  // the later "Community (All)" run is not part of it.
  Click(DA, Sections, "Community (All)", 1);
  EXPECT_EQ(CheckedPaths(DA, Sections), (Lines{"Community (All)", "Community (All) > Activities",
                                               "Community (All) > Artists", "Personals (All) > Strictly Platonic"}));
  EXPECT_EQ(View(DA, Sections).redraw, (std::vector<bool>{false, true}));
  EXPECT_TRUE(SyncCachedRowState(DA, Sections, 1));
  EXPECT_TRUE(SyncCachedRowState(DA, Sections, 2));
  EXPECT_FALSE(SyncCachedRowState(DA, Sections, 5));
  for (SiteId site : {CL, KJ, BP}) EXPECT_EQ(CheckedPaths(site, Sections), Lines{});
  ExpectAllHandlersIdle();

  Click(DA, Sections, "Community (All)", 0);
  EXPECT_EQ(CheckedPaths(DA, Sections), (Lines{"Personals (All) > Strictly Platonic"}));
}

TEST_F(SyncTest, BackpagePersonalsHeadingSpreadsToItsOwnRows) {
  Click(BP, Sections, "Personals (All)", 1);
  EXPECT_EQ(CheckedPaths(BP, Sections), (Lines{"Personals (All)", "Personals (All) > Strictly Platonic",
                                               "Personals (All) > Men Seeking Women"}));
  EXPECT_EQ(MarkedRows(BP, Sections), (std::vector<int>{4, 5}));
  EXPECT_EQ(View(BP, Sections).redraw, (std::vector<bool>{false, true}));
  // Each row is sent by its category name.
  EXPECT_EQ(CheckedPaths(CL, Sections), (Lines{"Personals (All) > Strictly Platonic"}));
  EXPECT_EQ(CheckedPaths(DA, Sections), (Lines{"Personals (All) > Strictly Platonic"}));
  EXPECT_EQ(CheckedPaths(KJ, Sections), Lines{});
  ExpectAllHandlersIdle();

  // Other headings are rows of their own: no cascade, sent by category name
  // ("Community" is a Kijiji master section's name).
  Click(BP, Sections, "Community (All)", 1);
  EXPECT_EQ(MarkedRows(BP, Sections), (std::vector<int>{1, 4, 5}));
  EXPECT_FALSE(View(BP, Sections).checked[Node(BP, Sections, "Community (All) > Activities")]);
  EXPECT_EQ(CheckedPaths(KJ, Sections), (Lines{"Community (All)"}));
  EXPECT_EQ(View(BP, Sections).redraw.size(), 2u);

  Click(BP, Sections, "Personals (All)", 0);
  EXPECT_EQ(CheckedPaths(BP, Sections), (Lines{"Community (All)"}));
  EXPECT_EQ(CheckedPaths(CL, Sections), Lines{});
  EXPECT_EQ(MarkedRows(DA, Sections), std::vector<int>{});
}

TEST_F(SyncTest, CityTickMatchesCountryAndCity) {
  Click(CL, Cities, "North America > Canada > Toronto", 1);
  EXPECT_EQ(CheckedPaths(KJ, Cities), (Lines{"Canada > Ontario > Toronto"}));
  EXPECT_EQ(CheckedPaths(BP, Cities), (Lines{"Canada > Ontario > Toronto"}));
  EXPECT_EQ(CheckedPaths(DA, Cities), Lines{});  // Daype's Toronto is in the United States
  EXPECT_EQ(MarkedRows(KJ, Cities), (std::vector<int>{1}));
  EXPECT_EQ(MarkedRows(CL, Cities), std::vector<int>{});  // the city handler keeps only its cache
  EXPECT_TRUE(SyncCachedRowState(CL, Cities, 1));
  // Node, state and country come into view.
  const FakeTree& kj = View(KJ, Cities);
  for (const char* path : {"Canada", "Canada > Ontario", "Canada > Ontario > Toronto"}) {
    EXPECT_TRUE(kj.expanded[Node(KJ, Cities, path)]) << path;
  }
  EXPECT_FALSE(kj.expanded[Node(KJ, Cities, "United States")]);
  ExpectAllHandlersIdle();

  // The receiver trims the country and keeps the city up to its comma;
  // Daype takes only keys in the United States.
  TickCityByKey(DA, "Canada\\Toronto", true);
  EXPECT_EQ(CheckedPaths(DA, Cities), Lines{});
  TickCityByKey(DA, " United States \\ Toronto, OH", true);
  EXPECT_EQ(CheckedPaths(DA, Cities), (Lines{"Ohio > Toronto"}));
  EXPECT_EQ(MarkedRows(DA, Cities), (std::vector<int>{1}));

  // A Daype city goes to the others as a United States city.
  Click(DA, Cities, "New York > New York", 1);
  EXPECT_EQ(CheckedPaths(CL, Cities), (Lines{"North America > Canada > Toronto",
                                             "North America > United States > New York"}));
  EXPECT_EQ(CheckedPaths(KJ, Cities), (Lines{"Canada > Ontario > Toronto", "United States > New York > New York"}));

  // Check boxes the window set itself are taken over by RefreshSyncCaches,
  // so the next handler call sends nothing for them.
  View(KJ, Cities).checked[Node(KJ, Cities, "United States > Ohio > Toronto")] = 1;
  RefreshSyncCaches();
  SyncAfterUserChange(KJ, Cities);
  EXPECT_EQ(CheckedPaths(BP, Cities), (Lines{"Canada > Ontario > Toronto"}));
}

TEST_F(SyncTest, GroupNodesCascadeBeforeSending) {
  // Region: its countries and all its cities, each city sent on.
  Click(CL, Cities, "North America", 1);
  EXPECT_EQ(CheckedPaths(CL, Cities),
            (Lines{"North America", "North America > Canada", "North America > Canada > Toronto",
                   "North America > Canada > Vancouver", "North America > United States",
                   "North America > United States > New York", "North America > United States > Columbus"}));
  EXPECT_EQ(View(CL, Cities).redraw, (std::vector<bool>{false, true}));
  EXPECT_EQ(CheckedPaths(KJ, Cities), (Lines{"Canada > Ontario > Toronto", "United States > New York > New York"}));
  EXPECT_EQ(CheckedPaths(BP, Cities), (Lines{"Canada > Ontario > Toronto"}));
  EXPECT_EQ(CheckedPaths(DA, Cities), (Lines{"New York > New York", "Ohio > Columbus"}));
  ExpectAllHandlersIdle();

  // A country whose "Default" row is the country node itself: the row follows
  // the country once and is sent by its key "Costa Rica\Default".
  Click(CL, Cities, "Central America > Costa Rica", 1);
  EXPECT_TRUE(SyncCachedRowState(CL, Cities, 5));
  EXPECT_EQ(CheckedPaths(BP, Cities), (Lines{"Canada > Ontario > Toronto", "Costa Rica > Costa Rica > Default"}));
  ExpectAllHandlersIdle();

  // Country level: only the cities below it.
  Click(CL, Cities, "North America > Canada", 0);
  EXPECT_EQ(CheckedPaths(CL, Cities),
            (Lines{"North America", "North America > United States", "North America > United States > New York",
                   "Central America > Costa Rica", "North America > United States > Columbus"}));
  EXPECT_EQ(CheckedPaths(KJ, Cities), (Lines{"United States > New York > New York"}));

  // Kijiji: country, then state; the shared "Georgia" item takes Tbilisi along.
  Click(KJ, Cities, "United States > Georgia", 1);
  EXPECT_EQ(CheckedPaths(KJ, Cities), (Lines{"United States > New York > New York", "United States > Georgia",
                                             "United States > Georgia > Atlanta",
                                             "United States > Georgia > Tbilisi"}));
  Click(KJ, Cities, "Canada", 1);
  EXPECT_EQ(CheckedPaths(CL, Cities)[1], "North America > Canada > Toronto");
  EXPECT_FALSE(View(CL, Cities).checked[Node(CL, Cities, "North America > Canada")]);  // groups are not sent

  // Daype: its state level is the only group level; its cities go out as
  // United States cities.
  Click(DA, Cities, "Ohio", 1);
  EXPECT_EQ(CheckedPaths(DA, Cities), (Lines{"Ohio", "Ohio > Toronto", "New York > New York", "Ohio > Columbus"}));
  EXPECT_TRUE(View(BP, Cities).checked[Node(BP, Cities, "United States > Ohio > Toronto")]);
  EXPECT_TRUE(View(KJ, Cities).checked[Node(KJ, Cities, "United States > Ohio > Toronto")]);
  Click(DA, Cities, "Ohio", 0);
  EXPECT_EQ(CheckedPaths(DA, Cities), (Lines{"New York > New York"}));
  EXPECT_FALSE(View(CL, Cities).checked[Node(CL, Cities, "North America > United States > Columbus")]);
  EXPECT_FALSE(View(BP, Cities).checked[Node(BP, Cities, "United States > Ohio > Toronto")]);
  ExpectAllHandlersIdle();
}

TEST_F(SyncTest, AutoSyncOffKeepsChangesInTheClickedTree) {
  AppSettings().AutoSync = 0;
  Click(CL, Cities, "North America", 1);
  EXPECT_EQ(CheckedPaths(CL, Cities).size(), 7u);  // the cascade still runs
  Click(CL, Sections, "For Sale (All) > Bicycles", 1);
  EXPECT_EQ(MarkedRows(CL, Sections), (std::vector<int>{7}));
  Click(BP, Sections, "Personals (All)", 1);
  EXPECT_EQ(MarkedRows(BP, Sections), (std::vector<int>{4, 5}));
  for (SiteId site : {KJ, DA}) {
    EXPECT_EQ(CheckedPaths(site, Cities), Lines{});
    EXPECT_EQ(CheckedPaths(site, Sections), Lines{});
  }
  EXPECT_EQ(CheckedPaths(CL, Sections), (Lines{"For Sale (All) > Bicycles"}));

  // The setting is read at every change; earlier changes are not undone.
  AppSettings().AutoSync = 1;
  Click(CL, Cities, "North America > Canada > Toronto", 0);
  EXPECT_EQ(MarkedRows(KJ, Cities), std::vector<int>{});
  Click(CL, Cities, "North America > Canada > Toronto", 1);
  EXPECT_EQ(CheckedPaths(KJ, Cities), (Lines{"Canada > Ontario > Toronto"}));
  EXPECT_EQ(CheckedPaths(KJ, Sections), Lines{});
}

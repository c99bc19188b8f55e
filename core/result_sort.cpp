// Sorting the result store by one field (the results list's column sort).
//
// A million rows are sorted through small keys rather than by comparing the
// rows' texts: each row gets an item holding 8 bytes of its key (folded,
// big-endian, so integer order is text order), how much of the key is left,
// and its row number. The items are sorted; runs of items whose 8 bytes tie
// and whose keys go on are refilled with the next 8 bytes and sorted again,
// and so on. The row number breaks every remaining tie, which keeps equal
// keys in their old order. The rows are then moved into place once.
//
// Prices are numbers already: each row gets one 64-bit key, its price (or
// none, last) above its row number.
#include <algorithm>

#include "core/frontend.h"
#include "core/result_store.h"

namespace vemtrix {

namespace {

struct SortItem {
  std::uint64_t chunk;  // 8 key bytes from the current offset
  const char* key;      // the row's key (the rows stay put while sorting)
  std::uint32_t size;   // its length
  std::uint32_t left;   // key bytes from the offset on, at most kGoesOn
  std::uint32_t row;    // 0-based row
};

// left for a key that goes on past the current 8 bytes.
constexpr std::uint32_t kGoesOn = 9;

struct ItemLess {
  bool operator()(const SortItem& a, const SortItem& b) const {
    if (a.chunk != b.chunk) return a.chunk < b.chunk;
    if (a.left != b.left) return a.left < b.left;
    return a.row < b.row;
  }
};

// Sorts items [first, last); a run that is in order already (keys that tie
// to their end are in row order) costs one pass.
void SortItems(std::vector<SortItem>& items, std::size_t first, std::size_t last) {
  auto begin = items.begin() + static_cast<std::ptrdiff_t>(first);
  auto end = items.begin() + static_cast<std::ptrdiff_t>(last);
  if (!std::is_sorted(begin, end, ItemLess())) std::sort(begin, end, ItemLess());
}

struct Folding {
  unsigned char map[256];
  explicit Folding(bool ignoreCase) {
    for (int c = 0; c < 256; ++c) {
      map[c] = static_cast<unsigned char>(ignoreCase && c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    }
  }
};

// Fills item's chunk and left from key at offset. Descending order flips
// both, so that ascending integer order is descending text order; a key
// that ends first then comes after the longer keys it begins.
void FillItem(SortItem& item, std::size_t offset, const Folding& folding, bool descending) {
  std::string_view key(item.key, item.size);
  std::uint64_t chunk = 0;
  std::size_t left = key.size() > offset ? key.size() - offset : 0;
  std::size_t take = std::min<std::size_t>(left, 8);
  for (std::size_t i = 0; i < 8; ++i) {
    chunk <<= 8;
    if (i < take) chunk |= folding.map[static_cast<unsigned char>(key[offset + i])];
  }
  std::uint32_t length = static_cast<std::uint32_t>(std::min<std::size_t>(left, kGoesOn));
  item.chunk = descending ? ~chunk : chunk;
  item.left = descending ? kGoesOn - length : length;
}

// Moves the rows so that place k holds old row order[k] (0-based), following
// each cycle of the permutation; order is used up (every entry ends as its
// own place).
template <typename Rows>
void PlaceRows(Rows& rows, std::vector<std::uint32_t>& order) {
  for (std::size_t k = 0; k < order.size(); ++k) {
    if (order[k] == k) continue;
    auto held = std::move(rows[k]);
    std::size_t j = k;
    for (;;) {
      std::size_t from = order[j];
      order[j] = static_cast<std::uint32_t>(j);
      if (from == k) {
        rows[j] = std::move(held);
        break;
      }
      rows[j] = std::move(rows[from]);
      j = from;
    }
  }
}

}  // namespace

void ResultStore::SortByPrice(bool descending) {
  {
    std::lock_guard<std::mutex> guard(lock_);
    const std::size_t n = rows_.size();
    if (n < 2) return;
    // Prices are 0..2e9; none maps above every price in both directions.
    std::vector<std::uint64_t> keys(n);
    for (std::size_t i = 0; i < n; ++i) {
      const std::int32_t price = rows_[i].price;
      std::uint64_t rank = price == kNoPrice ? 0xFFFFFFFFu
                           : descending      ? static_cast<std::uint64_t>(0x7FFFFFFF - price)
                                             : static_cast<std::uint64_t>(price);
      keys[i] = rank << 32 | i;
    }
    if (!std::is_sorted(keys.begin(), keys.end())) std::sort(keys.begin(), keys.end());
    std::vector<std::uint32_t> order(n);
    for (std::size_t k = 0; k < n; ++k) order[k] = static_cast<std::uint32_t>(keys[k]);
    keys = {};
    PlaceRows(rows_, order);
    RebuildIndexLocked();
    emptyHint_ = rssHint_ = 0;
  }
  UI().ResultListRebuilt();
}

void ResultStore::SortByColumn(int field, bool descending, bool ignoreCase) {
  if (field < 1 || field > kResultFieldCount) return;
  const Folding folding(ignoreCase);
  const std::uint32_t goesOn = descending ? 0 : kGoesOn;
  {
    std::lock_guard<std::mutex> guard(lock_);
    const std::size_t n = rows_.size();
    if (n < 2) return;

    std::vector<SortItem> items(n);
    for (std::size_t i = 0; i < n; ++i) {
      std::string_view key = rows_[i].Get(field);
      items[i].key = key.data();
      items[i].size = static_cast<std::uint32_t>(key.size());
      items[i].row = static_cast<std::uint32_t>(i);
      FillItem(items[i], 0, folding, descending);
    }
    SortItems(items, 0, n);

    // Runs that tie on their 8 bytes and go on are sorted on the next 8.
    struct Range {
      std::size_t begin, end, offset;
    };
    std::vector<Range> pending = {Range{0, n, 0}};
    while (!pending.empty()) {
      Range range = pending.back();
      pending.pop_back();
      for (std::size_t first = range.begin; first < range.end;) {
        std::size_t last = first + 1;
        while (last < range.end && items[last].chunk == items[first].chunk && items[last].left == items[first].left) {
          ++last;
        }
        if (last - first > 1 && items[first].left == goesOn) {
          std::size_t offset = range.offset + 8;
          for (std::size_t i = first; i < last; ++i) {
            FillItem(items[i], offset, folding, descending);
          }
          SortItems(items, first, last);
          pending.push_back(Range{first, last, offset});
        }
        first = last;
      }
    }

    // Place k takes row items[k].row.
    std::vector<std::uint32_t> order(n);
    for (std::size_t k = 0; k < n; ++k) order[k] = items[k].row;
    items = {};
    PlaceRows(rows_, order);

    // Row numbers changed: the link index is rebuilt when next needed, and
    // the deep scan looks from the first row again.
    RebuildIndexLocked();
    emptyHint_ = rssHint_ = 0;
  }
  UI().ResultListRebuilt();
}

}  // namespace vemtrix

// The results list's display order over the result store's rows (1-based).
//
// Rows a search adds go to the top of the list; a load, a deletion or a sort
// rebuilds the list in store order. The list
// view reads it on demand, so RowAt is O(1) and the order costs 4 bytes a row
// (two vectors of row numbers; the rows pushed at the top are kept reversed,
// so a push is an append).
//
// It belongs to the window's thread: workers post their changes there.
#pragma once

#include <cstdint>
#include <vector>

namespace vemtrix {

class ResultOrder {
 public:
  // Number of rows shown.
  std::int32_t Size() const;

  // The store row shown at displayIndex (0-based); 0 outside the list.
  std::int32_t RowAt(std::int32_t displayIndex) const;

  // A search added row: it goes to the top. O(1) amortised.
  void PushTop(std::int32_t row);
  // The list shows rows 1..count in store order (after a load, a deletion or
  // a sort).
  void ResetToStoreOrder(std::int32_t count);
  // The list is empty.
  void Clear();

  // Bytes held, for the benchmark and the size check.
  std::size_t MemoryBytes() const;

 private:
  std::vector<std::int32_t> top_;   // newest last: display index 0 is top_.back()
  std::vector<std::int32_t> rest_;  // in display order, below the top rows
};

// How a click on the results list's column header sorts the store: the
// field (1..7) and the order; sorts = false for a column that does not sort.
struct ColumnSort {
  bool sorts = false;
  int field = 0;
  bool descending = false;
  bool ignoreCase = false;
};

// Column 0 "Date" sorts newest first by text; 1 "Title", 2 "City" and
// 3 "Section" sort ascending ignoring letter case; 4 "Full Text" and anything
// else do not sort.
ColumnSort SortForColumn(int column);

}  // namespace vemtrix

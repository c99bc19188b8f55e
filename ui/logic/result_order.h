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
#include <string>
#include <string>
#include <string_view>
#include <vector>

namespace vemtrix {

class ResultStore;

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

// The results list's columns, by sub-item (dragging a column to another
// place keeps its sub-item).
enum ResultColumn : int {
  kColumnDate = 0,
  kColumnTitle = 1,
  kColumnCity = 2,
  kColumnSection = 3,
  kColumnFullText = 4,
  kColumnPrice = 5,
};
inline constexpr int kResultColumnCount = 6;

// How a click on the results list's column header sorts the store: the
// field (1..7) or the price, and the order; sorts = false for a column that
// does not sort.
struct ColumnSort {
  bool sorts = false;
  int field = 0;
  bool descending = false;
  bool ignoreCase = false;
  bool byPrice = false;  // numeric, rows without a price last (field unused)
};

// The first click's order: column 0 "Date" sorts newest first by text;
// 1 "Title", 2 "City" and 3 "Section" sort ascending ignoring letter case;
// 5 "Price" sorts lowest first; 4 "Full Text" and anything else do not sort.
ColumnSort SortForColumn(int column);

// The same sort the other way round (rows without a price stay last).
ColumnSort Reversed(ColumnSort sort);

// Sorts the store as sort says (nothing for a column that does not sort).
void SortResults(ResultStore& store, const ColumnSort& sort);

// The order the list shows: which column it is sorted by (-1: none, the
// order the rows came in) and whether that column's order is reversed.
struct ListSort {
  int column = -1;
  bool reversed = false;
};

// The order after a click on column: a column other than the one shown sorts
// in its first order, the column shown sorts the other way round; a column
// that does not sort leaves the order as it is.
ListSort ListSortAfterClick(const ListSort& shown, int column);

// The store sort that shows order (sorts = false for none).
ColumnSort SortForListSort(const ListSort& order);

// The arrow a column's header shows: none for a column the list is not
// sorted by, Up for a list that ascends (A to Z, oldest date or lowest price
// first) and Down for one that descends.
enum class HeaderArrow { None, Up, Down };
HeaderArrow ArrowForColumn(const ListSort& shown, int column);

// What column (sub-item) of store row shows: the date, the title with its
// character references decoded, the city, the section, the Full Text mark
// (FullTextColumn), the price with thousands separators ("1,200"; empty for
// none). Empty outside the table.
std::string ResultCellText(const ResultStore& store, std::int32_t row, int column);

// The columns as the user arranged them (the ResultColumns setting): each
// column's sub-item and width in pixels, in the order shown.
struct ColumnPlace {
  int column = 0;
  int widthPx = 0;
  bool operator==(const ColumnPlace&) const = default;
};
// "0:66,1:200,...": every column once, widths 0 to 5000. Anything else (an
// empty text, a damaged one, a list of another number of columns) gives an
// empty list: the list as it comes.
std::vector<ColumnPlace> ParseResultColumns(std::string_view text);
std::string FormatResultColumns(const std::vector<ColumnPlace>& places);
std::string PriceColumnText(std::int32_t price);

}  // namespace vemtrix

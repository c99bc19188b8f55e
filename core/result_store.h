// The one in-memory table of harvested ads of the current search: a fixed
// capacity (MaxResults when created), rows 1..count without holes, a
// selection flag and a price per row, and one lock that every read and write
// takes. A row's price is worked out from its title and full text whenever
// they are stored (PriceOfAd); it is never saved.
#pragma once

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "core/link_index.h"
#include "core/price.h"

namespace vemtrix {

// Field numbers 1..7, the order other modules address them by.
enum ResultField : int {
  kFieldDate = 1,
  kFieldTitle = 2,
  kFieldCity = 3,
  kFieldSection = 4,
  kFieldLink = 5,
  kFieldFullText = 6,
  kFieldNewFlag = 7,
};
inline constexpr int kResultFieldCount = 7;

struct SearchResult {
  std::string date;
  std::string title;
  std::string city;
  std::string section;
  std::string link;
  std::string fullText;
  std::string newFlag;

  const std::string& Field(int field) const;
  std::string& Field(int field);
};

// Rows added since the last load or new search.
extern std::atomic<std::int32_t> NewThisRun;
// Unsaved changes exist.
extern std::atomic<std::int32_t> Dirty;
// Overflows reported since the program started (results were dropped).
extern std::atomic<std::int32_t> OverflowsReported;

// The marker that starts a full text taken from the search feed.
inline constexpr std::string_view kRssMarker = "<!--RSS-->";
// What an ad page says when the posting is gone.
inline constexpr std::string_view kExpiredNotice = "This posting has expired.";

// What a search run's appends take from the settings (RSSdescription and
// AudioPrompts), copied when the run starts.
struct AppendOptions {
  bool keepFeedText = true;
  bool audioPrompts = false;
};

class ResultStore {
 public:
  ResultStore();

  // Empties the table and sets its capacity to the current MaxResults.
  void Create();
  // Same as Create, then the results list is rebuilt (empty).
  void Clear();
  // For tests and tools: a table of the given capacity.
  void CreateWithCapacity(std::int32_t capacity);

  std::int32_t Count() const;
  std::int32_t Capacity() const;
  // Goes up each time the table is created afresh (Create, Clear), so a
  // record about the rows of one load can tell that they are gone.
  std::uint64_t Generation() const;

  // The run-time append of a search worker. Skips ads with a blank title or
  // link and ads whose trimmed link occurs in a stored link. Returns false
  // only after an overflow (the worker then stops its page and job).
  // added (when given) tells whether a row was added.
  bool AddFromSearch(const AppendOptions& options, std::string_view date, std::string_view title, std::string_view link,
                     std::string_view description, std::string_view city, std::string_view section,
                     bool* added = nullptr);
  // The load path: appends a row as it stands (no duplicate check). False
  // after an overflow, which has been reported.
  bool AppendLoaded(const SearchResult& row);
  // The same from field views (1..7 at index 0..6), without a copy in between.
  bool AppendLoaded(const std::array<std::string_view, kResultFieldCount>& fields);
  // The same without the report: false when the table is full.
  bool AppendLoadedQuietly(const std::array<std::string_view, kResultFieldCount>& fields);

  // The overflow report (speech, then the error box), with more (when given)
  // after the standard text; counted in OverflowsReported.
  static void ReportOverflow(std::int32_t count, bool audioPrompts, const std::string& more = std::string());

  // Empties the given rows (1-based), then removes every row with an empty
  // date, keeping order; the results list is rebuilt.
  void DeleteRows(const std::vector<std::int32_t>& rows);

  // Sorts the rows by field `field` (1..7) as text, byte by byte (letters
  // folded to lower case with ignoreCase), ascending or descending; rows with
  // equal keys keep their order, selection flags move with their rows. The
  // results list is rebuilt.
  void SortByColumn(int field, bool descending, bool ignoreCase);
  // Sorts the rows by price, lowest first or (descending) highest first; rows
  // without a price come last either way. Equal prices keep their order.
  void SortByPrice(bool descending);

  // Field `field` (1..7) of row `row` (1..count); empty outside the table.
  std::string Field(std::int32_t row, int field) const;
  SearchResult Row(std::int32_t row) const;
  // The price of row `row`; kNoPrice for a row without one or outside the table.
  std::int32_t Price(std::int32_t row) const;
  // Sets the full text of a row; false when the row does not exist.
  bool SetFullText(std::int32_t row, std::string_view text);

  // ---- deep scan
  // Rows a deep-scan command would work on: full text shorter than 50
  // characters, or, with overrideRss, holding feed text.
  std::int32_t CountRowsForDeepScan(bool overrideRss) const;
  // Rows a deep-scan worker still has to do: empty full text, or, with
  // overrideRss, feed text.
  std::int32_t CountRowsNeedingText(bool overrideRss) const;
  struct TakenRow {
    std::int32_t row = 0;  // 0 = nothing left
    std::string link;
    std::string previousText;
  };
  // In one step: the first row with an empty full text (else, with
  // overrideRss, the first holding feed text) gets "Pending".
  TakenRow TakeRowForDeepScan(bool overrideRss);
  // Gives a taken row its old full text back (when it still reads "Pending").
  void ReturnTakenRow(const TakenRow& taken);
  // Stores a downloaded text in the row whose link contains linkPart (the
  // taken row when it still matches, else the first such row). A found date
  // replaces the row's date; an expired posting gets the expiry text and the
  // date "0000-00-00". Returns the row, 0 when none matched.
  std::int32_t StoreDeepScanText(const TakenRow& taken, std::string_view linkPart, std::string_view text,
                                 std::string_view date);
  // A row without a link: link and full text become "Error".
  void MarkRowError(std::int32_t row);

  std::int32_t selected(std::int32_t row) const;
  void SetSelected(std::int32_t row, std::int32_t value);
  void ClearSelection();

  // Bytes the table holds (rows, text, index), for the benchmark.
  std::size_t MemoryBytes() const;

  // Calls visit(row, fields) for rows first..last (1-based) with the seven
  // fields as views (fields[1..7]), a batch at a time under the lock; the
  // views are valid only during the call. A visitor taking a third argument
  // gets the row's price too.
  template <typename Visit>
  void ForEachRow(Visit visit) const {
    for (std::int32_t first = 1;; first += kVisitBatch) {
      std::lock_guard<std::mutex> guard(lock_);
      std::int32_t count = static_cast<std::int32_t>(rows_.size());
      if (first > count) return;
      std::int32_t last = std::min(count, first + kVisitBatch - 1);
      std::string_view fields[kResultFieldCount + 1];
      for (std::int32_t row = first; row <= last; ++row) {
        const PackedRow& packed = rows_[static_cast<std::size_t>(row - 1)];
        for (int f = 1; f <= kResultFieldCount; ++f) fields[f] = packed.Get(f);
        if constexpr (std::is_invocable_v<Visit&, std::int32_t, const std::string_view*, std::int32_t>) {
          visit(row, static_cast<const std::string_view*>(fields), packed.price);
        } else {
          visit(row, static_cast<const std::string_view*>(fields));
        }
      }
    }
  }
  static constexpr std::int32_t kVisitBatch = 4096;

 private:
  // One row's seven fields in one block: ends[i] is where field i+1 ends (the
  // last field ends with the block), then the selection flag and the price;
  // 64 bytes with the string.
  struct PackedRow {
    std::string data;
    std::uint32_t ends[kResultFieldCount - 1] = {};
    std::int32_t selected = 0;
    std::int32_t price = kNoPrice;

    std::string_view Get(int field) const;
    void Set(const SearchResult& row);
    void Set(const std::array<std::string_view, kResultFieldCount>& fields);
    SearchResult Unpack() const;
  };
  // The price costs a row no bytes: it sits where the seventh end would be.
  static_assert(sizeof(PackedRow) == sizeof(std::string) + 32, "a row is its text and 32 bytes");

  void RebuildIndexLocked();
  // Adds the rows not yet in the index (loaded rows are indexed only when a
  // duplicate check first needs them).
  void EnsureIndexedLocked();
  std::size_t indexedRows_ = 0;
  bool AppendLocked(const SearchResult& row);
  bool AppendLoadedLocked(const std::array<std::string_view, kResultFieldCount>& fields);

  // No row before these may be empty / hold feed text (deep-scan search hints).
  std::size_t emptyHint_ = 0;
  std::size_t rssHint_ = 0;
  void LowerHints(std::size_t index);

  mutable std::mutex lock_;
  std::vector<PackedRow> rows_;
  std::int32_t capacity_ = 0;
  std::uint64_t generation_ = 0;
  LinkIndex index_;
};

// The process-wide store.
ResultStore& Results();

}  // namespace vemtrix

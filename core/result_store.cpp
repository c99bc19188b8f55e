#include "core/result_store.h"

#include "core/frontend.h"
#include "core/settings.h"
#include "core/text.h"

namespace vemtrix {

std::atomic<std::int32_t> NewThisRun{0};
std::atomic<std::int32_t> Dirty{0};
std::atomic<std::int32_t> OverflowsReported{0};

namespace {

const char kOverflowSpeech[] = "Oh no! The results list has over-flowed!";

}  // namespace

const std::string& SearchResult::Field(int field) const {
  return const_cast<SearchResult*>(this)->Field(field);
}

std::string& SearchResult::Field(int field) {
  switch (field) {
    case kFieldDate: return date;
    case kFieldTitle: return title;
    case kFieldCity: return city;
    case kFieldSection: return section;
    case kFieldLink: return link;
    case kFieldFullText: return fullText;
    default: return newFlag;
  }
}

// ---------------------------------------------------------------- packed rows

std::string_view ResultStore::PackedRow::Get(int field) const {
  if (field < 1 || field > kResultFieldCount) return {};
  std::size_t start = field == 1 ? 0 : ends[field - 2];
  std::size_t end = field == kResultFieldCount ? data.size() : ends[field - 1];
  return std::string_view(data).substr(start, end - start);
}

void ResultStore::PackedRow::Set(const SearchResult& row) {
  std::array<std::string_view, kResultFieldCount> fields;
  for (int f = 1; f <= kResultFieldCount; ++f) fields[static_cast<std::size_t>(f - 1)] = row.Field(f);
  Set(fields);
}

void ResultStore::PackedRow::Set(const std::array<std::string_view, kResultFieldCount>& fields) {
  std::size_t size = 0;
  for (std::string_view field : fields) size += field.size();
  std::string packed;
  packed.reserve(size);
  for (std::size_t f = 0; f < fields.size(); ++f) {
    packed += fields[f];
    if (f + 1 < fields.size()) ends[f] = static_cast<std::uint32_t>(packed.size());
  }
  data = std::move(packed);
  price = PriceOfAd(fields[kFieldTitle - 1], fields[kFieldFullText - 1]);
}

SearchResult ResultStore::PackedRow::Unpack() const {
  SearchResult row;
  for (int f = 1; f <= kResultFieldCount; ++f) row.Field(f) = std::string(Get(f));
  return row;
}

// ---------------------------------------------------------------- the store

ResultStore::ResultStore()
    : index_([this](std::uint32_t row) { return rows_[row].Get(kFieldLink); }) {}

ResultStore& Results() {
  static ResultStore store;
  return store;
}

void ResultStore::CreateWithCapacity(std::int32_t capacity) {
  std::lock_guard<std::mutex> guard(lock_);
  rows_.clear();
  rows_.shrink_to_fit();
  capacity_ = capacity < 0 ? 0 : capacity;
  generation_ += 1;
  rows_.reserve(static_cast<std::size_t>(capacity_));
  index_.Clear();
  indexedRows_ = 0;
  emptyHint_ = rssHint_ = 0;
}

void ResultStore::Create() { CreateWithCapacity(AppSettings().MaxResults); }

void ResultStore::Clear() {
  Create();
  UI().ResultListRebuilt();
  UI().ShowResultCounters(NewThisRun.load(), 0);
}

std::int32_t ResultStore::Count() const {
  std::lock_guard<std::mutex> guard(lock_);
  return static_cast<std::int32_t>(rows_.size());
}

std::int32_t ResultStore::Capacity() const {
  std::lock_guard<std::mutex> guard(lock_);
  return capacity_;
}

std::uint64_t ResultStore::Generation() const {
  std::lock_guard<std::mutex> guard(lock_);
  return generation_;
}

void ResultStore::ReportOverflow(std::int32_t count, bool audioPrompts, const std::string& more) {
  OverflowsReported += 1;
  if (audioPrompts) UI().Speak(kOverflowSpeech);
  UI().ShowMessage("Error",
                   "The results list has overflowed (" + FormatCount(count) +
                       " elements). Please increase max results in the settings." + (more.empty() ? "" : " " + more),
                   MessageIcon::Error, MessageButtons::Ok);
}

bool ResultStore::AppendLocked(const SearchResult& row) {
  std::array<std::string_view, kResultFieldCount> fields;
  for (int f = 1; f <= kResultFieldCount; ++f) fields[static_cast<std::size_t>(f - 1)] = row.Field(f);
  return AppendLoadedLocked(fields);
}

void ResultStore::EnsureIndexedLocked() {
  if (indexedRows_ == rows_.size()) return;
  index_.Reserve(rows_.size());
  for (; indexedRows_ < rows_.size(); ++indexedRows_) {
    index_.Add(static_cast<std::uint32_t>(indexedRows_), rows_[indexedRows_].Get(kFieldLink));
  }
}

bool ResultStore::AddFromSearch(const AppendOptions& options, std::string_view date, std::string_view title,
                                std::string_view link, std::string_view description, std::string_view city,
                                std::string_view section, bool* addedRow) {
  if (addedRow != nullptr) *addedRow = false;
  std::string_view trimmedTitle = Trim(title);
  std::string_view trimmedLink = Trim(link);
  if (trimmedTitle.empty() || trimmedLink.empty()) return true;

  SearchResult row;
  row.date = std::string(Trim(date));
  row.title = std::string(trimmedTitle);
  if (options.keepFeedText && description.size() > 25) {
    row.fullText = std::string(kRssMarker) + std::string(Trim(description));
  }
  row.city = std::string(city);
  row.section = std::string(section);
  row.link = std::string(trimmedLink);
  row.newFlag = "Yes";

  std::int32_t added = 0;
  std::int32_t total = 0;
  {
    std::lock_guard<std::mutex> guard(lock_);
    // The duplicate check runs under the lock, so two workers holding the
    // same ad cannot both add it.
    EnsureIndexedLocked();
    if (index_.ContainsSubstring(row.link, static_cast<std::uint32_t>(rows_.size()))) return true;
    total = static_cast<std::int32_t>(rows_.size());
    if (!AppendLocked(row)) {
      added = -1;
    } else {
      EnsureIndexedLocked();
      added = total + 1;
      total = added;
      NewThisRun += 1;
      AppSettings().SuperResults += 1;
    }
  }
  if (added < 0) {
    ReportOverflow(total, options.audioPrompts);
    return false;
  }
  Dirty = 1;
  if (addedRow != nullptr) *addedRow = true;
  UI().ShowResultCounters(NewThisRun.load(), total);
  UI().ResultAddedAtTop(added);
  return true;
}

bool ResultStore::AppendLoaded(const SearchResult& row) {
  std::array<std::string_view, kResultFieldCount> fields;
  for (int f = 1; f <= kResultFieldCount; ++f) fields[static_cast<std::size_t>(f - 1)] = row.Field(f);
  return AppendLoaded(fields);
}

bool ResultStore::AppendLoadedLocked(const std::array<std::string_view, kResultFieldCount>& fields) {
  if (static_cast<std::int32_t>(rows_.size()) >= capacity_) return false;
  rows_.emplace_back();
  rows_.back().Set(fields);
  return true;
}

bool ResultStore::AppendLoadedQuietly(const std::array<std::string_view, kResultFieldCount>& fields) {
  std::lock_guard<std::mutex> guard(lock_);
  return AppendLoadedLocked(fields);
}

bool ResultStore::AppendLoaded(const std::array<std::string_view, kResultFieldCount>& fields) {
  std::int32_t total = 0;
  {
    std::lock_guard<std::mutex> guard(lock_);
    if (AppendLoadedLocked(fields)) return true;
    total = static_cast<std::int32_t>(rows_.size());
  }
  ReportOverflow(total, AppSettings().AudioPrompts != 0);
  return false;
}

void ResultStore::RebuildIndexLocked() {
  // Rebuilt when the next duplicate check needs it.
  index_.Clear();
  indexedRows_ = 0;
}

void ResultStore::DeleteRows(const std::vector<std::int32_t>& rows) {
  {
    std::lock_guard<std::mutex> guard(lock_);
    for (std::int32_t row : rows) {
      if (row >= 1 && row <= static_cast<std::int32_t>(rows_.size())) {
        rows_[static_cast<std::size_t>(row - 1)].Set(SearchResult());
      }
    }
    // Rows with an empty date are removed, later rows move up in order.
    std::size_t kept = 0;
    for (std::size_t i = 0; i < rows_.size(); ++i) {
      if (rows_[i].Get(kFieldDate).empty()) continue;
      if (kept != i) rows_[kept] = std::move(rows_[i]);
      ++kept;
    }
    rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(kept), rows_.end());
    RebuildIndexLocked();
    emptyHint_ = rssHint_ = 0;
  }
  UI().ResultListRebuilt();
  UI().ShowResultCounters(NewThisRun.load(), Count());
}

std::string ResultStore::Field(std::int32_t row, int field) const {
  std::lock_guard<std::mutex> guard(lock_);
  if (row < 1 || row > static_cast<std::int32_t>(rows_.size())) return std::string();
  return std::string(rows_[static_cast<std::size_t>(row - 1)].Get(field));
}

SearchResult ResultStore::Row(std::int32_t row) const {
  std::lock_guard<std::mutex> guard(lock_);
  if (row < 1 || row > static_cast<std::int32_t>(rows_.size())) return SearchResult();
  return rows_[static_cast<std::size_t>(row - 1)].Unpack();
}

std::int32_t ResultStore::Price(std::int32_t row) const {
  std::lock_guard<std::mutex> guard(lock_);
  if (row < 1 || row > static_cast<std::int32_t>(rows_.size())) return kNoPrice;
  return rows_[static_cast<std::size_t>(row - 1)].price;
}

bool ResultStore::SetFullText(std::int32_t row, std::string_view text) {
  {
    std::lock_guard<std::mutex> guard(lock_);
    if (row < 1 || row > static_cast<std::int32_t>(rows_.size())) return false;
    PackedRow& packed = rows_[static_cast<std::size_t>(row - 1)];
    SearchResult fields = packed.Unpack();
    fields.fullText = std::string(text);
    packed.Set(fields);
    LowerHints(static_cast<std::size_t>(row - 1));
  }
  UI().ResultChanged(row);
  return true;
}

// ---------------------------------------------------------------- deep scan

namespace {

bool HoldsFeedText(std::string_view fullText) { return fullText.find(kRssMarker) != std::string_view::npos; }

}  // namespace

void ResultStore::LowerHints(std::size_t index) {
  if (index < emptyHint_) emptyHint_ = index;
  if (index < rssHint_) rssHint_ = index;
}

std::int32_t ResultStore::CountRowsForDeepScan(bool overrideRss) const {
  std::lock_guard<std::mutex> guard(lock_);
  std::int32_t needed = 0;
  for (const PackedRow& row : rows_) {
    std::string_view text = row.Get(kFieldFullText);
    needed += text.size() < 50 || (overrideRss && HoldsFeedText(text));
  }
  return needed;
}

std::int32_t ResultStore::CountRowsNeedingText(bool overrideRss) const {
  std::lock_guard<std::mutex> guard(lock_);
  std::int32_t needed = 0;
  for (const PackedRow& row : rows_) {
    std::string_view text = row.Get(kFieldFullText);
    needed += text.empty() || (overrideRss && HoldsFeedText(text));
  }
  return needed;
}

ResultStore::TakenRow ResultStore::TakeRowForDeepScan(bool overrideRss) {
  std::lock_guard<std::mutex> guard(lock_);
  TakenRow taken;
  auto take = [&](std::size_t i) {
    SearchResult fields = rows_[i].Unpack();
    taken.row = static_cast<std::int32_t>(i + 1);
    taken.link = fields.link;
    taken.previousText = fields.fullText;
    fields.fullText = "Pending";
    // The row keeps its price while its text is being downloaded.
    const std::int32_t price = rows_[i].price;
    rows_[i].Set(fields);
    rows_[i].price = price;
  };
  for (; emptyHint_ < rows_.size(); ++emptyHint_) {
    if (rows_[emptyHint_].Get(kFieldFullText).empty()) {
      take(emptyHint_++);
      return taken;
    }
  }
  if (overrideRss) {
    for (; rssHint_ < rows_.size(); ++rssHint_) {
      if (HoldsFeedText(rows_[rssHint_].Get(kFieldFullText))) {
        take(rssHint_++);
        return taken;
      }
    }
  }
  return taken;
}

void ResultStore::ReturnTakenRow(const TakenRow& taken) {
  {
    std::lock_guard<std::mutex> guard(lock_);
    std::size_t i = static_cast<std::size_t>(taken.row - 1);
    if (taken.row < 1 || i >= rows_.size() || rows_[i].Get(kFieldFullText) != "Pending" ||
        rows_[i].Get(kFieldLink) != taken.link) {
      return;
    }
    SearchResult fields = rows_[i].Unpack();
    fields.fullText = taken.previousText;
    rows_[i].Set(fields);
    LowerHints(i);
  }
  UI().ResultChanged(taken.row);
}

std::int32_t ResultStore::StoreDeepScanText(const TakenRow& taken, std::string_view linkPart,
                                            std::string_view text, std::string_view date) {
  std::int32_t found = 0;
  {
    std::lock_guard<std::mutex> guard(lock_);
    std::size_t i = static_cast<std::size_t>(taken.row - 1);
    if (taken.row >= 1 && i < rows_.size() && rows_[i].Get(kFieldLink).find(linkPart) != std::string_view::npos) {
      found = taken.row;
    } else {
      for (std::size_t r = 0; r < rows_.size() && found == 0; ++r) {
        if (rows_[r].Get(kFieldLink).find(linkPart) != std::string_view::npos) found = static_cast<std::int32_t>(r + 1);
      }
    }
    if (found == 0) return 0;
    PackedRow& packed = rows_[static_cast<std::size_t>(found - 1)];
    SearchResult fields = packed.Unpack();
    if (!date.empty()) fields.date = std::string(date);
    fields.fullText = std::string(text);
    if (text.find(kExpiredNotice) != std::string_view::npos) {
      fields.fullText = "This posting has expired and will be removed shortly.";
      fields.date = "0000-00-00";
    }
    packed.Set(fields);
  }
  Dirty = 1;
  UI().ResultChanged(found);
  return found;
}

void ResultStore::MarkRowError(std::int32_t row) {
  {
    std::lock_guard<std::mutex> guard(lock_);
    if (row < 1 || row > static_cast<std::int32_t>(rows_.size())) return;
    PackedRow& packed = rows_[static_cast<std::size_t>(row - 1)];
    SearchResult fields = packed.Unpack();
    fields.link = "Error";
    fields.fullText = "Error";
    packed.Set(fields);
    RebuildIndexLocked();
  }
  UI().ResultChanged(row);
}

std::int32_t ResultStore::selected(std::int32_t row) const {
  std::lock_guard<std::mutex> guard(lock_);
  if (row < 1 || row > static_cast<std::int32_t>(rows_.size())) return 0;
  return rows_[static_cast<std::size_t>(row - 1)].selected;
}

void ResultStore::SetSelected(std::int32_t row, std::int32_t value) {
  std::lock_guard<std::mutex> guard(lock_);
  if (row >= 1 && row <= static_cast<std::int32_t>(rows_.size())) {
    rows_[static_cast<std::size_t>(row - 1)].selected = value;
  }
}

void ResultStore::ClearSelection() {
  std::lock_guard<std::mutex> guard(lock_);
  for (PackedRow& row : rows_) row.selected = 0;
}

std::size_t ResultStore::MemoryBytes() const {
  std::lock_guard<std::mutex> guard(lock_);
  const_cast<ResultStore*>(this)->EnsureIndexedLocked();
  std::size_t bytes = rows_.capacity() * sizeof(PackedRow) + index_.MemoryBytes();
  for (const PackedRow& row : rows_) {
    if (row.data.capacity() > 15) bytes += row.data.capacity() + 1;
  }
  return bytes;
}

}  // namespace vemtrix

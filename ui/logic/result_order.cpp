#include "ui/logic/result_order.h"

#include "core/character_references.h"
#include "core/frontend.h"
#include "core/result_store.h"
#include "ui/logic/window_text.h"

namespace vemtrix {

std::int32_t ResultOrder::Size() const { return static_cast<std::int32_t>(top_.size() + rest_.size()); }

std::int32_t ResultOrder::RowAt(std::int32_t displayIndex) const {
  if (displayIndex < 0) return 0;
  std::size_t index = static_cast<std::size_t>(displayIndex);
  if (index < top_.size()) return top_[top_.size() - 1 - index];
  index -= top_.size();
  return index < rest_.size() ? rest_[index] : 0;
}

void ResultOrder::PushTop(std::int32_t row) { top_.push_back(row); }

void ResultOrder::ResetToStoreOrder(std::int32_t count) {
  top_.clear();
  rest_.resize(count > 0 ? static_cast<std::size_t>(count) : 0);
  for (std::size_t i = 0; i < rest_.size(); ++i) rest_[i] = static_cast<std::int32_t>(i + 1);
}

void ResultOrder::Clear() {
  top_.clear();
  rest_.clear();
}

std::size_t ResultOrder::MemoryBytes() const { return (top_.capacity() + rest_.capacity()) * sizeof(std::int32_t); }

ColumnSort SortForColumn(int column) {
  switch (column) {
    case kColumnDate: return ColumnSort{true, kFieldDate, true, false};
    case kColumnTitle: return ColumnSort{true, kFieldTitle, false, true};
    case kColumnCity: return ColumnSort{true, kFieldCity, false, true};
    case kColumnSection: return ColumnSort{true, kFieldSection, false, true};
    case kColumnPrice: return ColumnSort{true, 0, false, false, true};
    default: return ColumnSort{};
  }
}

ColumnSort Reversed(ColumnSort sort) {
  sort.descending = !sort.descending;
  return sort;
}

void SortResults(ResultStore& store, const ColumnSort& sort) {
  if (!sort.sorts) return;
  if (sort.byPrice) {
    store.SortByPrice(sort.descending);
  } else {
    store.SortByColumn(sort.field, sort.descending, sort.ignoreCase);
  }
}

ListSort ListSortAfterClick(const ListSort& shown, int column) {
  if (!SortForColumn(column).sorts) return shown;
  if (shown.column == column) return ListSort{column, !shown.reversed};
  return ListSort{column, false};
}

ColumnSort SortForListSort(const ListSort& order) {
  ColumnSort sort = SortForColumn(order.column);
  return order.reversed ? Reversed(sort) : sort;
}

HeaderArrow ArrowForColumn(const ListSort& shown, int column) {
  if (shown.column != column) return HeaderArrow::None;
  ColumnSort sort = SortForListSort(shown);
  if (!sort.sorts) return HeaderArrow::None;
  return sort.descending ? HeaderArrow::Down : HeaderArrow::Up;
}

std::string PriceColumnText(std::int32_t price) { return price == kNoPrice ? std::string() : FormatCount(price); }

std::string ResultCellText(const ResultStore& store, std::int32_t row, int column) {
  switch (column) {
    case kColumnDate: return store.Field(row, kFieldDate);
    case kColumnTitle: return DecodeCharacterReferences(store.Field(row, kFieldTitle));
    case kColumnCity: return store.Field(row, kFieldCity);
    case kColumnSection: return store.Field(row, kFieldSection);
    case kColumnFullText: return FullTextColumn(store.Field(row, kFieldFullText));
    case kColumnPrice: return PriceColumnText(store.Price(row));
    default: return std::string();
  }
}

std::vector<ColumnPlace> ParseResultColumns(std::string_view text) {
  std::vector<ColumnPlace> places;
  std::vector<bool> seen(kResultColumnCount, false);
  while (!text.empty()) {
    const std::size_t comma = text.find(',');
    const std::string_view item = text.substr(0, comma);
    text = comma == std::string_view::npos ? std::string_view() : text.substr(comma + 1);
    const std::size_t colon = item.find(':');
    if (colon == std::string_view::npos || colon == 0 || colon + 1 >= item.size()) return {};
    int numbers[2] = {0, 0};
    const std::string_view parts[2] = {item.substr(0, colon), item.substr(colon + 1)};
    for (int i = 0; i < 2; ++i) {
      if (parts[i].size() > 4) return {};
      for (char c : parts[i]) {
        if (c < '0' || c > '9') return {};
        numbers[i] = numbers[i] * 10 + (c - '0');
      }
    }
    if (numbers[0] >= kResultColumnCount || seen[static_cast<std::size_t>(numbers[0])] || numbers[1] > 5000) return {};
    seen[static_cast<std::size_t>(numbers[0])] = true;
    places.push_back({numbers[0], numbers[1]});
  }
  if (places.size() != static_cast<std::size_t>(kResultColumnCount)) return {};
  return places;
}

std::string FormatResultColumns(const std::vector<ColumnPlace>& places) {
  std::string text;
  for (const ColumnPlace& place : places) {
    if (!text.empty()) text += ',';
    text += std::to_string(place.column) + ":" + std::to_string(place.widthPx);
  }
  return text;
}

}  // namespace vemtrix

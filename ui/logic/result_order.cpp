#include "ui/logic/result_order.h"

#include "core/result_store.h"

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
    case 0: return ColumnSort{true, kFieldDate, true, false};
    case 1: return ColumnSort{true, kFieldTitle, false, true};
    case 2: return ColumnSort{true, kFieldCity, false, true};
    case 3: return ColumnSort{true, kFieldSection, false, true};
    default: return ColumnSort{};
  }
}

}  // namespace vemtrix

#include "core/frontend.h"

#include <atomic>
#include <string>

namespace vemtrix {
namespace {

NullFrontend& Silent() {
  static NullFrontend silent;
  return silent;
}

std::atomic<Frontend*> current{nullptr};

}  // namespace

Frontend& UI() {
  Frontend* frontend = current.load(std::memory_order_acquire);
  return frontend != nullptr ? *frontend : Silent();
}

void SetFrontend(Frontend* frontend) { current.store(frontend, std::memory_order_release); }

}  // namespace vemtrix

namespace vemtrix {

std::string FormatCount(std::int64_t value) {
  bool negative = value < 0;
  std::uint64_t magnitude = negative ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
  std::string digits = std::to_string(magnitude);
  std::string out;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
    out += digits[i];
  }
  return negative ? "-" + out : out;
}

}  // namespace vemtrix

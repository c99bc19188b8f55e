#include "core/frontend.h"

#include <atomic>

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

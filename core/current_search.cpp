#include "core/current_search.h"

namespace vemtrix {

SearchDefinition& CurrentSearch() {
  static SearchDefinition search;
  return search;
}

}  // namespace vemtrix

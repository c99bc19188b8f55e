// The state or province of a result, told by its link: Craigslist links by
// the host-to-state table, Kijiji links by the city catalog and the built-in
// subdivision tables.
#pragma once

#include <string>
#include <string_view>

namespace vemtrix {

// The two-letter state or province code of a result from its link; "--"
// when no catalog row tells it.
std::string StateCodeForLink(std::string_view link);

}  // namespace vemtrix

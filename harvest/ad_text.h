// The full text of one ad, cut from its downloaded page with per-site markers.
#pragma once

#include <string>
#include <string_view>

namespace vemtrix {

struct AdText {
  std::string text;
  std::string date;  // YYYY-MM-DD when the page gives one (Daype), else empty
};

// host is the ad's host (it tells the site); page the whole response.
AdText ExtractAdText(std::string_view host, std::string_view page);

}  // namespace vemtrix

// The four sites by number: the one type every module names a site by. What
// is known about each site is in harvest/sites.h.
#pragma once

namespace vemtrix {

enum class SiteId { None = 0, Craigslist = 1, Kijiji = 2, Backpage = 3, Daype = 4 };

}  // namespace vemtrix

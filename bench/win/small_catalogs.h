// The nine catalogs of a small world, one row or so each: enough for the
// window benchmarks, which time the results list, not the trees.
#pragma once

#include <string>
#include <utility>

#include "platform/platform.h"

namespace vemtrix::bench {

inline void WriteCatalogs(const std::string& folder) {
  const std::pair<const char*, const char*> files[] = {
      {"CLcitylist.csv", "\"Region\",\"CountryCode\",\"CountryName\",\"StateCode\",\"CityName\",\"CityURL\"\r\n"
                         "\"North America\",\"US\",\"United States\",\"WA\",\"Seattle\",\"http://seattle.craigslist.org/\"\r\n"},
      {"CLsectlist.csv", "\"MasterSectionCode\",\"SectionCode\",\"SectionName\"\r\n\"sss\",\"bik\",\"Bicycles\"\r\n"},
      {"CLstatelist.csv", "\"CityURI\",\"StateName\",\"StateCode\"\r\n\"http://seattle.craigslist.org/\",\"Washington\",\"WA\"\r\n"},
      {"KJcitylist.csv", "\"Country\",\"State\",\"City\",\"URL\"\r\n\"Canada\",\"Ontario\",\"Toronto\",\"http://toronto.kijiji.ca\"\r\n"},
      {"KJsectlist.csv", "\"MasterSectionName\",\"SectionID\",\"SectionDir\",\"SectionName\"\r\n\"Buy\",\"10\",\"b\",\"Buy\"\r\n"},
      {"BPcitylist.csv", "\"Country\",\"StateCode\",\"StateName\",\"CityName\",\"CityURL\"\r\n\"United States\",\"WA\",\"Washington\",\"Seattle\",\"http://seattle.backpage.com/\"\r\n"},
      {"BPsectlist.csv", "\"Section\",\"SectionName\",\"Category\",\"CategoryName\",\"DirectoryName\"\r\n\"1\",\"Buy\",\"0\",\"\",\"Buy\"\r\n"},
      {"DAcitylist.csv", "\"Country\",\"StateCode\",\"StateName\",\"CityName\",\"CityURL\"\r\n\"United States\",\"WA\",\"Washington\",\"Seattle\",\"http://seattle.daype.com/\"\r\n"},
      {"DAsectlist.csv", "\"SectionName\",\"Category\",\"CategoryName\",\"SectionURL\"\r\n\"For Sale\",\"13\",\"Bikes\",\"bikes\"\r\n"},
  };
  for (const auto& [name, text] : files) platform::WriteWholeFile(folder + name, text);
}

}  // namespace vemtrix::bench

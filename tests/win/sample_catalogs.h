// Nine catalogs of one row each, for tests that need a program folder whose
// start goes straight to the main window.
#pragma once

#include <string>

#include "win/test_files.h"

namespace vemtrix::uitest {

inline const char* const kSampleCatalogs[][2] = {
    {"CLcitylist.csv", "\"Region\",\"CountryCode\",\"CountryName\",\"StateCode\",\"CityName\",\"CityURL\"\r\n"
                       "\"North America\",\"US\",\"United States\",\"WA\",\"Seattle\",\"http://seattle.craigslist.org/\"\r\n"},
    {"CLsectlist.csv", "\"MasterSectionCode\",\"SectionCode\",\"SectionName\"\r\n\"sss\",\"bik\",\"Bicycles\"\r\n"},
    {"CLstatelist.csv", "\"CityURI\",\"StateName\",\"StateCode\"\r\n"
                        "\"http://seattle.craigslist.org/\",\"Washington\",\"WA\"\r\n"},
    {"KJcitylist.csv", "\"Country\",\"State\",\"City\",\"URL\"\r\n\"Canada\",\"Ontario\",\"Toronto\",\"http://toronto.kijiji.ca\"\r\n"},
    {"KJsectlist.csv", "\"MasterSectionName\",\"SectionID\",\"SectionDir\",\"SectionName\"\r\n"
                       "\"Buy And Sell\",\"644\",\"bikes\",\"Bicycles\"\r\n"},
    {"BPcitylist.csv", "\"Country\",\"StateCode\",\"StateName\",\"CityName\",\"CityURL\"\r\n"
                       "\"United States\",\"WA\",\"Washington\",\"Seattle\",\"http://seattle.backpage.com/\"\r\n"},
    {"BPsectlist.csv", "\"Section\",\"SectionName\",\"Category\",\"CategoryName\",\"DirectoryName\"\r\n"
                       "\"4378\",\"Buy, Sell, Trade\",\"4381\",\"Bicycles\",\"Bikes\"\r\n"},
    {"DAcitylist.csv", "\"Country\",\"StateCode\",\"StateName\",\"CityName\",\"CityURL\"\r\n"
                       "\"United States\",\"WA\",\"Washington\",\"Seattle\",\"http://seattle.daype.com/\"\r\n"},
    {"DAsectlist.csv", "\"SectionName\",\"Category\",\"CategoryName\",\"SectionURL\"\r\n"
                       "\"For Sale\",\"13\",\"Bicycles\",\"bikes\"\r\n"},
};

// Writes the nine catalogs into folder (ending in "\\"); the one named
// leftEmpty gets its header line only.
inline bool WriteSampleCatalogs(const std::string& folder, const std::string& leftEmpty = "") {
  for (const auto& catalog : kSampleCatalogs) {
    std::string text = catalog[1];
    if (leftEmpty == catalog[0]) text = text.substr(0, text.find("\r\n") + 2);
    if (!WriteBytes(folder + catalog[0], text)) return false;
  }
  return true;
}

}  // namespace vemtrix::uitest

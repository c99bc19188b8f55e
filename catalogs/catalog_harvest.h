// The first-run catalog download: HarvestCatalogs fetches the four sites'
// own city and section pages, scans them for links and writes the nine
// catalog files into ProgramDirectory(), reporting through Frontend (log,
// button caption and state, the site being harvested).
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/site_id.h"

namespace vemtrix {

// 0 while nothing has finished, 1 when all nine steps succeeded, -1 when a
// step gave up. The start-up sets it to 0 before showing the dialog.
extern std::atomic<std::int32_t> FirstRunResult;
// The site being harvested, for the dialog's picture (SiteId::None: stopped).
extern std::atomic<SiteId> HarvestPhase;

// The harvesting thread's body: the nine steps in order (Backpage cities and
// sections, Daype cities and sections, Craigslist sections, states and
// cities, Kijiji sections and cities). A page that stays bad after six
// attempts ends the run with FirstRunResult -1; the files of the steps
// finished before it stay written. Every page is requested with userAgent.
void HarvestCatalogs(const std::string& userAgent);

// The harvest log: one growing text. AppendHarvestLog adds text and tells
// the front end; ResetHarvestLog starts it anew with initial.
void AppendHarvestLog(std::string_view text);
std::string HarvestLogText();
void ResetHarvestLog(std::string_view initial = {});

// ISO 3166-1 alpha-2 as of 2009, in code order: "AD Andorra" ... "ZW Zimbabwe"
// (code, one space, English short name; 8-bit Latin-1 text).
inline constexpr int kCountryCodeCount = 246;
extern const char* const CountryCodeList[kCountryCodeCount];

// Replaces the UTF-8 forms of French accented letters (and the OE ligature)
// by plain ASCII letters; other text is unchanged.
std::string FoldAccents(std::string_view text);

// Splits a Kijiji section link "http://HOST.com/DIR/...?catId=ID" into its
// directory and category id. False, with both empty, when the link has no
// ".com/" or no "?catId=".
bool SplitKijijiSectionUrl(std::string_view url, std::string& dir, std::string& id);

}  // namespace vemtrix

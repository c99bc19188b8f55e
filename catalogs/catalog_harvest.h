// The first-run catalog download: HarvestCatalogs fetches the four sites'
// own city and section pages, scans them for links and writes the nine
// catalog files into ProgramDirectory(), reporting to a HarvestView (log,
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

// What the catalog download reports while it runs: the "Download Sections
// and Cities" dialog, or the command-line tool's log. Called from the
// harvesting thread; each call must return at once.
class HarvestView {
 public:
  virtual ~HarvestView() = default;
  // text was appended to the harvest log (HarvestLogText() has it all).
  virtual void LogAppended(const std::string& text) = 0;
  // The "Begin Download" button's caption (a step's title, then "Start" or
  // "Exit (Try Later)").
  virtual void ButtonCaption(const std::string& caption) = 0;
  // Which of the dialog's two buttons take clicks.
  virtual void ButtonsEnabled(bool beginDownload, bool cancel) = 0;
  // The site being harvested changed (SiteId::None: idle). The first site of
  // a run starts the picture animation.
  virtual void SiteChanged(SiteId site) = 0;
};

// The harvesting thread's body: the nine steps in order (Backpage cities and
// sections, Daype cities and sections, Craigslist sections, states and
// cities, Kijiji sections and cities). A page that stays bad after six
// attempts ends the run with FirstRunResult -1; the files of the steps
// finished before it stay written. Every page is requested with userAgent.
// It reports to view, which must outlive the call.
void HarvestCatalogs(const std::string& userAgent, HarvestView& view);

// The harvest log: one growing text. AppendHarvestLog adds text and tells
// the running harvest's view; ResetHarvestLog starts it anew with initial.
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

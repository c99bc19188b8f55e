// HTML output: the results of a scope rendered through the user's two-part
// template (page header and item text) into one page. The View HTML command
// and the quick-filter window's buttons are in commands/output_commands.h.
#pragma once

#include <string>

#include "core/settings.h"
#include "output/csv_export.h"
#include "platform/platform.h"

namespace vemtrix {

// The page's time stamp at the time given: "HH:MM:SS MM-DD-YYYY".
std::string HtmlTimestamp(const platform::LocalDateTime& now);

// The whole page for the records, built from the HTMLheader and HTMLitem
// settings, with the current search's name. Records dated "0000-00-00"
// (expired postings) are never part of it.
std::string HtmlPageText(const OutputRecords& records, const Settings& settings);

// Writes the page to path (replacing it whole). Shows nothing when it
// succeeds; when the file could not be written it shows an error box naming
// the path (the old file is then untouched) and returns false.
bool WriteHtml(const std::string& path, const OutputRecords& records, const Settings& settings);

}  // namespace vemtrix

// CSV export of the results and the site name of a result. Which records an
// output takes is in output/record_scope.h; the commands that ask for a scope
// and a file are in commands/output_commands.h.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/result_store.h"
#include "core/settings.h"
#include "output/record_scope.h"

namespace vemtrix {

// The site name of a link by the domain label in its host ("Craigslist",
// "Kijiji", "Backpage", "Daype"); empty for a host of none of them.
std::string SiteNameForLink(std::string_view link);

// The whole CSV file text (header line included, CR LF line ends), with the
// state and site columns and a last "Price" column when the settings ask for
// them; recordsWritten (when given) receives the number of records. Every
// cell is in double quotes; inside them the text is escaped with backslashes,
// or, with CsvForSpreadsheets, written as it is with each double quote
// doubled (RFC 4180).
std::string CsvFileText(const OutputRecords& records, const Settings& settings,
                        std::int64_t* recordsWritten = nullptr);

// Writes the CSV file to path (replacing it whole) and reports: "Save
// complete" with the record count, or an error box naming the path when the
// file could not be written (the old file is then untouched). Returns true
// when the file was written.
bool ExportCsv(const std::string& path, const OutputRecords& records, const Settings& settings);

// The error box for an output file that could not be written.
void ReportOutputWriteFailure(const std::string& path);

}  // namespace vemtrix

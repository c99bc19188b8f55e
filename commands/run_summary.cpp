#include "commands/run_summary.h"

namespace vemtrix {

std::string RunSummaryText(const RunSummary& summary) {
  std::string text = std::string(summary.aborted ? "Search aborted: " : "Search complete: ") +
                     FormatCount(summary.results) + " results, " + FormatCount(summary.added) + " new";
  if (!summary.aborted && !summary.failed.empty()) {
    text += "; " + FormatCount(static_cast<std::int64_t>(summary.failed.size())) + " of " +
            FormatCount(summary.jobs) + " searches failed";
  }
  return text;
}

std::string FailedSearchLine(const FailedSearch& failed) {
  return failed.term + " in " + failed.section + " in " + failed.city + ": " + failed.reason;
}

}  // namespace vemtrix

#include "commands/command_checks.h"

#include "core/result_store.h"
#include "core/text.h"
#include "harvest/deep_scan.h"

namespace vemtrix {
namespace {

constexpr char kRunActive[] = "A search is currently active. You need to stop the current scan before ";

std::optional<CommandMessage> RefuseWhileActive(std::string_view what, bool systemModal) {
  if (!RunActive()) return std::nullopt;
  return CommandMessage{kRunActive + std::string(what), systemModal};
}

std::optional<CommandMessage> AskWhenUnsaved(const char* question) {
  if (Dirty.load() == 0) return std::nullopt;
  return CommandMessage{question};
}

}  // namespace

bool RunActive() { return SearchRunning.load() != 0 || DeepScanActive.load() != 0; }

std::optional<CommandMessage> CheckGoNameAndTerms(std::string_view name, std::string_view terms) {
  if (Trim(name).empty()) return CommandMessage{"You have not set a search title. Please do that first."};
  if (Trim(terms).empty())
    return CommandMessage{"You have not set any search terms. Please do that first.", true, true};
  return std::nullopt;
}

std::optional<CommandMessage> CheckGoSelections(const SearchInputs& inputs) {
  if (inputs.SelectedCities.empty())
    return CommandMessage{"You have not selected any cities or regions to search. Please do that first.", true, true};
  if (inputs.SelectedSections.empty())
    return CommandMessage{"You have not selected any sections to search. Please do that first.", true, true};
  return std::nullopt;
}

std::optional<CommandMessage> CheckLoad() { return RefuseWhileActive("loading an old one.", true); }
std::optional<CommandMessage> CheckNew() { return RefuseWhileActive("starting a new one.", true); }

std::optional<CommandMessage> LoadUnsavedQuestion() {
  return AskWhenUnsaved("You have unsaved search results. Would you like to load anyway and lose these results?");
}

std::optional<CommandMessage> NewUnsavedQuestion() {
  return AskWhenUnsaved(
      "You have unsaved search results. Would you like to start a new search anyway and lose these results?");
}

std::optional<CommandMessage> CheckClear() {
  if (!RunActive()) return std::nullopt;
  return CommandMessage{"If you want to clear the results, please stop the search first.", false};
}

std::optional<CommandMessage> ClearQuestion() {
  if (Results().Count() == 0) return std::nullopt;
  return CommandMessage{"Are you sure you want to premanently delete your search results?"};
}

std::optional<CommandMessage> CheckSort() { return RefuseWhileActive("sorting the results.", false); }

}  // namespace vemtrix

// The checks the window's commands make before they act, and the texts they
// show when they refuse or must ask. Each returns the message to show, or
// nothing when the command may go ahead; the window only shows it.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "harvest/search_run.h"

namespace vemtrix {

// True while a search run or a deep scan is active.
bool RunActive();

// What the window shows when a check says no. A refusal is an "Error" box;
// a question is a Yes/No "Warning" box whose Yes lets the command go on.
struct CommandMessage {
  std::string text;
  bool systemModal = true;
  // Go!: the missing input is on the "Search Settings" page, shown with it.
  bool showSearchSettings = false;
};

// Go! before the run starts: the search name and terms (trimmed), then the
// cities and sections its inputs hold.
std::optional<CommandMessage> CheckGoNameAndTerms(std::string_view name, std::string_view terms);
std::optional<CommandMessage> CheckGoSelections(const SearchInputs& inputs);

// Load and New refuse while a run is active (the window then shows the
// "Search Results" page); with unsaved results they ask first.
std::optional<CommandMessage> CheckLoad();
std::optional<CommandMessage> CheckNew();
std::optional<CommandMessage> LoadUnsavedQuestion();
std::optional<CommandMessage> NewUnsavedQuestion();

// Clear refuses while a run is active and asks when there are results;
// sorting refuses while a run is active.
std::optional<CommandMessage> CheckClear();
std::optional<CommandMessage> ClearQuestion();
std::optional<CommandMessage> CheckSort();

}  // namespace vemtrix

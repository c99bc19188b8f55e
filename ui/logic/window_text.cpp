#include "ui/logic/window_text.h"

#include <limits>

#include "core/text.h"

namespace vemtrix {

namespace {

std::string TwoDigits(int value) {
  std::string text = std::to_string(value);
  return text.size() < 2 ? "0" + text : text;
}

std::int32_t Clamp(std::int64_t value, std::int32_t low, std::int32_t high) {
  if (value < low) return low;
  if (value > high) return high;
  return static_cast<std::int32_t>(value);
}

}  // namespace

std::string SearchNameFromPath(std::string_view path) {
  std::string name = ReplaceAll(Trim(path), ".vem", "");
  std::size_t slash = name.rfind('\\');
  return slash == std::string::npos ? name : name.substr(slash + 1);
}

std::string WindowTitle(int versionCode) {
  return "Vemtrix v" + std::to_string(versionCode / 100) + "." + TwoDigits(versionCode % 100);
}

std::string SlotLabel(bool scan, int i) { return (scan ? "Scan " : "Search ") + TwoDigits(i + 1) + ":"; }

std::int32_t ClampMaxResults(std::int64_t value) { return Clamp(value, kMinMaxResults, kMaxMaxResults); }

std::int32_t ClampThreadCount(std::int64_t value) { return Clamp(value, kMinThreads, kMaxThreads); }

std::optional<std::int64_t> ParseWholeNumber(std::string_view text) {
  bool negative = false;
  bool signSeen = false;
  bool digitSeen = false;
  std::int64_t value = 0;
  constexpr std::int64_t kCap = std::numeric_limits<std::int64_t>::max() / 10 - 10;
  for (char c : text) {
    if (c == ' ' || c == '\t' || c == ',') continue;
    if ((c == '-' || c == '+') && !signSeen && !digitSeen) {
      signSeen = true;
      negative = c == '-';
      continue;
    }
    if (c < '0' || c > '9') return std::nullopt;
    digitSeen = true;
    // Saturates: a huge number still clamps to the top of its range.
    if (value < kCap) value = value * 10 + (c - '0');
  }
  if (!digitSeen) return std::nullopt;
  return negative ? -value : value;
}

std::int32_t MaxResultsFromBox(std::string_view text, std::int32_t current) {
  return ClampMaxResults(ParseWholeNumber(text).value_or(current));
}

std::int32_t ThreadCountFromBox(std::string_view text, std::int32_t current) {
  return ClampThreadCount(ParseWholeNumber(text).value_or(current));
}

std::int32_t RepeatMinutesFromBox(std::string_view text, std::int32_t current) {
  return Clamp(ParseWholeNumber(text).value_or(current), kMinRepeatMinutes, kMaxRepeatMinutes);
}

Balloon NewAdsBalloon(std::int64_t added, const std::string& searchName, const std::vector<std::string>& titles) {
  // The system's balloon holds 63 characters of title and 255 of text.
  constexpr std::size_t kTitleRoom = 63;
  constexpr std::size_t kLineRoom = 80;
  auto shorten = [](std::string text, std::size_t room) {
    if (text.size() > room) text = text.substr(0, room - 3) + "...";
    return text;
  };
  Balloon balloon;
  balloon.title = shorten(std::to_string(added) + (added == 1 ? " new ad for " : " new ads for ") + searchName,
                          kTitleRoom);
  for (std::size_t i = 0; i < titles.size() && i < 3; ++i) {
    if (i > 0) balloon.text += "\r\n";
    balloon.text += shorten(titles[i], kLineRoom);
  }
  return balloon;
}

}  // namespace vemtrix

namespace vemtrix {

std::string FullTextColumn(std::string_view fullText) {
  constexpr std::string_view kMarker = "<!--RSS-->";
  if (fullText.find(kMarker) != std::string_view::npos) return fullText.size() > 25 ? "RSS" : "";
  return fullText.size() > 50 ? "Yes" : "";
}

const char* RunStateText(RunState state) {
  switch (state) {
    case RunState::Searching: return "Searching";
    case RunState::Scanning: return "Scanning";
    case RunState::Inactive: break;
  }
  return "Inactive";
}

}  // namespace vemtrix

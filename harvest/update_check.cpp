#include "harvest/update_check.h"

#include <cstdint>
#include <limits>

#include "core/frontend.h"
#include "core/settings.h"
#include "harvest/http_get.h"
#include "harvest/sites.h"
#include "core/text.h"

namespace vemtrix {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

std::int32_t VersionCodeFromText(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\r' || text[i] == '\n')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  // Decimal arithmetic on the digits themselves, so 2.1 is exactly 210 and
  // no binary fraction can round it the wrong way.
  constexpr std::int64_t kLimit = std::numeric_limits<std::int32_t>::max();
  std::int64_t whole = 0;
  bool anyDigit = false;
  for (; i < text.size() && IsDigit(text[i]); ++i) {
    if (whole <= kLimit) whole = whole * 10 + (text[i] - '0');
    anyDigit = true;
  }
  int hundredths = 0;
  bool roundUp = false;
  if (i < text.size() && text[i] == '.') {
    int place = 0;
    for (++i; i < text.size() && IsDigit(text[i]); ++i, ++place) {
      if (place == 0) hundredths += (text[i] - '0') * 10;
      if (place == 1) hundredths += text[i] - '0';
      if (place == 2) roundUp = text[i] >= '5';
      anyDigit = true;
    }
  }
  if (!anyDigit) return 0;
  std::int64_t code = whole * 100 + hundredths + (roundUp ? 1 : 0);
  if (code > kLimit) code = kLimit;
  return static_cast<std::int32_t>(negative ? -code : code);
}

std::int32_t PublishedVersionCode(std::string_view page) {
  std::string_view text = TextBetween(page, kVersionStartMarker, kVersionEndMarker);
  if (text.empty()) return 0;
  return VersionCodeFromText(text);
}

std::string FormatVersion(std::int32_t code) {
  std::int64_t magnitude = code < 0 ? -static_cast<std::int64_t>(code) : code;
  std::int64_t fraction = magnitude % 100;
  std::string text = code < 0 ? "-" : "";
  text += std::to_string(magnitude / 100) + "." + static_cast<char>('0' + fraction / 10) +
          static_cast<char>('0' + fraction % 10);
  return text;
}

std::string UpdateQuestion(std::int32_t newCode) {
  return "A new version exists (" + FormatVersion(newCode) +
         "). Would you like to visit the software's homepage?";
}

void CheckForUpdate(std::int32_t versionCode, const std::string& userAgent) {
  std::string page = HttpGet(kMakerHost, kMakerPagePath, HttpRedirect::Follow, HttpDisplay::Quiet, userAgent);
  std::int32_t newCode = PublishedVersionCode(page);
  // A page without the markers, or without a number between them, gives 0,
  // which no version code falls below.
  if (versionCode >= newCode) return;
  MessageAnswer answer =
      UI().ShowMessage("Update Available", UpdateQuestion(newCode), MessageIcon::Question, MessageButtons::YesNo);
  if (answer == MessageAnswer::Yes) UI().OpenInBrowser(MakerPageAddress());
}

platform::Thread StartUpdateCheck(std::int32_t versionCode) {
  platform::Thread thread;
  if (AppSettings().CheckForUpdates != 1) return thread;
  thread.Start([versionCode, userAgent = AppSettings().UserAgent] { CheckForUpdate(versionCode, userAgent); });
  return thread;
}

}  // namespace vemtrix

#include "core/saved_search.h"

#include <cstdio>

#include "catalogs/catalog_files.h"
#include "core/frontend.h"
#include "core/result_store.h"
#include "core/settings.h"
#include "harvest/text_scan.h"
#include "platform/platform.h"

namespace vemtrix {
namespace {

// The identity under which a chosen catalog row is saved, per table.
struct ListKey {
  const char* key;  // as written, e.g. "CLcityList"
  CatalogId table;
  int first;   // column
  int second;  // column joined with a backslash, 0 = none
};

const ListKey kLists[] = {
    {"CLcityList", CatalogId::ClCities, ClCityColumn::CityURL, 0},
    {"KJcityList", CatalogId::KjCities, KjCityColumn::URL, 0},
    {"BPcityList", CatalogId::BpCities, BpCityColumn::CityURL, 0},
    {"DAcityList", CatalogId::DaCities, DaCityColumn::CityURL, 0},
    {"CLsectionList", CatalogId::ClSections, ClSectionColumn::SectionCode, 0},
    {"KJsectionList", CatalogId::KjSections, KjSectionColumn::SectionID, KjSectionColumn::SectionDir},
    {"BPsectionList", CatalogId::BpSections, BpSectionColumn::Section, BpSectionColumn::Category},
    {"DAsectionList", CatalogId::DaSections, DaSectionColumn::Category, 0},
};
constexpr int kListCount = 8;

std::string Identity(const CatalogTable& table, int row, const ListKey& list) {
  std::string id = table.Field(row, list.first);
  if (list.second != 0) id += "\\" + table.Field(row, list.second);
  return id;
}

std::string ChosenList(const ListKey& list) {
  const CatalogTable& table = Catalog(list.table);
  std::string out;
  for (int row = 1; row <= table.Count(); ++row) {
    if (!table.Mark(row)) continue;
    if (!out.empty()) out += ',';
    out += Identity(table, row, list);
  }
  return out;
}

void ApplyList(const ListKey& list, const std::string& chosen) {
  CatalogTable& table = Catalog(list.table);
  const std::string haystack = "," + chosen + ",";
  for (int row = 1; row <= table.Count(); ++row) {
    table.SetMark(row, haystack.find("," + Identity(table, row, list) + ",") != std::string::npos);
  }
}

std::vector<std::string_view> SplitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.push_back(line);
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  return lines;
}

}  // namespace

std::string EscapeCsvText(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 16);
  for (std::size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    switch (c) {
      case '\\': out += "\\\\"; break;
      case '"': out += "\\\""; break;
      case '\r':
        if (i + 1 < text.size() && text[i + 1] == '\n') ++i;  // CR LF is one line break
        out += "\\n";
        break;
      case '\n':
      case '\f': out += "\\n"; break;
      default: out += c;
    }
  }
  return out;
}

std::array<std::string, 6> ReadEscapedFields(std::string_view line) {
  std::array<std::string, 6> fields;
  std::size_t i = 0;
  for (std::string& field : fields) {
    std::size_t open = line.find('"', i);
    if (open == std::string_view::npos) break;
    i = open + 1;
    while (i < line.size() && line[i] != '"') {
      if (line[i] == '\\' && i + 1 < line.size()) {
        char next = line[i + 1];
        if (next == '\\') field += '\\';
        else if (next == '"') field += '"';
        else if (next == 'n') field += "\r\n";
        else {
          field += '\\';
          field += next;
        }
        i += 2;
      } else {
        field += line[i++];
      }
    }
    ++i;  // past the closing quote
  }
  return fields;
}

std::string ReadEscapedField(std::string_view line, int n) {
  if (n < 1 || n > 6) return std::string();
  return ReadEscapedFields(line)[static_cast<std::size_t>(n - 1)];
}

std::string CleanSearchName(std::string_view name) {
  std::string clean(name);
  for (char& c : clean) {
    // The six the program always replaced, and what else Windows refuses in
    // a file name (":" would write into a hidden stream).
    if (std::string_view(".*?/\\\":<>|").find(c) != std::string_view::npos ||
        static_cast<unsigned char>(c) < 32) {
      c = ' ';
    }
  }
  return ReplaceAll(clean, "  ", "");
}

std::string SearchFilePath(const std::string& cleanName) {
  return platform::ProgramDirectory() + cleanName + ".vem";
}

std::string FormatSavedSearch(const std::string& cleanName, const std::string& terms) {
  std::string out = "Vemtrix Saved Search\r\nCurrentSearchname: " + cleanName + "\r\nSearchTerms: " + terms + "\r\n";
  for (const ListKey& list : kLists) out += std::string(list.key) + ": " + ChosenList(list) + "\r\n";
  std::int32_t count = Results().count();
  for (std::int32_t row = 1; row <= count; ++row) {
    SearchResult r = Results().Row(row);
    if (TrimSpaces(r.title).empty() || r.date == "0000-00-00") continue;
    out += "Result: \"" + r.date + "\",\"" + EscapeCsvText(r.title) + "\",\"" + r.city + "\",\"" + r.section +
           "\",\"" + r.link + "\",\"" + EscapeCsvText(r.fullText) + "\"\r\n";
  }
  return out;
}

bool SaveSearch() {
  std::string name = CleanSearchName(UI().SearchName());
  UI().SetSearchName(name);
  AppSettings().CurrentSearchName = name;
  std::string path = SearchFilePath(name);
  if (!platform::WriteWholeFile(path, FormatSavedSearch(name, UI().SearchTerms()))) {
    UI().ShowMessage("Error",
                     "The search could not be saved to \"" + path +
                         "\". The folder may be read-only, the disk full, or the file in use. "
                         "Your results are still here.",
                     MessageIcon::Error, MessageButtons::Ok);
    return false;
  }
  Dirty = 0;
  return true;
}

std::string DiscardCutoffDate() {
  platform::LocalDateTime today = platform::LocalNow();
  int month = today.month - 2;
  int year = today.year;
  if (month < 1) {
    month += 12;
    year -= 1;
  }
  char text[48];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", year, month, today.day);
  return text;
}

bool LoadSearch(bool quiet) {
  std::string name = CleanSearchName(UI().SearchName());
  UI().SetSearchName(name);
  AppSettings().CurrentSearchName = name;
  std::string path = SearchFilePath(name);
  std::string text;
  if (!platform::FileExists(path) || !platform::ReadWholeFile(path, text)) {
    if (!quiet) {
      UI().ShowMessage("Warning", "\"" + name + "\" can't be found. Perhaps it is a new search?", MessageIcon::Warning,
                       MessageButtons::Ok);
    }
    return false;
  }
  std::vector<std::string_view> lines = SplitLines(text);
  auto line = [&lines](std::size_t i) { return i < lines.size() ? lines[i] : std::string_view(); };

  std::string terms;
  std::array<std::string, kListCount> lists;
  std::size_t firstResult = lines.size();
  if (ToLower(TrimSpaces(line(0))) == "vemtrix saved search") {
    for (std::size_t i = 1; i < lines.size(); ++i) {
      std::string_view l = lines[i];
      std::size_t colon = l.find(':');
      std::string key = ToLower(l.substr(0, colon));
      std::string value(colon == std::string_view::npos || colon + 2 > l.size() ? std::string_view()
                                                                                 : l.substr(colon + 2));
      if (key == "result") {
        firstResult = i;
        break;
      }
      if (key == "currentsearchname") {
        name = value;
      } else if (key == "searchterms") {
        terms = value;
      } else {
        for (int k = 0; k < kListCount; ++k) {
          if (key == ToLower(kLists[k].key)) lists[static_cast<std::size_t>(k)] = value;
        }
      }
    }
  } else {
    name = std::string(line(0));
    terms = std::string(line(3));
    if (!line(1).empty() && line(1)[0] == '"') {
      firstResult = 4;
    } else {
      lists[0] = std::string(line(1));  // Craigslist cities
      lists[4] = std::string(line(2));  // Craigslist sections
      lists[1] = std::string(line(4));  // Kijiji cities
      lists[5] = std::string(line(5));  // Kijiji sections
      firstResult = 6;
    }
  }
  UI().SetSearchName(name);
  AppSettings().CurrentSearchName = name;

  Results().Clear();
  NewThisRun = 0;
  const bool discard = AppSettings().DiscardSearches != 0;
  const std::string cutoff = DiscardCutoffDate();
  for (std::size_t i = firstResult; i < lines.size(); ++i) {
    std::string_view l = lines[i];
    if (l.size() >= 7 && ToLower(l.substr(0, 7)) == "result:") l.remove_prefix(std::min<std::size_t>(8, l.size()));
    std::array<std::string, 6> f = ReadEscapedFields(l);
    if (f[1].empty() || (discard && f[0] < cutoff)) continue;
    SearchResult row;
    row.date = std::move(f[0]);
    row.title = std::move(f[1]);
    row.city = std::move(f[2]);
    row.section = std::move(f[3]);
    row.link = std::move(f[4]);
    row.fullText = std::move(f[5]);
    if (!Results().AppendLoaded(row)) break;  // overflow, reported
  }
  UI().ResultListRebuilt();
  UI().ShowResultCounters(0, Results().count());
  UI().SetSearchTerms(terms);

  for (int k = 0; k < kListCount; ++k) ApplyList(kLists[k], lists[static_cast<std::size_t>(k)]);
  UI().CatalogMarksChanged();
  return true;
}

}  // namespace vemtrix

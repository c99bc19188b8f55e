#include "core/saved_search.h"

#include <cctype>
#include <cstdio>
#include <cstring>

#include "catalogs/catalog_files.h"
#include "core/csv_fields.h"
#include "core/current_search.h"
#include "core/frontend.h"
#include "core/result_store.h"
#include "core/settings.h"
#include "core/text.h"
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

}  // namespace

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
  // One pass for the size, so the text is built without regrowing.
  std::size_t size = out.size();
  Results().ForEachRow([&size](std::int32_t, const std::string_view* f) {
    for (int i = 1; i <= 6; ++i) size += f[i].size() + 3;
    size += 16 + f[kFieldTitle].size() / 8 + f[kFieldFullText].size() / 8;
  });
  out.reserve(size);
  Results().ForEachRow([&out](std::int32_t, const std::string_view* f) {
    if (Trim(f[kFieldTitle]).empty() || f[kFieldDate] == "0000-00-00") return;
    out += "Result: ";
    AppendCsvRow(out, {{f[kFieldDate], CsvText::AsIs},
                       {f[kFieldTitle], CsvText::Escaped},
                       {f[kFieldCity], CsvText::AsIs},
                       {f[kFieldSection], CsvText::AsIs},
                       {f[kFieldLink], CsvText::AsIs},
                       {f[kFieldFullText], CsvText::Escaped}});
  });
  return out;
}

bool SaveSearch() {
  SearchDefinition& search = CurrentSearch();
  search.name = CleanSearchName(search.name);
  AppSettings().CurrentSearchName = search.name;
  UI().CurrentSearchChanged();
  std::string path = SearchFilePath(search.name);
  if (!platform::WriteWholeFile(path, FormatSavedSearch(search.name, search.terms))) {
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

namespace {

bool StartsWithResultKey(std::string_view line) {
  static const char kKey[] = "result:";
  if (line.size() < 7) return false;
  for (std::size_t i = 0; i < 7; ++i) {
    if (std::tolower(static_cast<unsigned char>(line[i])) != kKey[i]) return false;
  }
  return true;
}

// Reads the lines of a saved search as they come: the header (keyed, or one
// of the two older layouts) and then the results, straight into the store.
class SearchFileReader {
 public:
  SearchFileReader() : discard_(AppSettings().DiscardSearches != 0), cutoff_(DiscardCutoffDate()) {}

  bool Line(std::string_view line) {
    std::size_t i = index_++;
    if (inResults_) return Result(line);
    if (i == 0) {
      keyed_ = ToLower(Trim(line)) == "vemtrix saved search";
      if (!keyed_) name = std::string(line);
      return true;
    }
    if (keyed_) {
      std::size_t colon = line.find(':');
      std::string key = ToLower(line.substr(0, colon));
      std::string value(colon == std::string_view::npos || colon + 2 > line.size() ? std::string_view()
                                                                                   : line.substr(colon + 2));
      if (key == "result") {
        inResults_ = true;
        return Result(line);
      }
      if (key == "currentsearchname") name = value;
      else if (key == "searchterms") terms = value;
      for (int k = 0; k < kListCount; ++k) {
        if (key == ToLower(kLists[k].key)) lists[static_cast<std::size_t>(k)] = value;
      }
      return true;
    }
    // Older layouts: name, Craigslist cities, Craigslist sections, terms,
    // then (unless the cities line was already a quoted result) the Kijiji
    // cities and sections; results follow.
    switch (i) {
      case 1:
        quotedOld_ = !line.empty() && line[0] == '"';
        if (!quotedOld_) lists[0] = std::string(line);
        return true;
      case 2:
        if (!quotedOld_) lists[4] = std::string(line);
        return true;
      case 3:
        terms = std::string(line);
        return true;
      case 4:
        if (quotedOld_) break;
        lists[1] = std::string(line);
        return true;
      case 5:
        if (quotedOld_) break;
        lists[5] = std::string(line);
        return true;
      default:
        break;
    }
    inResults_ = true;
    return Result(line);
  }

  std::string name;
  std::string terms;
  std::array<std::string, kListCount> lists;

 private:
  bool Result(std::string_view line) {
    if (StartsWithResultKey(line)) line.remove_prefix(std::min<std::size_t>(8, line.size()));
    ReadEscapedFieldsInto(line, fields_);
    if (fields_[1].empty() || (discard_ && fields_[0] < cutoff_)) return true;
    std::array<std::string_view, kResultFieldCount> row;
    for (std::size_t f = 0; f < 6; ++f) row[f] = fields_[f];
    return Results().AppendLoaded(row);  // false after an overflow, reported
  }

  const bool discard_;
  const std::string cutoff_;
  std::size_t index_ = 0;
  bool keyed_ = false;
  bool quotedOld_ = false;
  bool inResults_ = false;
  std::array<std::string, 6> fields_;
};

}  // namespace

bool LoadSearch(bool quiet) {
  SearchDefinition& search = CurrentSearch();
  std::string name = CleanSearchName(search.name);
  search.name = name;
  AppSettings().CurrentSearchName = name;
  std::string path = SearchFilePath(name);
  if (!platform::FileExists(path)) {
    UI().CurrentSearchChanged();
    if (!quiet) {
      UI().ShowMessage("Warning", "\"" + name + "\" can't be found. Perhaps it is a new search?", MessageIcon::Warning,
                       MessageButtons::Ok);
    }
    return false;
  }
  Results().Clear();
  NewThisRun = 0;
  SearchFileReader reader;
  reader.name = name;  // kept unless the file names itself
  platform::ForEachLine(path, [&reader](std::string_view line) { return reader.Line(line); });

  search.name = reader.name;
  search.terms = reader.terms;
  AppSettings().CurrentSearchName = reader.name;
  UI().ResultListRebuilt();
  UI().ShowResultCounters(0, Results().count());
  UI().CurrentSearchChanged();
  for (int k = 0; k < kListCount; ++k) ApplyList(kLists[k], reader.lists[static_cast<std::size_t>(k)]);
  UI().CatalogMarksChanged();
  return true;
}

}  // namespace vemtrix

#include "output/saved_search.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>

#include "catalogs/catalog_files.h"
#include "core/csv_fields.h"
#include "core/result_store.h"
#include "core/text.h"
#include "harvest/sites.h"
#include "platform/platform.h"

namespace vemtrix {
namespace {

// A saved search holds eight lists of chosen catalog rows: the cities of the
// four sites in site order, then their sections.
constexpr int kListCount = 2 * kSiteCount;

struct SavedList {
  std::string key;  // as written, e.g. "CLcityList"
  CatalogId table;
  std::array<int, 2> identity;  // columns, as JoinedColumns takes them
};

SavedList ListAt(int index) {
  const SiteInfo& site = AllSites()[index % kSiteCount];
  const SiteCatalogs& tables = *CatalogsOfSite(site.id);
  if (index < kSiteCount) return {std::string(site.code) + "cityList", tables.cities, {tables.cityKey, 0}};
  return {std::string(site.code) + "sectionList", tables.sections, tables.savedSection};
}

int ListIndex(SiteId site, bool sections) { return static_cast<int>(site) - 1 + (sections ? kSiteCount : 0); }

std::string ChosenList(const SavedList& list) {
  const CatalogTable& table = Catalog(list.table);
  std::string out;
  for (int row = 1; row <= table.Count(); ++row) {
    if (!table.Mark(row)) continue;
    if (!out.empty()) out += ',';
    out += JoinedColumns(table, row, list.identity);
  }
  return out;
}

void ApplyList(const SavedList& list, const std::string& chosen) {
  CatalogTable& table = Catalog(list.table);
  const std::string haystack = "," + chosen + ",";
  for (int row = 1; row <= table.Count(); ++row) {
    table.SetMark(row, haystack.find("," + JoinedColumns(table, row, list.identity) + ",") != std::string::npos);
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
  for (int k = 0; k < kListCount; ++k) {
    const SavedList list = ListAt(k);
    out += list.key + ": " + ChosenList(list) + "\r\n";
  }
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
  // A page may hold a NUL byte; in the file it would make the search
  // unreadable (LooksLikeSavedSearch), so it is written as a space.
  std::replace(out.begin(), out.end(), '\0', ' ');
  return out;
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
  // With countOnly, results are counted and nothing goes into the store.
  SearchFileReader(bool discardOld, bool countOnly)
      : discard_(discardOld), cutoff_(DiscardCutoffDate()), full_(countOnly) {
    for (int k = 0; k < kListCount; ++k) listKeys_[static_cast<std::size_t>(k)] = ToLower(ListAt(k).key);
  }

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
      for (std::size_t k = 0; k < listKeys_.size(); ++k) {
        if (key == listKeys_[k]) lists[k] = value;
      }
      return true;
    }
    // Older layouts: name, Craigslist cities, Craigslist sections, terms,
    // then (unless the cities line was already a quoted result) the Kijiji
    // cities and sections; results follow.
    switch (i) {
      case 1:
        quotedOld_ = !line.empty() && line[0] == '"';
        if (!quotedOld_) lists[ListIndex(SiteId::Craigslist, false)] = std::string(line);
        return true;
      case 2:
        if (!quotedOld_) lists[ListIndex(SiteId::Craigslist, true)] = std::string(line);
        return true;
      case 3:
        terms = std::string(line);
        return true;
      case 4:
        if (quotedOld_) break;
        lists[ListIndex(SiteId::Kijiji, false)] = std::string(line);
        return true;
      case 5:
        if (quotedOld_) break;
        lists[ListIndex(SiteId::Kijiji, true)] = std::string(line);
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
  std::int64_t results = 0;  // the file's results that pass the filters
  std::int32_t loaded = 0;   // of those, the ones the store took
  std::int64_t leftOutAsOld = 0;

 private:
  bool Result(std::string_view line) {
    if (StartsWithResultKey(line)) line.remove_prefix(std::min<std::size_t>(8, line.size()));
    ReadEscapedFieldsInto(line, fields_);
    if (fields_[1].empty()) return true;
    if (discard_ && fields_[0] < cutoff_) {
      leftOutAsOld += 1;
      return true;
    }
    results += 1;
    if (full_) return true;  // once the store is full the rest is only counted
    std::array<std::string_view, kResultFieldCount> row;
    for (std::size_t f = 0; f < 6; ++f) row[f] = fields_[f];
    if (Results().AppendLoadedQuietly(row)) {
      loaded += 1;
    } else {
      full_ = true;
    }
    return true;
  }

  const bool discard_;
  const std::string cutoff_;
  std::size_t index_ = 0;
  bool keyed_ = false;
  bool quotedOld_ = false;
  bool inResults_ = false;
  bool full_;
  std::array<std::string, 6> fields_;
  std::array<std::string, kListCount> listKeys_;  // lower case
};

}  // namespace

SavedSearchHeader ReadSavedSearch(const std::string& path, const std::string& fallbackName, bool discardOld) {
  SearchFileReader reader(discardOld, false);
  reader.name = fallbackName;  // kept unless the file names itself
  platform::ForEachLine(path, [&reader](std::string_view line) { return reader.Line(line); });
  for (int k = 0; k < kListCount; ++k) ApplyList(ListAt(k), reader.lists[static_cast<std::size_t>(k)]);
  return {reader.name, reader.terms, reader.loaded, reader.results, reader.leftOutAsOld};
}

bool LooksLikeSavedSearch(const std::string& path) {
  bool first = true;
  bool fits = true;
  platform::ForEachLine(path, [&first, &fits](std::string_view line) {
    fits = (!first || line.size() <= kMaxSearchNameLength) && line.find('\0') == std::string_view::npos;
    first = false;
    return fits;
  });
  return fits;
}

std::int64_t CountSavedResults(const std::string& path, bool discardOld) {
  SearchFileReader reader(discardOld, true);
  if (!platform::ForEachLine(path, [&reader](std::string_view line) { return reader.Line(line); })) return -1;
  return reader.results;
}

}  // namespace vemtrix

// catalogs: the nine catalog tables as the program loads them from a folder.
#include <iostream>

#include "catalogs/catalog_files.h"
#include "tools/cli/cli.h"

namespace vemtrix::cli {

int RunCatalogs(const Arguments& args) {
  int status = 0;
  if (!CheckOptions(args, {"dir"}, {"dir"}, status)) return status;
  const std::string folder = Option(args, "dir");

  std::string out;
  const CatalogLayout* layouts = AllCatalogLayouts();
  for (int t = 0; t < kCatalogCount; ++t) {
    const CatalogLayout& layout = layouts[t];
    CatalogTable& table = Catalog(layout.id);
    // Same loader and order as the program's; like the program, a missing
    // file gives an empty table (the note goes to standard error only).
    if (!LoadCatalogFile(table, folder)) {
      std::cerr << "vemtrix-cli: " << layout.fileName << " missing or unreadable: table left empty\n";
    }
    out += std::string(layout.fileName) + "\t" + std::to_string(table.Count()) + "\n";
    for (int row = 1; row <= table.Count(); ++row) {
      for (int column = 1; column <= layout.columnCount; ++column) {
        if (column > 1) out += "\t";
        out += Escape(table.Field(row, column));
      }
      out += "\n";
    }
  }
  Print(out);
  return 0;
}

}  // namespace vemtrix::cli

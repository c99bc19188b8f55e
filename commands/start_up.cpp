#include "commands/start_up.h"

#include "catalogs/catalog_files.h"
#include "core/settings.h"

namespace vemtrix {

void LoadSettingsAndCatalogs() {
  LoadCatalogs();
  LoadSettings();
}

}  // namespace vemtrix

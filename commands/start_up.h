// What the start-up reads before it decides anything.
#pragma once

namespace vemtrix {

// The nine catalogs from ProgramDirectory(), then the settings file.
void LoadSettingsAndCatalogs();

}  // namespace vemtrix

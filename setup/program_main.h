// The start-up sequence of Vemtrix.exe.
#pragma once

namespace vemtrix::setup {

// Prepares the process, loads the settings and catalogs, keeps to one copy,
// checks the command line, removes a left-over installer, and then opens the
// main window, makes the installation offer, or runs the first-run catalog
// download and decides again. Returns when the process is to end.
void ProgramMain();

}  // namespace vemtrix::setup

// The version of Vemtrix, read by both programs' resource scripts. The main
// program reads its own file version at run time (major * 100 + minor).
#pragma once

#define VEMTRIX_VERSION_MAJOR 2
#define VEMTRIX_VERSION_MINOR 10
#define VEMTRIX_VERSION_TEXT "2.10"
#define VEMTRIX_MAKER "Quillfen"  // the maker, as the version blocks name it

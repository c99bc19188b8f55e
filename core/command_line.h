// The main program's command line: saved-search file names and "-" options.
// Only the number of search files found matters (a copy started with one may
// run beside another copy); the files are not opened, and options change
// nothing. The caller shows one error box per missing name.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace vemtrix {

struct CommandLineResult {
  std::vector<std::string> foundFiles;    // the paths that exist, in order
  std::vector<std::string> missingNames;  // the tokens found nowhere, in order
};

// The command line's tokens: split at spaces; a token that starts with a
// double quote runs to the next double quote (or the end of the line) and may
// hold spaces, without its quotes. Empty tokens are dropped.
std::vector<std::string> CommandLineTokens(std::string_view commandLine);

// Examines the command line (the text after the program's own name). A line
// of at most one character once trimmed of spaces is ignored. Options (tokens
// starting with "-") are skipped. Any other token is a search file, found
// when fileExists(token) or fileExists(programDirectory + token); a token
// holding a character no file name can hold is never looked up and is
// reported missing.
CommandLineResult ParseCommandLine(std::string_view commandLine, const std::string& programDirectory,
                                   const std::function<bool(const std::string&)>& fileExists);

// The error box text for a search file named on the command line but found
// nowhere (caption "Error", stop icon, system-modal).
std::string MissingSearchFileMessage(const std::string& token);

}  // namespace vemtrix

#include "core/command_line.h"

#include "core/text.h"

namespace vemtrix {

namespace {

// Control characters and the characters Windows reserves in file names
// (":" and the separators are allowed: a token may be a path).
bool CanBeInPath(std::string_view token) {
  for (unsigned char c : token) {
    if (c < 0x20) return false;
    switch (c) {
      case '<': case '>': case '"': case '|': case '?': case '*':
        return false;
      default:
        break;
    }
  }
  return true;
}


}  // namespace

std::vector<std::string> CommandLineTokens(std::string_view commandLine) {
  std::vector<std::string> tokens;
  std::size_t i = 0;
  while (i < commandLine.size()) {
    if (commandLine[i] == ' ') {
      ++i;
      continue;
    }
    std::size_t end;
    std::string_view token;
    if (commandLine[i] == '"') {
      // Quoted: up to the next quote, which ends the token; an unclosed
      // quote runs to the end of the line.
      end = commandLine.find('"', i + 1);
      if (end == std::string_view::npos) end = commandLine.size();
      token = commandLine.substr(i + 1, end - i - 1);
      i = end < commandLine.size() ? end + 1 : end;
    } else {
      end = commandLine.find(' ', i);
      if (end == std::string_view::npos) end = commandLine.size();
      token = commandLine.substr(i, end - i);
      i = end;
    }
    if (!token.empty()) tokens.emplace_back(token);
  }
  return tokens;
}

CommandLineResult ParseCommandLine(std::string_view commandLine, const std::string& programDirectory,
                                   const std::function<bool(const std::string&)>& fileExists) {
  CommandLineResult result;
  if (Trim(commandLine).size() <= 1) return result;
  for (std::string& token : CommandLineTokens(commandLine)) {
    // Options ("-csv", "-html", "-new", "-deep", "-datename" or any other)
    // are accepted and change nothing.
    if (token[0] == '-') continue;
    if (CanBeInPath(token)) {
      if (fileExists(token)) {
        result.foundFiles.push_back(token);
        continue;
      }
      std::string inProgramFolder = programDirectory + token;
      if (fileExists(inProgramFolder)) {
        result.foundFiles.push_back(inProgramFolder);
        continue;
      }
    }
    result.missingNames.push_back(std::move(token));
  }
  return result;
}

std::string MissingSearchFileMessage(const std::string& token) {
  return "Error: I could not load the search titled '" + token + "' because it does not seem to exist.";
}

}  // namespace vemtrix

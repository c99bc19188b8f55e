// The one interface through which the engine tells the user interface what
// to show. The Windows front end implements it; tests use a recording fake;
// the command-line tool prints to standard error.
#pragma once

#include <cstdint>
#include <string>

namespace vemtrix {

class Frontend {
 public:
  virtual ~Frontend() = default;

  // Status bar part `part` (0-based) shows text.
  virtual void ShowStatusPart(int part, const std::string& text) = 0;
  // The status page's downloaded-bytes field shows bytes (formatted "0,").
  virtual void ShowBytesDownloaded(std::uint32_t bytes) = 0;
};

// A front end that shows nothing; the engine's default.
class NullFrontend : public Frontend {
 public:
  void ShowStatusPart(int, const std::string&) override {}
  void ShowBytesDownloaded(std::uint32_t) override {}
};

// The front end in use. Never null: SetFrontend(nullptr) restores NullFrontend.
Frontend& UI();
void SetFrontend(Frontend* frontend);

// Status bar part indices.
inline constexpr int kStatusPartRequest = 1;

}  // namespace vemtrix

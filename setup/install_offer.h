// The first-run installation offer: made when the program starts without a
// settings file beside it. Accepting writes the installer out to the chosen
// folder and starts it; this copy then ends and the installer carries on.
#pragma once

namespace vemtrix::setup {

enum class InstallOfferOutcome {
  RunHere,  // "No": stay where we are and go on to the catalog download
  End,      // cancelled, failed, or handed over to the installer
};

// Asks "Welcome to Vemtrix" and, on Yes, where to install; writes out and
// starts the installer. Every failure has shown its box when this returns.
InstallOfferOutcome OfferInstallation();

}  // namespace vemtrix::setup

// The first-run catalog download dialog, "Download Sections and Cities": a
// log of the run, the "Begin Download" button that starts it (and ends the
// dialog once the run is over), "Cancel", and a picture of the site being
// harvested. The main window does not exist while it runs.
#pragma once

#include "catalogs/catalog_harvest.h"
#include "ui/logic/control_ids.h"

namespace vemtrix::setup {


// What the log field shows before the run.
inline constexpr const char* kHarvestOpeningText =
    "Warning:\r\nI couldn't find a current list of cities and sections for searching. Please click the button "
    "below to attempt to download them from Craigslist, Kijiji, and other sites now. You will only need to do "
    "this once and the files will be saved in the same directory as the program is running from.";

// Runs the dialog modally (no owner). While it runs it is the engine's
// front end. Returns when it closes; FirstRunResult then says how the run
// ended (still 0 when the dialog was closed before the run finished).
void ShowHarvestDialog();

// What the dialog gives the harvest to report to (its log, button and
// picture); calls from any thread reach the dialog through its queue.
HarvestView& HarvestDialogView();

// Thread body: shows the magnifier frames of the site HarvestPhase names,
// 250 ms a frame, until HarvestPhase is SiteId::None (noticed within 50 ms),
// then the idle picture. Started by the first site of a run.
void AnimateHarvestSite();

}  // namespace vemtrix::setup

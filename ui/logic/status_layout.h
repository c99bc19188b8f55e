// Where the Diagnostics page's controls go for a given window size, in dialog
// units: the two blocks of twelve worker rows (search and deep scan), the two
// buttons that switch between them, and the page's "Abort" button.
//
// While the window is at most 570 units high the page is compact: both
// blocks sit in the same place and only one of them is visible at a time.
// Taller windows show both, the scan block below the search block.
//
// Positions are page coordinates (relative to the page inside the tab
// control). The counter boxes and their labels keep their first placement and
// are not listed.
#pragma once

#include <vector>

#include "core/frontend.h"
#include "ui/logic/main_layout.h"

namespace vemtrix {

inline constexpr int kWorkerSlots = 12;

// The tallest window (dialog units) whose Diagnostics page is compact.
inline constexpr int kCompactMaxHeight = 570;

// Site icons are 16 x 16 pixels, lights 24 x 24 pixels; lights of one block
// stand side by side, one every 24 pixels.
inline constexpr int kWorkerIconPx = 16;
inline constexpr int kWorkerLightPx = 24;
inline constexpr int kWorkerLightStepPx = 24;


// The control ids of worker slot i (0..11) of a block.
int WorkerBoxId(WorkerBlock block, int slot);
int WorkerLabelId(WorkerBlock block, int slot);
int WorkerIconId(WorkerBlock block, int slot);
int WorkerLightId(WorkerBlock block, int slot);

// True when a window heightDlu units high puts the page in compact mode.
bool DiagnosticsCompact(int heightDlu);

// Whether a block's rows (text boxes, labels, site icons) are visible:
// always outside compact mode, in compact mode only the block it shows.
bool WorkerBlockVisible(WorkerBlock block, bool compact, WorkerBlock compactShows);

// The block compact mode shows after a request to show `requested` (the
// "View Search Status" / "View Scan Status" buttons, the start of a search or
// deep scan). Outside compact mode a request changes nothing.
WorkerBlock SwitchWorkerBlock(WorkerBlock compactShows, WorkerBlock requested, bool compact);

// The placement of the worker text boxes, slot labels and site icons of both
// blocks, the two view buttons and the "Abort" button for a window of
// width x height dialog units, with the rows of a hidden block marked
// visible = false. Site icons keep their pixel size: their rect has w = h = 0
// and only its x and y apply. Sizes that would go negative are 0. With the
// page's own height (pageHeight > 0) the "Abort" button stays whole on it.
std::vector<LayoutSlot> DiagnosticsLayout(int width, int height, WorkerBlock compactShows, int pageHeight = 0);

// Where a block's row of lights starts, in dialog units. The lights do not
// move with the window. Light i stands at this origin plus
// i * kWorkerLightStepPx pixels to the right: the caller converts the origin
// to pixels and adds the pixel offset, since dialog units and pixels do not
// divide evenly.
struct DluPoint {
  int x = 0;
  int y = 0;
};
DluPoint WorkerLightOrigin(WorkerBlock block);

}  // namespace vemtrix

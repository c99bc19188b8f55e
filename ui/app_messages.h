// Messages the window posts to itself. WM_APP + n, never WM_USER + n, which
// dialogs use themselves.
#pragma once

#include <windows.h>

namespace vemtrix::ui {

// The front end queued changes from other threads: apply them now.
inline constexpr UINT kMsgDrainQueue = WM_APP + 1;
// A tree's check box may have changed (wParam: the tree's control id): run
// its synchronisation once the tree has applied the click or key.
inline constexpr UINT kMsgTreeChanged = WM_APP + 2;

// Commands without a control of their own.
inline constexpr int kCmdShowDiagnostics = 7100;
inline constexpr int kCmdClose = 7101;
inline constexpr int kCmdRecentFirst = 6001;
inline constexpr int kCmdRecentLast = 6008;

}  // namespace vemtrix::ui

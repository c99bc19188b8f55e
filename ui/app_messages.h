// Every message the program posts to its own windows. WM_APP + n, never
// WM_USER + n, which dialogs use themselves.
#pragma once

#include <windows.h>

namespace vemtrix::ui {

// A front end queued changes from other threads (WindowQueue): apply them now.
inline constexpr UINT kMsgDrainQueue = WM_APP + 1;
// A task posted with PostTask (lParam owns it): run it (RunPostedTask).
inline constexpr UINT kMsgRunTask = WM_APP + 2;
// The notification-area icon was clicked (lParam: the mouse or balloon event).
inline constexpr UINT kMsgTrayIcon = WM_APP + 3;

}  // namespace vemtrix::ui

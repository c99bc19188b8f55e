// The one road from other threads to a window's thread. Two kinds of
// traffic take it:
// - a front end's changes (WindowQueue): merged under a lock while the
//   window is busy and applied in one go on one wake-up message, so a burst
//   of a million changes costs one redraw;
// - a single piece of work for the window's thread (PostTask), such as a
//   finished background search's matches or an animation frame.
// Windows that take posted work call RunPostedTask on kMsgRunTask and
// DropPostedTasks when they are destroyed.
#pragma once

#include <windows.h>

#include <functional>
#include <mutex>

#include "ui/app_messages.h"

namespace vemtrix::ui {

// Changes for one window, queued from any thread. Pending is a plain struct
// of what changed; Queue edits it, Take hands it all to the window's thread.
template <typename Pending>
class WindowQueue {
 public:
  // The window the wake-up goes to; anything queued before is dropped.
  void Attach(HWND target) {
    std::lock_guard<std::mutex> guard(lock_);
    target_ = target;
    pending_ = Pending{};
    wakePosted_ = false;
  }
  // From here on every change is dropped.
  void Detach() {
    std::lock_guard<std::mutex> guard(lock_);
    target_ = nullptr;
    pending_ = Pending{};
  }
  bool Attached() {
    std::lock_guard<std::mutex> guard(lock_);
    return target_ != nullptr;
  }
  // Runs change on the pending changes under the lock and, with wake, posts
  // one kMsgDrainQueue until the window takes them. False when detached.
  template <typename Change>
  bool Queue(Change change, bool wake = true) {
    std::lock_guard<std::mutex> guard(lock_);
    if (target_ == nullptr) return false;
    change(pending_);
    if (wake && !wakePosted_) wakePosted_ = PostMessageA(target_, kMsgDrainQueue, 0, 0) != FALSE;
    return true;
  }
  // Window thread: everything queued, and the queue empty again.
  Pending Take() {
    std::lock_guard<std::mutex> guard(lock_);
    Pending taken = std::move(pending_);
    pending_ = Pending{};
    wakePosted_ = false;
    return taken;
  }

 private:
  std::mutex lock_;
  HWND target_ = nullptr;
  Pending pending_;
  bool wakePosted_ = false;
};

// Runs task on window's thread once it reads its messages. False (and the
// task dropped) when the window is gone.
bool PostTask(HWND window, std::function<void()> task);
// The window procedure's part on kMsgRunTask: runs the posted task once.
void RunPostedTask(LPARAM posted);
// A window being destroyed drops the tasks still waiting for it.
void DropPostedTasks(HWND window);

}  // namespace vemtrix::ui

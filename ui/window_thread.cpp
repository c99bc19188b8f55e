#include "ui/window_thread.h"

#include <memory>

namespace vemtrix::ui {

using Task = std::function<void()>;

bool PostTask(HWND window, Task task) {
  auto posted = std::make_unique<Task>(std::move(task));
  if (window == nullptr || !PostMessageA(window, kMsgRunTask, 0, reinterpret_cast<LPARAM>(posted.get()))) return false;
  posted.release();  // the window's thread owns it now
  return true;
}

void RunPostedTask(LPARAM posted) {
  std::unique_ptr<Task> task(reinterpret_cast<Task*>(posted));
  if (task && *task) (*task)();
}

void DropPostedTasks(HWND window) {
  MSG pending;
  while (PeekMessageA(&pending, window, kMsgRunTask, kMsgRunTask, PM_REMOVE))
    delete reinterpret_cast<Task*>(pending.lParam);
}

}  // namespace vemtrix::ui

// vemtrix_soak: uses Vemtrix.exe for a while as a restless user would, from
// a seed, while switching the site simulator's faults on and off, and checks
// that the window holds up: it answers within 2 s after every action, no
// message box comes that the action (or the run under way) does not explain,
// the program does not end, and its handles, GDI and USER objects and
// private memory do not grow after the first minute.
//
// The program folder must hold the catalogs, a vemtrix.ini and the search
// "soak" it opens with (scripts/soak.sh prepares it). Between the
// measurements the driver brings the program back to one state (no run, the
// results page, the first size, faults off, the search "soak" loaded), so
// that the figures compare like with like.
//
// Usage: vemtrix_soak PROGRAM SEED MINUTES SIM_PORT
// Exit status 0 when the run held up, 1 when it did not, 2 on bad usage.
#include <winsock2.h>
#include <windows.h>
#include <commctrl.h>
#include <psapi.h>
#include <winternl.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "resources/version.h"
#include "win/ui_driver.h"

using namespace vemtrix;
using namespace vemtrix::uitest;

namespace {

constexpr int kAnswerMs = 2000;        // the window must answer within this after every action
constexpr int kGraceAfterAbortMs = 1000;  // a give-up box already on its way when Abort was pressed
constexpr int kPageResults = 0, kPageSearch = 1, kPageSettings = 2, kPageStatus = 3, kPageTemplate = 4;
constexpr int kFullRows = 7990;  // full.vem: within the soak's largest MaxResults (8000)

// ------------------------------------------------------------------ random

struct Random {
  std::uint64_t state;
  std::uint64_t Next() {
    std::uint64_t z = (state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  int Below(int n) { return n <= 0 ? 0 : static_cast<int>(Next() % static_cast<std::uint64_t>(n)); }
  int Between(int low, int high) { return low + Below(high - low + 1); }
  bool Chance(int percent) { return Below(100) < percent; }
  template <typename T>
  const T& Of(const std::vector<T>& items) { return items[static_cast<std::size_t>(Below(static_cast<int>(items.size())))]; }
};

// ------------------------------------------------------------------ the simulator's control requests

// GET path on 127.0.0.1:port; the answer's body, or "" when none came.
// While the simulator refuses connections (its "refuse" fault, at most a few
// seconds) the request is tried again, for up to 8 s.
std::string SimRequest(int port, const std::string& path) {
  const ULONGLONG giveUp = GetTickCount64() + 8000;
  SOCKET s = INVALID_SOCKET;
  for (;;) {
    s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (s == INVALID_SOCKET) return "";
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(static_cast<u_short>(port));
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(s, reinterpret_cast<sockaddr*>(&to), sizeof to) == 0) break;
    closesocket(s);
    if (GetTickCount64() >= giveUp) return "";
    Sleep(200);
  }
  DWORD timeout = 5000;
  setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout), sizeof timeout);
  std::string answer;
  std::string request = "GET " + path + " HTTP/1.0\r\nHost: sim\r\n\r\n";
  send(s, request.data(), static_cast<int>(request.size()), 0);
  char buffer[4096];
  for (int got; (got = recv(s, buffer, sizeof buffer, 0)) > 0;) answer.append(buffer, static_cast<std::size_t>(got));
  closesocket(s);
  std::size_t body = answer.find("\r\n\r\n");
  return body == std::string::npos ? "" : answer.substr(body + 4);
}

// ------------------------------------------------------------------ the other process's memory

// A page in the program's memory for the list, tree, tab and header
// messages that carry a pointer. Taken once, so every measurement counts it.
class RemotePage {
 public:
  bool Open(DWORD processId) {
    process_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE | PROCESS_QUERY_INFORMATION |
                               PROCESS_DUP_HANDLE,
                           FALSE, processId);
    if (process_ == nullptr) return false;
    at_ = VirtualAllocEx(process_, nullptr, 4096, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    return at_ != nullptr;
  }
  template <typename T>
  bool Put(const T& value) {
    SIZE_T done = 0;
    return WriteProcessMemory(process_, at_, &value, sizeof value, &done) && done == sizeof value;
  }
  template <typename T>
  bool Get(T& value) {
    SIZE_T done = 0;
    return ReadProcessMemory(process_, at_, &value, sizeof value, &done) && done == sizeof value;
  }
  LPARAM Address() const { return reinterpret_cast<LPARAM>(at_); }
  HANDLE Process() const { return process_; }

 private:
  HANDLE process_ = nullptr;
  void* at_ = nullptr;
};

// ------------------------------------------------------------------ figures

struct Figures {
  bool taken = false;
  double atSeconds = 0;
  DWORD handles = 0, gdi = 0, user = 0;
  SIZE_T privateBytes = 0;
  bool userIsWindows = false;  // USER objects counted as the process's windows
  std::vector<std::uint16_t> handleValues;  // from the system's handle list, where it gives them
  DWORD wineDialogKeys = 0;  // left out of handles: see Measure
};

// Under Wine GetProcessHandleCount and GetGuiResources give nothing for
// another process; there the system's handle list gives the handles, the
// process's GDI handle table (which its PEB points at, as on Windows) the
// GDI objects, and its windows stand for its USER objects.
using QuerySystemInformation = LONG(NTAPI*)(ULONG, PVOID, ULONG, PULONG);
using QueryInformationProcess = LONG(NTAPI*)(HANDLE, ULONG, PVOID, ULONG, PULONG);

// The handles the system's handle list holds for the process (a live
// count; the process list's figure under Wine is the size of the process's
// handle table, which only doubles and halves).
std::vector<std::uint16_t> HandleValues(DWORD processId) {
  std::vector<std::uint16_t> values;
  auto query = reinterpret_cast<QuerySystemInformation>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQuerySystemInformation")));
  if (query == nullptr) return values;
  struct Entry {
    ULONG processId;
    UCHAR type;
    UCHAR flags;
    USHORT handle;
    PVOID object;
    ACCESS_MASK access;
  };
  std::vector<char> list(16 << 20);
  ULONG length = 0;
  if (query(16 /* SystemHandleInformation */, list.data(), static_cast<ULONG>(list.size()), &length) != 0) return values;
  ULONG count = *reinterpret_cast<const ULONG*>(list.data());
  const auto* entries = reinterpret_cast<const Entry*>(list.data() + sizeof(void*));  // after the count, aligned
  for (ULONG i = 0; i < count && sizeof(void*) + (i + 1) * sizeof(Entry) <= list.size(); ++i)
    if (entries[i].processId == processId) values.push_back(entries[i].handle);
  return values;
}

// What a handle of the program is: its type and, where it has one, its name.
std::string DescribeHandle(HANDLE process, std::uint16_t value) {
  using QueryObject = LONG(NTAPI*)(HANDLE, ULONG, PVOID, ULONG, PULONG);
  auto query = reinterpret_cast<QueryObject>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQueryObject")));
  HANDLE mine = nullptr;
  if (query == nullptr || !DuplicateHandle(process, reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(value)),
                                           GetCurrentProcess(), &mine, 0, FALSE, DUPLICATE_SAME_ACCESS))
    return "(not duplicated)";
  auto text = [&](ULONG kind) {
    alignas(8) char buffer[2048] = {};
    ULONG length = 0;
    if (query(mine, kind, buffer, sizeof buffer - 2, &length) != 0) return std::string("?");
    const auto* name = reinterpret_cast<const UNICODE_STRING*>(buffer);
    if (name->Buffer == nullptr || name->Length == 0) return std::string();
    char narrow[1024] = {};
    WideCharToMultiByte(CP_UTF8, 0, name->Buffer, name->Length / 2, narrow, sizeof narrow - 1, nullptr, nullptr);
    return std::string(narrow);
  };
  std::string described = text(2 /* ObjectTypeInformation */);
  std::string name = text(1 /* ObjectNameInformation */);
  if (!name.empty()) described += " " + name;
  CloseHandle(mine);
  return described;
}

BOOL CALLBACK CountWindow(HWND window, LPARAM parameter) {
  auto* counting = reinterpret_cast<std::pair<DWORD, DWORD>*>(parameter);
  if (ProcessOfWindow(window) != counting->first) return TRUE;
  counting->second += 1;
  EnumChildWindows(window, [](HWND, LPARAM p) -> BOOL { reinterpret_cast<std::pair<DWORD, DWORD>*>(p)->second += 1; return TRUE; },
                   parameter);
  return TRUE;
}

DWORD WindowsOf(DWORD processId) {
  std::pair<DWORD, DWORD> counting{processId, 0};
  EnumWindows(CountWindow, reinterpret_cast<LPARAM>(&counting));
  return counting.second;
}

Figures Measure(HANDLE process, DWORD processId, double atSeconds) {
  Figures f;
  f.atSeconds = atSeconds;
  f.handleValues = HandleValues(processId);
  if (!GetProcessHandleCount(process, &f.handles) || f.handles == 0) {
    // Wine's file dialog leaves its recent-folders registry key open each
    // time a file is chosen: not the program's, so counted apart.
    for (std::uint16_t value : f.handleValues) {
      const std::string what = DescribeHandle(process, value);
      if (what.rfind("Key ", 0) == 0 && what.size() > 24 && what.compare(what.size() - 24, 24, "\\ComDlg32\\LastVisitedMRU") == 0)
        ++f.wineDialogKeys;
    }
    f.handles = static_cast<DWORD>(f.handleValues.size()) - f.wineDialogKeys;
  }
  f.gdi = GetGuiResources(process, GR_GDIOBJECTS);
  f.user = GetGuiResources(process, GR_USEROBJECTS);
  if (f.gdi == 0) f.gdi = GdiObjectsOf(process);
  if (f.user == 0) {
    f.user = WindowsOf(processId);
    f.userIsWindows = true;
  }
  PROCESS_MEMORY_COUNTERS_EX memory{};
  memory.cb = sizeof memory;
  if (GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof memory))
    f.privateBytes = memory.PrivateUsage != 0 ? memory.PrivateUsage : memory.PagefileUsage;  // Wine: the latter
  f.taken = true;
  return f;
}

std::string Describe(const Figures& f) {
  char text[240];
  std::snprintf(text, sizeof text, "handles %lu (and %lu of Wine's file dialog), GDI objects %lu, %s %lu, private memory %.1f MB",
                static_cast<unsigned long>(f.handles), static_cast<unsigned long>(f.wineDialogKeys), static_cast<unsigned long>(f.gdi),
                f.userIsWindows ? "USER objects (windows)" : "USER objects", static_cast<unsigned long>(f.user), static_cast<double>(f.privateBytes) / (1024.0 * 1024.0));
  return text;
}

// ------------------------------------------------------------------ the soak

// A message box an action may raise: its caption, how its text begins, and
// the button that answers it.
struct Expected {
  std::string caption;
  std::string textStart;
  int answer = IDOK;
};

bool Matches(const Expected& e, const MessageBoxInfo& box) {
  return box.caption == e.caption && box.text.rfind(e.textStart, 0) == 0;
}

// The window's class name in lower case.
std::string ClassOf(HWND window) {
  char name[64] = {};
  GetClassNameA(window, name, sizeof name);
  CharLowerA(name);
  return name;
}

class Soak {
 public:
  Soak(std::uint64_t seed, int minutes, int simPort) : random_{seed}, minutes_(minutes), simPort_(simPort) {}

  int Run(const std::string& program);

 private:
  // ---- time and the program's state
  double Seconds() const { return static_cast<double>(GetTickCount64() - started_) / 1000.0; }
  bool Alive() {
    if (ended_) return false;
    if (!vemtrix_.Running()) {
      ended_ = true;
      if (closing_) return false;  // asked to close: ending is what it should do
      Fail("the program ended (exit code " + std::to_string(vemtrix_.ExitCode()) + ")");
    }
    return !ended_;
  }
  void Fail(const std::string& what) {
    char at[32];
    std::snprintf(at, sizeof at, "%.1f s", Seconds());
    failures_.push_back(std::string(at) + ", action " + std::to_string(actionCount_) + " (" + action_ + "): " + what);
    std::printf("soak: FAIL %s\n", failures_.back().c_str());
  }
  bool Searching() { return ControlText(window_, kIdGo) == "Abort"; }
  bool Scanning() { return ControlText(window_, kIdDeepScan) == "Abort DS"; }
  bool Usable(int id) {
    HWND control = FindControl(window_, id);
    return control != nullptr && IsWindowEnabled(control) && IsWindowVisible(control);
  }
  int ListCount() {
    DWORD_PTR count = 0;
    SendMessageTimeoutA(FindControl(window_, kIdList), LVM_GETITEMCOUNT, 0, 0, SMTO_ABORTIFHUNG, 5000, &count);
    return static_cast<int>(count);
  }
  void Post(int id) { PostMessageA(window_, WM_COMMAND, MAKEWPARAM(id, 0), 0); }  // a keyboard shortcut
  void Press(int id) { PressButton(window_, id); }

  // ---- boxes
  bool IsBox(HWND window) {
    return ClassOf(window) == "#32770" && GetDlgItem(window, 0xFFFF) != nullptr && FindControl(window, 0x47C) == nullptr;
  }
  std::vector<HWND> OpenBoxes();
  void Service();
  bool BackgroundAllowed(const MessageBoxInfo& box);
  bool Wait(const std::function<bool()>& done, int timeoutMs);
  void Pause(int ms) { Wait([] { return false; }, ms); }
  bool SawBox(const std::string& textStart) {
    for (const MessageBoxInfo& box : answered_)
      if (box.text.rfind(textStart, 0) == 0) return true;
    return false;
  }
  HWND WaitForDialog(const std::string& caption, int timeoutMs);
  // Waits until a dialog or box is destroyed, not only hidden: under Wine
  // on a display without a window manager, hiding a dialog holds its
  // thread for 2 s (waiting for a manager that never answers), and that
  // wait is the environment's, not the program's.
  bool Closed(HWND window) {
    const ULONGLONG end = GetTickCount64() + 8000;
    while (IsWindow(window) && GetTickCount64() < end) Sleep(20);
    return !IsWindow(window);
  }
  bool AnswerFileDialog(const std::string& title, const std::string& name);

  // ---- the pages and controls
  int CurrentPage() {
    DWORD_PTR page = 0;
    SendMessageTimeoutA(FindControl(window_, kIdTab), TCM_GETCURSEL, 0, 0, SMTO_ABORTIFHUNG, 5000, &page);
    return static_cast<int>(page);
  }
  bool ShowPage(int page);
  void ClickAt(HWND control, int x, int y) {
    LPARAM at = MAKELPARAM(x, y);
    PostMessageA(control, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageA(control, WM_LBUTTONUP, 0, at);
  }
  std::vector<HTREEITEM> TreeItems(HWND tree);
  int TreeState(HWND tree, HTREEITEM item) {
    DWORD_PTR state = 0;
    SendMessageTimeoutA(tree, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(item), TVIS_STATEIMAGEMASK,
                        SMTO_ABORTIFHUNG, 5000, &state);
    return static_cast<int>((state & TVIS_STATEIMAGEMASK) >> 12);
  }

  // ---- actions
  void Act(const std::string& forced = "");
  void Begin(const std::string& name) {
    ++actionCount_;
    action_ = name;
    memoryAtBegin_ = PrivateBytes();
    answered_.clear();
    // A box the last action raised may come late (a box takes about 2 s to
    // open under Wine): what that action expected stays expected a while.
    carried_ = expected_;
    carriedUntil_ = GetTickCount64() + 5000;
    expected_.clear();
    std::printf("soak: %4d %7.1f s %s\n", actionCount_, Seconds(), name.c_str());
  }
  void End();
  void Skip(const std::string& why) {
    std::printf("soak:              (%s)\n", why.c_str());
    ++skipped_[action_];
  }
  void Tick();
  void Terms();
  void Go();
  void DeepScan();
  void Sort();
  void Delete();
  void QuickFilter();
  void Save();
  void Load(const std::string& name);
  void New();
  void Settings();
  void Resize(bool largest);
  void WriteFullSearch() const;  // largest: maximised, then the largest size
  void SwitchPage();
  void About();
  void Fault();
  void AbortEverything();
  void Settle(Figures& into, const char* when);

  Random random_;
  int minutes_;
  int simPort_;
  ChildProcess vemtrix_;
  RemotePage remote_;
  HWND window_ = nullptr;
  std::string folder_;
  ULONGLONG started_ = 0;
  bool ended_ = false;
  bool closing_ = false;
  int actionCount_ = 0;
  std::string action_ = "start";
  std::map<std::string, int> done_, skipped_;
  // Private memory the program gained or gave back during each kind of
  // action after the first minute (what threads did meanwhile counts with
  // the action under way): where a growth comes from.
  std::map<std::string, double> memoryByAction_;
  SIZE_T memoryAtBegin_ = 0;
  SIZE_T PrivateBytes() {
    PROCESS_MEMORY_COUNTERS_EX memory{};
    memory.cb = sizeof memory;
    if (remote_.Process() == nullptr ||
        !GetProcessMemoryInfo(remote_.Process(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof memory))
      return 0;
    return memory.PrivateUsage != 0 ? memory.PrivateUsage : memory.PagefileUsage;
  }
  std::vector<std::string> failures_;
  std::vector<Expected> expected_, carried_;
  ULONGLONG carriedUntil_ = 0;
  std::vector<MessageBoxInfo> answered_;
  RECT firstSize_{};
  std::vector<std::string> saved_;  // searches the soak saved
  int firstCount_ = 0;              // rows of the search "soak"

  // What the runs under way may show: a search's give-up box when a fault
  // was on during it and it was not aborted, a deep scan's while it was not
  // aborted. Times in GetTickCount64.
  std::string fault_ = "none";
  bool faultDuringRun_ = false;
  ULONGLONG runAbortedAt_ = 0, scanAbortedAt_ = 0;
};

std::vector<HWND> Soak::OpenBoxes() {
  struct Query {
    Soak* soak;
    DWORD process;
    std::vector<HWND> found;
  } query{this, vemtrix_.Id(), {}};
  EnumWindows(
      [](HWND window, LPARAM parameter) -> BOOL {
        auto* q = reinterpret_cast<Query*>(parameter);
        if (IsWindowVisible(window) && ProcessOfWindow(window) == q->process && q->soak->IsBox(window))
          q->found.push_back(window);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&query));
  return query.found;
}

bool Soak::BackgroundAllowed(const MessageBoxInfo& box) {
  const ULONGLONG now = GetTickCount64();
  // Settings changed and not applied: any command that shows another page
  // (Go!, Abort, a refused Load...) leaves the settings page, which says so.
  if (box.caption == "Vemtrix Settings")
    return box.text.rfind("Changes to the settings have been canceled", 0) == 0;
  if (box.caption != "Error") return false;
  if (box.text.rfind("I'm having trouble connecting to the search for ", 0) == 0) {
    // A search gives up only on a failing site; after Abort it is quiet.
    if (runAbortedAt_ != 0 && now > runAbortedAt_ + kGraceAfterAbortMs) return false;
    return faultDuringRun_;
  }
  if (box.text.rfind("I'm having trouble downloading ", 0) == 0) {
    // Some ad pages never give their text: a deep scan may give up on them
    // without any fault; after Abort DS it is quiet.
    return scanAbortedAt_ == 0 || now <= scanAbortedAt_ + kGraceAfterAbortMs;
  }
  // A run or a load that fills the list.
  return box.text.rfind("The results list has overflowed", 0) == 0;
}

// Answers every open message box: as the action expects it, as a run under
// way may show it, or (failing the soak) as a box no one expected.
void Soak::Service() {
  for (HWND box : OpenBoxes()) {
    MessageBoxInfo info = ReadMessageBox(box);
    if (info.caption.empty() && info.text.empty()) continue;  // still opening
    int answer = -1;
    for (const Expected& e : expected_)
      if (Matches(e, info)) answer = e.answer;
    if (answer == -1 && GetTickCount64() < carriedUntil_)
      for (const Expected& e : carried_)
        if (Matches(e, info)) answer = e.answer;
    if (answer == -1 && BackgroundAllowed(info)) answer = IDOK;
    if (answer == -1) {
      Fail("a box no one expected: \"" + info.caption + "\": " + info.text);
      answer = GetDlgItem(box, IDOK) ? IDOK : (GetDlgItem(box, IDNO) ? IDNO : IDCANCEL);
    }
    std::printf("soak:              box \"%s\": %.90s\n", info.caption.c_str(), info.text.c_str());
    answered_.push_back(info);
    AnswerMessageBox(box, answer);
    Closed(box);
  }
}

bool Soak::Wait(const std::function<bool()>& done, int timeoutMs) {
  const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(timeoutMs);
  for (;;) {
    if (!Alive()) return false;
    Service();
    if (done()) return true;
    if (GetTickCount64() >= end) return false;
    Sleep(50);
  }
}

HWND Soak::WaitForDialog(const std::string& caption, int timeoutMs) {
  HWND found = nullptr;
  Wait(
      [&] {
        found = WaitForWindow(caption, vemtrix_.Id(), 0);
        return found != nullptr && !IsBox(found);
      },
      timeoutMs);
  return found != nullptr && !IsBox(found) ? found : nullptr;
}

// Types name into the open or save dialog title (Cancel when empty); the
// dialog's own question about replacing a file is answered Yes.
bool Soak::AnswerFileDialog(const std::string& title, const std::string& name) {
  HWND dialog = WaitForDialog(title, kWindowWaitMs);
  if (dialog == nullptr) return false;
  auto gone = [&] { return !IsWindow(dialog); };
  if (name.empty()) {
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    return Wait(gone, kWindowWaitMs);
  }
  // The name box: an Edit inside the control 0x47C (a combo box in the
  // explorer-style dialog) or that control itself; it may come a moment
  // after the dialog.
  HWND edit = nullptr;
  Wait(
      [&] {
        HWND box = FindControl(dialog, 0x47C);
        if (box == nullptr) return false;
        if (ClassOf(box) == "edit") edit = box;
        if (edit == nullptr) {
          EnumChildWindows(
              box,
              [](HWND child, LPARAM parameter) -> BOOL {
                if (ClassOf(child) != "edit") return TRUE;
                *reinterpret_cast<HWND*>(parameter) = child;
                return FALSE;
              },
              reinterpret_cast<LPARAM>(&edit));
        }
        return edit != nullptr;
      },
      5000);
  if (edit == nullptr) {
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    Wait(gone, kWindowWaitMs);
    return false;
  }
  DWORD_PTR ignored = 0;
  SendMessageTimeoutA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(name.c_str()), SMTO_ABORTIFHUNG, 5000, &ignored);
  expected_.push_back({title, "", IDYES});  // "... already exists. Do you want to replace it?"
  PostMessageA(dialog, WM_COMMAND, IDOK, 0);
  if (Wait(gone, kWindowWaitMs)) return true;
  PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
  Wait(gone, kWindowWaitMs);
  return false;
}

bool Soak::ShowPage(int page) {
  HWND tab = FindControl(window_, kIdTab);
  // Leaving the settings page with changes not applied: the page says so.
  expected_.push_back({"Vemtrix Settings", "Changes to the settings have been canceled", IDOK});
  for (int tries = 0; tries < 10 && CurrentPage() != page; ++tries) {
    PostMessageA(tab, WM_KEYDOWN, CurrentPage() < page ? VK_RIGHT : VK_LEFT, 0);
    Wait([&] { return CurrentPage() == page; }, 1000);
  }
  Pause(150);
  return CurrentPage() == page;
}

std::vector<HTREEITEM> Soak::TreeItems(HWND tree) {
  std::vector<HTREEITEM> items;
  std::vector<HTREEITEM> todo;
  auto next = [&](HTREEITEM from, WPARAM how) {
    DWORD_PTR item = 0;
    SendMessageTimeoutA(tree, TVM_GETNEXTITEM, how, reinterpret_cast<LPARAM>(from), SMTO_ABORTIFHUNG, 5000, &item);
    return reinterpret_cast<HTREEITEM>(item);
  };
  for (HTREEITEM item = next(nullptr, TVGN_ROOT); item != nullptr; item = next(item, TVGN_NEXT)) todo.push_back(item);
  while (!todo.empty() && items.size() < 2000) {
    HTREEITEM item = todo.back();
    todo.pop_back();
    items.push_back(item);
    for (HTREEITEM child = next(item, TVGN_CHILD); child != nullptr; child = next(child, TVGN_NEXT))
      todo.push_back(child);
  }
  return items;
}

// ------------------------------------------------------------------ the actions

void Soak::Tick() {
  if (!ShowPage(kPageSearch)) return Fail("the Search Settings page did not show");
  if (random_.Chance(10)) {
    const int buttons[] = {kIdCitySelectAll, kIdCityClearAll, kIdSectionSelectAll, kIdSectionClearAll};
    int id = buttons[random_.Below(4)];
    if (!Usable(id)) return Skip("the trees' buttons are disabled during a run");
    std::printf("soak:              %s\n", ControlText(window_, id).c_str());
    Press(id);
    Pause(300);
    return;
  }
  std::vector<HWND> trees;
  for (int id : kCityTreeIds) trees.push_back(FindControl(window_, id));
  for (int id : kSectionTreeIds) trees.push_back(FindControl(window_, id));
  std::vector<HWND> usable;
  for (HWND tree : trees)
    if (tree != nullptr && IsWindowVisible(tree)) usable.push_back(tree);
  if (usable.empty()) return Fail("no tree is shown");
  HWND tree = random_.Of(usable);
  if (!IsWindowEnabled(tree)) return Skip("the trees are disabled during a run");
  std::vector<HTREEITEM> items = TreeItems(tree);
  if (items.empty()) return Fail("an empty tree");
  HTREEITEM item = random_.Of(items);
  DWORD_PTR ignored = 0;
  SendMessageTimeoutA(tree, TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(item), SMTO_ABORTIFHUNG, 5000, &ignored);
  RECT rect{};
  *reinterpret_cast<HTREEITEM*>(&rect) = item;
  remote_.Put(rect);
  SendMessageTimeoutA(tree, TVM_GETITEMRECT, TRUE, remote_.Address(), SMTO_ABORTIFHUNG, 5000, &ignored);
  remote_.Get(rect);
  const int before = TreeState(tree, item);
  std::printf("soak:              tree %d, item %d of %zu, %s\n", GetDlgCtrlID(tree),
              static_cast<int>(std::find(items.begin(), items.end(), item) - items.begin()), items.size(),
              before == 2 ? "untick" : "tick");
  ClickAt(tree, rect.left - 8, (rect.top + rect.bottom) / 2);
  // A section ticked with its whole group, or kept by the synchronised
  // sites, may stay as it was: the program's rules, not a fault.
  if (!Wait([&] { return TreeState(tree, item) != before; }, 3000))
    std::printf("soak:              (the box kept its state)\n");
}

void Soak::Terms() {
  static const std::vector<std::string> terms = {"bike",        "sofa,lamp",     "desk chair", "bike,sofa,tv",
                                                 "zzznothing",  "zzzmany",       "\"red bike\"", "lamp",
                                                 "",            "caf\xe9,table"};
  if (!ShowPage(kPageSearch)) return Fail("the Search Settings page did not show");
  if (!Usable(kIdTerms)) return Skip("the terms are disabled during a run");
  std::string text = random_.Of(terms);
  std::printf("soak:              \"%s\"\n", text.c_str());
  SetControlText(window_, kIdTerms, text);
  if (!Wait([&] { return ControlText(window_, kIdTerms) == text; }, 2000)) Fail("the terms did not change");
}

void Soak::Go() {
  if (Searching()) {
    std::printf("soak:              Abort\n");
    if (random_.Chance(50)) {
      Press(kIdGo);
    } else {
      if (!ShowPage(kPageStatus)) return Fail("the Diagnostics page did not show");
      Press(kIdAbort);
    }
    runAbortedAt_ = GetTickCount64();
    // The workers in a countdown end at once; one downloading ends with its download.
    if (!Wait([&] { return ControlText(window_, kIdGo) == "Go!"; }, 30000)) Fail("Abort did not end the run in 30 s");
    return;
  }
  // Go! from either page.
  int id = random_.Chance(70) ? kIdGo : kIdGo2;
  if (!ShowPage(id == kIdGo ? kPageResults : kPageSearch)) return Fail("the page of Go! did not show");
  expected_.push_back({"Error", "You have not ", IDOK});  // no terms, cities, sections or name
  runAbortedAt_ = 0;
  faultDuringRun_ = fault_ != "none";
  Press(id);
  Wait([&] { return Searching() || !answered_.empty(); }, 3000);
  // A small search may end before the caption is read: no box and the run over is fine too.
}

void Soak::DeepScan() {
  if (!ShowPage(kPageResults)) return Fail("the results page did not show");
  if (Scanning()) {
    std::printf("soak:              Abort DS\n");
    scanAbortedAt_ = GetTickCount64();
    Press(kIdDeepScan);
    if (!Wait([&] { return ControlText(window_, kIdDeepScan) == "Deep Scan"; }, 30000))
      Fail("Abort DS did not end the scan in 30 s");
    return;
  }
  expected_.push_back({"No worries", "Everything has already been downloaded", IDOK});
  scanAbortedAt_ = 0;
  Press(kIdDeepScan);
  Wait([&] { return Scanning() || !answered_.empty(); }, 3000);
}

void Soak::Sort() {
  if (!ShowPage(kPageResults)) return Fail("the results page did not show");
  HWND list = FindControl(window_, kIdList);
  DWORD_PTR header = 0;
  SendMessageTimeoutA(list, LVM_GETHEADER, 0, 0, SMTO_ABORTIFHUNG, 5000, &header);
  int column = random_.Below(5);
  RECT rect{};
  remote_.Put(rect);
  DWORD_PTR ok = 0;
  SendMessageTimeoutA(reinterpret_cast<HWND>(header), HDM_GETITEMRECT, static_cast<WPARAM>(column), remote_.Address(),
                      SMTO_ABORTIFHUNG, 5000, &ok);
  remote_.Get(rect);
  if (!ok || rect.right <= rect.left) return Fail("no header of column " + std::to_string(column));
  std::printf("soak:              column %d\n", column);
  expected_.push_back({"Error", "A search is currently active. You need to stop the current scan before sorting", IDOK});
  ClickAt(reinterpret_cast<HWND>(header), (rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
  Pause(400);
}

void Soak::Delete() {
  if (!ShowPage(kPageResults)) return Fail("the results page did not show");
  HWND list = FindControl(window_, kIdList);
  const int count = ListCount();
  if (count == 0) return Skip("no results");
  const int row = random_.Below(count);
  LVITEMA item{};
  item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  DWORD_PTR ignored = 0;
  remote_.Put(item);  // clears every selection
  SendMessageTimeoutA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), remote_.Address(), SMTO_ABORTIFHUNG, 5000,
                      &ignored);
  item.state = LVIS_SELECTED | LVIS_FOCUSED;
  remote_.Put(item);
  SendMessageTimeoutA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), remote_.Address(), SMTO_ABORTIFHUNG, 5000,
                      &ignored);
  std::printf("soak:              row %d of %d\n", row, count);
  const bool busy = Searching() || Scanning();
  PostMessageA(list, WM_KEYDOWN, VK_DELETE, 0);
  // A run or scan that begins or ends meanwhile (a run's own deep scan)
  // rightly keeps the rows.
  if (!Wait([&] { return ListCount() != count; }, 3000) && !busy && !Searching() && !Scanning())
    Fail("Delete removed no row");
}

void Soak::QuickFilter() {
  static const std::vector<std::string> filters = {"bike", "a", "zz", "", "Toronto", "sofa lamp", "$"};
  if (!ShowPage(kPageResults)) return Fail("the results page did not show");
  const int count = ListCount();
  Press(kIdFilter);
  if (count <= 1) {
    // Nothing to filter: the button does nothing.
    if (WaitForDialog("Search inside search results", 800) != nullptr) Fail("the quick filter opened on " + std::to_string(count) + " results");
    return Skip("fewer than two results");
  }
  HWND dialog = WaitForDialog("Search inside search results", kWindowWaitMs);
  if (dialog == nullptr)
    return Fail("the quick filter did not open (" + std::to_string(ListCount()) + " results, the window " +
                (IsWindowEnabled(window_) ? "enabled" : "disabled") + ")");
  for (int typed = random_.Between(1, 3); typed > 0; --typed) {
    std::string text = random_.Of(filters);
    std::printf("soak:              filter \"%s\"\n", text.c_str());
    SetControlText(dialog, kIdQuickFilterBox, text);
    Pause(random_.Between(200, 1200));
  }
  PressButton(dialog, kIdQuickClose);
  if (!Closed(dialog)) Fail("the quick filter did not close");
}

void Soak::Save() {
  static const std::vector<std::string> names = {"soak-a", "soak-b", "soak-c"};
  std::string name = random_.Chance(10) ? "" : random_.Of(names);
  std::printf("soak:              as \"%s\"\n", name.c_str());
  expected_.push_back({"Aborted", "Save cancelled. Searches have NOT been saved.", IDOK});
  expected_.push_back({"Warning", "Only ", IDYES});  // a partly loaded search saved over its own file
  Post(kIdSave);  // Ctrl+S
  if (!AnswerFileDialog("Please select a search file to save", name)) return Fail("the save dialog did not work");
  if (name.empty()) {
    if (!Wait([&] { return SawBox("Save cancelled."); }, kWindowWaitMs)) Fail("a cancelled save said nothing");
    return;
  }
  if (!Wait([&] { return ControlText(window_, kIdName) == name; }, 5000)) return Fail("the saved search's name is not shown");
  Pause(300);
  if (GetFileAttributesA((folder_ + "\\" + name + ".vem").c_str()) == INVALID_FILE_ATTRIBUTES)
    return Fail(name + ".vem was not written");
  if (std::find(saved_.begin(), saved_.end(), name) == saved_.end()) saved_.push_back(name);
}

void Soak::Load(const std::string& name) {
  std::printf("soak:              \"%s\"\n", name.c_str());
  expected_.push_back({"Error", "A search is currently active. You need to stop the current scan before loading", IDOK});
  expected_.push_back({"Warning", "You have unsaved search results. Would you like to load anyway",
                       random_.Chance(85) ? IDYES : IDNO});
  expected_.push_back({"Error", "\"corrupt\" is not a saved search.", IDOK});
  const std::string nameBefore = ControlText(window_, kIdName);
  Post(kIdLoad);  // Ctrl+L
  // Refused during a run, or No to losing the results: no dialog.
  HWND dialog = nullptr;
  Wait(
      [&] {
        dialog = WaitForWindow("Please select a search file to load", vemtrix_.Id(), 0);
        return dialog != nullptr || SawBox("A search is currently active") ||
               (SawBox("You have unsaved") && expected_[1].answer == IDNO);
      },
      kWindowWaitMs);
  if (dialog == nullptr) {
    if (answered_.empty()) Fail("Load showed neither its dialog nor a box");
    return;
  }
  if (!AnswerFileDialog("Please select a search file to load", name + ".vem")) return Fail("the load dialog did not work");
  if (name == "corrupt") {
    // Refused, and the name shown stays what it was.
    if (!Wait([&] { return SawBox("\"corrupt\" is not a saved search."); }, kWindowWaitMs))
      return Fail("a file of random bytes was not refused");
    if (!Wait([&] { return ControlText(window_, kIdName) == nameBefore; }, 2000))
      Fail("a refused load left the name \"" + ControlText(window_, kIdName) + "\"");
    return;
  }
  if (!Wait([&] { return ControlText(window_, kIdName) == name; }, 5000)) Fail("the loaded search's name is not shown");
}

void Soak::New() {
  static const std::vector<std::string> names = {"fresh", "another one", "fresh"};
  expected_.push_back({"Error", "A search is currently active. You need to stop the current scan before starting", IDOK});
  const int answer = random_.Chance(85) ? IDYES : IDNO;
  expected_.push_back({"Warning", "You have unsaved search results. Would you like to start a new search", answer});
  Post(kIdNew);  // Ctrl+N
  HWND dialog = nullptr;
  Wait(
      [&] {
        dialog = WaitForWindow("New Search", vemtrix_.Id(), 0);
        return dialog != nullptr || SawBox("A search is currently active") ||
               (SawBox("You have unsaved") && answer == IDNO);
      },
      kWindowWaitMs);
  if (dialog == nullptr) {
    if (answered_.empty()) Fail("New showed neither its dialog nor a box");
    return;
  }
  if (random_.Chance(15)) {
    std::printf("soak:              Cancel\n");
    PressButton(dialog, kIdNewCancel);
  } else {
    std::string name = random_.Of(names);
    std::printf("soak:              \"%s\"\n", name.c_str());
    SetControlText(dialog, kIdNewName, name);
    PressButton(dialog, kIdNewButton);
    if (!Wait([&] { return ControlText(window_, kIdName) == name && ListCount() == 0; }, 5000))
      Fail("the new search is not shown empty");
  }
  if (!Closed(dialog)) Fail("New Search did not close");
}

void Soak::Settings() {
  // Not the sound (speech), the update check or the instance rules: they
  // act at start-up or reach outside the soak.
  static const std::vector<int> checks = {kIdSearchKijiji, kIdSearchBackpage, kIdSearchDaype,  kIdAutoDeepScan,
                                          kIdSearchTitles, kIdHasPictures,    kIdAutoSync,     kIdRssDescription,
                                          kIdOverrideRss,  kIdIncludeSiteInCsv, kIdIncludeStateInCsv,
                                          kIdDiscardSearches, kIdDaypeRss};
  static const std::vector<std::string> threads = {"1", "2", "5", "8", "12", "0", "40", "x"};
  if (!ShowPage(kPageSettings)) return Fail("the Vemtrix Settings page did not show");
  for (int changes = random_.Between(1, 3); changes > 0; --changes) {
    int pick = random_.Below(static_cast<int>(checks.size()) + 3);
    if (pick < static_cast<int>(checks.size())) {
      int id = checks[static_cast<std::size_t>(pick)];
      if (!Usable(id)) continue;
      std::printf("soak:              click %s\n", ControlText(window_, id).c_str());
      DWORD_PTR ignored = 0;
      SendMessageTimeoutA(FindControl(window_, id), BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, 5000, &ignored);
    } else {
      int id = pick == static_cast<int>(checks.size()) ? kIdMaxThreads
               : pick == static_cast<int>(checks.size()) + 1 ? kIdMaxThreads2
                                                              : kIdMaxResults;
      std::string value = id == kIdMaxResults ? (random_.Chance(50) ? "5000" : "8000") : random_.Of(threads);
      std::printf("soak:              field %d = %s\n", id, value.c_str());
      SetControlText(window_, id, value);
    }
  }
  int how = random_.Below(10);
  if (how < 7) {
    if (!Usable(kIdApply)) return Skip("Apply is disabled during a run");
    std::printf("soak:              Apply\n");
    Press(kIdApply);
    // Apply shows the stored numbers, clamped to what they may be.
    auto inRange = [&](int id) {
      int n = std::atoi(ControlText(window_, id).c_str());
      return n >= 1 && n <= 12;
    };
    if (!Wait([&] { return inRange(kIdMaxThreads) && inRange(kIdMaxThreads2); }, 3000))
      Fail("Apply left a thread count out of range: " + ControlText(window_, kIdMaxThreads) + ", " +
           ControlText(window_, kIdMaxThreads2));
  } else if (how < 8) {
    if (!Usable(kIdSettingsCancel)) return Skip("Cancel is disabled during a run");
    std::printf("soak:              Cancel\n");
    Press(kIdSettingsCancel);
    Pause(300);
  } else {
    std::printf("soak:              left unapplied\n");  // the next page switch says so
  }
}

void Soak::Resize(bool largest) {
  if (largest) {
    // The largest window the soak makes: Wine's display driver keeps memory
    // for the largest size it has drawn, made here before the first figures.
    std::printf("soak:              maximise, the largest size, the first size\n");
    ShowWindowAsync(window_, SW_MAXIMIZE);
    Wait([&] { return IsZoomed(window_) != FALSE; }, 3000);
    Pause(500);
    ShowWindowAsync(window_, SW_RESTORE);
    Wait([&] { return !IsZoomed(window_); }, 3000);
    for (const RECT& size : {RECT{0, 0, 1250, 1000}, firstSize_}) {
      SetWindowPos(window_, nullptr, 0, 0, size.right - size.left, size.bottom - size.top,
                   SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE | SWP_ASYNCWINDOWPOS);
      Pause(500);
    }
    return;
  }
  int how = random_.Below(10);
  if (how == 0) {
    std::printf("soak:              minimise and restore\n");
    ShowWindowAsync(window_, SW_MINIMIZE);
    Pause(500);
    ShowWindowAsync(window_, SW_RESTORE);
    Wait([&] { return !IsIconic(window_); }, 3000);
    return;
  }
  if (how == 1) {
    std::printf("soak:              maximise and restore\n");
    ShowWindowAsync(window_, SW_MAXIMIZE);
    Pause(500);
    ShowWindowAsync(window_, SW_RESTORE);
    Wait([&] { return !IsZoomed(window_); }, 3000);
    return;
  }
  int width = random_.Between(300, 1250), height = random_.Between(250, 1000);
  std::printf("soak:              %d x %d\n", width, height);
  RECT before{};
  GetWindowRect(window_, &before);
  SetWindowPos(window_, nullptr, 0, 0, width, height, SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE | SWP_ASYNCWINDOWPOS);
  Wait(
      [&] {
        RECT now{};
        GetWindowRect(window_, &now);
        return (now.right - now.left == width && now.bottom - now.top == height) ||
               (now.right - now.left != before.right - before.left || now.bottom - now.top != before.bottom - before.top);
      },
      2000);
  Pause(200);
}

void Soak::SwitchPage() {
  int page = random_.Below(5);
  std::printf("soak:              page %d\n", page);
  if (!ShowPage(page)) Fail("page " + std::to_string(page) + " did not show");
}

void Soak::About() {
  if (!ShowPage(kPageSettings)) return Fail("the Vemtrix Settings page did not show");
  Press(kIdAbout);
  HWND about = WaitForDialog("About Vemtrix", kWindowWaitMs);
  if (about == nullptr) return Fail("the About box did not open");
  Pause(random_.Between(300, 2500));  // its clock and radar run meanwhile
  PressButton(about, kIdAboutOk);
  if (!Closed(about)) Fail("the About box did not close");
}

void Soak::Fault() {
  static const std::vector<std::string> modes = {"none",  "none",   "close", "reset", "early", "500",
                                                 "404",   "redirect1", "redirect2", "drip", "hang", "huge", "refuse"};
  static const std::vector<std::string> matches = {"", "", "craigslist", "kijiji", "backpage", "daype"};
  std::string mode = random_.Of(modes);
  std::string match = mode == "refuse" ? "" : random_.Of(matches);
  std::string path = "/__sim/fault?mode=" + mode;
  if (!match.empty()) path += "&match=" + match;
  if (mode == "drip") path += "&ms=20&bytes=512";
  if (mode == "hang") path += "&secs=4";
  if (mode == "huge") path += "&mb=3";
  if (mode == "refuse") path += "&secs=" + std::to_string(random_.Between(1, 4));
  if (mode == "none") SimRequest(simPort_, "/__sim/fault?mode=none");  // every rule
  std::printf("soak:              %s %s\n", mode.c_str(), match.c_str());
  if (mode != "none") {
    std::string answer = SimRequest(simPort_, path);
    if (answer.empty() && mode != "refuse") return Fail("the simulator did not take " + path);
  }
  if (mode == "none") {
    fault_ = "none";
  } else {
    fault_ = mode;
    if (Searching()) faultDuringRun_ = true;
  }
  int latency = random_.Chance(80) ? 30 : random_.Between(100, 600);
  SimRequest(simPort_, "/__sim/latency?ms=" + std::to_string(latency));
}

// What a user does at random, in proportions that keep runs short enough to
// see them end, and keep the list from only growing.
void Soak::Act(const std::string& forced) {
  struct Choice {
    const char* name;
    int weight;
  };
  static const Choice choices[] = {
      {"tick", 14}, {"terms", 5}, {"go", 14}, {"deep scan", 6}, {"sort", 6},   {"delete", 6},   {"quick filter", 4},
      {"save", 4},  {"load", 4},  {"new", 3}, {"settings", 7},  {"resize", 6}, {"page", 8},     {"about", 3},
      {"fault", 6}, {"wait", 4}};
  // VEMTRIX_SOAK_ONLY="go,deep scan" keeps to those actions, to see which
  // of them a growth comes with.
  static const std::string only = [] {
    const char* value = std::getenv("VEMTRIX_SOAK_ONLY");
    return value == nullptr ? std::string() : "," + std::string(value) + ",";
  }();
  auto weight = [&](const Choice& c) {
    return only.empty() || only.find("," + std::string(c.name) + ",") != std::string::npos ? c.weight : 0;
  };
  int total = 0;
  for (const Choice& c : choices) total += weight(c);
  int pick = random_.Below(std::max(total, 1));
  const Choice* chosen = &choices[0];
  for (const Choice& c : choices) {
    if (pick < weight(c)) {
      chosen = &c;
      break;
    }
    pick -= weight(c);
  }
  std::string name = forced.empty() ? chosen->name : forced;
  Begin(name);
  if (name == "tick") Tick();
  else if (name == "terms") Terms();
  else if (name == "go") Go();
  else if (name == "deep scan") DeepScan();
  else if (name == "sort") Sort();
  else if (name == "delete") Delete();
  else if (name == "quick filter") QuickFilter();
  else if (name == "save") Save();
  else if (name == "load") {
    std::vector<std::string> names = saved_;
    names.push_back("soak");
    names.push_back("corrupt");
    Load(random_.Of(names));
  } else if (name == "new") New();
  else if (name == "settings") Settings();
  else if (name == "resize") Resize(false);
  else if (name == "largest size") Resize(true);
  else if (name == "largest list") {
    // The most rows the soak's settings allow, each with a full text, loaded
    // and sorted once: the heap then holds what the largest list needs, and
    // a list a run builds later reuses it instead of counting as growth.
    Load("full");
    Sort();
    Load("soak");
  }
  else if (name == "page") SwitchPage();
  else if (name == "about") About();
  else if (name == "fault") Fault();
  else Pause(random_.Between(500, 4000));  // a user reading
  End();
}

// After every action the window must answer within 2 s.
void Soak::End() {
  ++done_[action_];
  if (const SIZE_T now = PrivateBytes(); now != 0 && memoryAtBegin_ != 0 && Seconds() > 60)
    memoryByAction_[action_] += (static_cast<double>(now) - static_cast<double>(memoryAtBegin_)) / 1024.0;
  if (!Alive()) return;
  Service();
  DWORD_PTR ignored = 0;
  ULONGLONG asked = GetTickCount64();
  if (!SendMessageTimeoutA(window_, WM_NULL, 0, 0, SMTO_ABORTIFHUNG | SMTO_BLOCK, kAnswerMs, &ignored)) {
    // How long it did take, up to 30 s; longer and there is nothing more to learn.
    bool answered = SendMessageTimeoutA(window_, WM_NULL, 0, 0, SMTO_BLOCK, 30000, &ignored) != 0;
    Fail(answered ? "the window answered only after " + std::to_string(GetTickCount64() - asked) + " ms"
                  : "the window did not answer for 30 s");
    if (!answered) ended_ = true;
  } else if (GetTickCount64() - asked > 1000) {
    std::printf("soak:              (the window took %llu ms to answer)\n",
                static_cast<unsigned long long>(GetTickCount64() - asked));
  }
}

void Soak::AbortEverything() {
  if (Searching()) {
    Press(kIdGo);
    runAbortedAt_ = GetTickCount64();
    if (!Wait([&] { return ControlText(window_, kIdGo) == "Go!"; }, 30000)) Fail("Abort did not end the run in 30 s");
  }
  if (Scanning()) {
    scanAbortedAt_ = GetTickCount64();
    Press(kIdDeepScan);
    if (!Wait([&] { return ControlText(window_, kIdDeepScan) == "Deep Scan"; }, 30000))
      Fail("Abort DS did not end the scan in 30 s");
  }
}

// Brings the program back to the state of the first measurement, then measures.
void Soak::Settle(Figures& into, const char* when) {
  Begin(std::string("settle for the figures ") + when);
  SimRequest(simPort_, "/__sim/fault?mode=none");
  SimRequest(simPort_, "/__sim/latency?ms=30");
  fault_ = "none";
  if (!ShowPage(kPageResults)) Fail("the results page did not show");
  AbortEverything();
  SetWindowPos(window_, nullptr, firstSize_.left, firstSize_.top, firstSize_.right - firstSize_.left,
               firstSize_.bottom - firstSize_.top, SWP_NOZORDER | SWP_NOACTIVATE | SWP_ASYNCWINDOWPOS);
  expected_.push_back({"Warning", "You have unsaved search results. Would you like to load anyway", IDYES});
  // A deep scan the run started may still be ending: Load refuses until it has.
  expected_.push_back({"Error", "A search is currently active. You need to stop the current scan before loading", IDOK});
  bool loaded = false;
  for (int attempt = 0; attempt < 20 && !loaded && Alive(); ++attempt) {
    answered_.clear();
    Post(kIdLoad);
    HWND dialog = nullptr;
    Wait(
        [&] {
          dialog = WaitForWindow("Please select a search file to load", vemtrix_.Id(), 0);
          return dialog != nullptr || SawBox("A search is currently active");
        },
        kWindowWaitMs);
    if (dialog == nullptr) {
      AbortEverything();
      Pause(2000);
      continue;
    }
    loaded = AnswerFileDialog("Please select a search file to load", "soak.vem") &&
             Wait([&] { return ControlText(window_, kIdName) == "soak" && ListCount() == firstCount_; }, 10000);
  }
  if (!loaded) Fail("the search \"soak\" did not load again");
  Pause(3000);  // the list redrawn, the last workers' threads gone
  Service();
  into = Measure(remote_.Process(), vemtrix_.Id(), Seconds());
  std::printf("soak: figures %s (%.0f s): %s\n", when, into.atSeconds, Describe(into).c_str());
  End();
}

// full.vem: as many rows as the soak's largest MaxResults holds, each with a
// full text as long as a deep scan brings, dated this month so no discard
// rule drops them.
void Soak::WriteFullSearch() const {
  SYSTEMTIME now;
  GetLocalTime(&now);
  std::string text =
      "Vemtrix Saved Search\r\nCurrentSearchname: full\r\nSearchTerms: bike\r\nCLcityList: \r\nKJcityList: \r\n"
      "BPcityList: \r\nDAcityList: \r\nCLsectionList: \r\nKJsectionList: \r\nBPsectionList: \r\nDAsectionList: \r\n";
  const std::string words = "A well kept bike with new tyres, lights and a rack; ridden on weekends only. ";
  for (int i = 0; i < kFullRows; ++i) {
    std::string fullText;
    for (int n = 6 + i % 8; n > 0; --n) fullText += words;
    char line[256];
    std::snprintf(line, sizeof line,
                  "Result: \"%04d-%02d-%02d\",\"Bike number %05d for sale $%d\",\"Seattle\",\"Bicycles\","
                  "\"http://seattle.craigslist.org/bik/full%05d.html\",\"",
                  now.wYear, now.wMonth, now.wDay, kFullRows - i, 50 + (i * 37) % 900, i);
    text += line + fullText + "\"\r\n";
  }
  if (FILE* f = std::fopen((folder_ + "\\full.vem").c_str(), "wb")) {
    std::fwrite(text.data(), 1, text.size(), f);
    std::fclose(f);
  }
}

int Soak::Run(const std::string& program) {
  folder_ = program.substr(0, program.find_last_of('\\'));
  // A file of random bytes, with NULs, that Load must refuse.
  std::string junk;
  for (int i = 0; i < 700; ++i) junk += static_cast<char>(random_.Below(256));
  junk[3] = '\0';
  if (FILE* f = std::fopen((folder_ + "\\corrupt.vem").c_str(), "wb")) {
    std::fwrite(junk.data(), 1, junk.size(), f);
    std::fclose(f);
  }
  WriteFullSearch();
  SimRequest(simPort_, "/__sim/reset");
  SimRequest(simPort_, "/__sim/latency?ms=30");

  const std::string title = std::string("Vemtrix v") + VEMTRIX_VERSION_TEXT;
  if (!vemtrix_.Start("\"" + program + "\"", folder_)) {
    std::printf("soak: could not start %s\n", program.c_str());
    return 1;
  }
  started_ = GetTickCount64();
  window_ = WaitForWindow(title, vemtrix_.Id(), 60000);
  if (window_ == nullptr || !remote_.Open(vemtrix_.Id())) {
    std::printf("soak: the main window did not open\n");
    return 1;
  }
  Pause(1500);
  GetWindowRect(window_, &firstSize_);
  firstCount_ = ListCount();

  Figures first, minute, last;
  Settle(first, "at the start");
  const ULONGLONG end = started_ + static_cast<ULONGLONG>(minutes_) * 60000;
  // Every kind of action once first, in an order of the seed's: what a
  // dialog or a page makes the first time it is used is then made before
  // the figures of the first minute, and only what stays after that counts.
  std::vector<std::string> warmUp = {"tick", "terms", "go", "deep scan", "sort", "delete", "quick filter", "save",
                                     "load", "new", "settings", "resize", "page", "about", "fault", "go", "deep scan",
                                     "largest size"};
  for (std::size_t i = warmUp.size(); i > 1; --i) std::swap(warmUp[i - 1], warmUp[static_cast<std::size_t>(random_.Below(static_cast<int>(i)))]);
  // First, while the settings still allow the file's rows.
  warmUp.insert(warmUp.begin(), "largest list");
  for (const std::string& name : warmUp) {
    if (ended_) break;
    Act(name);
  }
  // Figures every five minutes too (VEMTRIX_SOAK_TREND_MINUTES sets how
  // often), to show a trend; only the three above are judged.
  const char* trendValue = std::getenv("VEMTRIX_SOAK_TREND_MINUTES");
  const int trendStep = trendValue != nullptr && std::atoi(trendValue) > 0 ? std::atoi(trendValue) : 5;
  int nextTrend = trendStep;
  while (!ended_ && GetTickCount64() < end) {
    if (!minute.taken && Seconds() >= 60) {
      Settle(minute, "after the first minute");
      continue;
    }
    if (Seconds() >= nextTrend * 60.0 && GetTickCount64() + 60000 < end) {
      Figures trend;
      Settle(trend, ("after " + std::to_string(nextTrend) + " minutes").c_str());
      nextTrend += trendStep;
      continue;
    }
    Act();
  }
  std::map<std::string, int> kept;
  if (!ended_) {
    if (!minute.taken) Settle(minute, "after the first minute");
    Settle(last, "at the end");
    // What the handles made after the first minute and still open are.
    for (std::uint16_t value : last.handleValues)
      if (std::find(minute.handleValues.begin(), minute.handleValues.end(), value) == minute.handleValues.end())
        ++kept[DescribeHandle(remote_.Process(), value)];
  }

  // Closing: Yes to leaving unsaved results.
  if (!ended_) {
    Begin("close");
    expected_.push_back({"Really exit?", "You have unsaved results.", IDYES});
    closing_ = true;
    PostMessageA(window_, WM_CLOSE, 0, 0);
    if (!Wait([&] { return !vemtrix_.Running(); }, 30000) && vemtrix_.Running())
      Fail(IsWindow(window_) ? "the window did not close in 30 s" : "the window closed but the program did not end in 30 s");
    else if (vemtrix_.ExitCode() != 0) Fail("the program ended with status " + std::to_string(vemtrix_.ExitCode()));
    ended_ = true;
  }

  std::printf("\nsoak: %d actions in %.0f s\n", actionCount_, Seconds());
  for (const auto& [name, count] : done_) {
    auto skipped = skipped_.find(name);
    std::printf("soak:   %-34s %4d", name.c_str(), count);
    if (auto memory = memoryByAction_.find(name); memory != memoryByAction_.end())
      std::printf("  %+8.0f KB", memory->second);
    if (skipped != skipped_.end()) std::printf("  (%d found the control disabled or nothing to do)", skipped->second);
    std::printf("\n");
  }
  const Figures* rows[] = {&first, &minute, &last};
  const char* names[] = {"start", "after 1 minute", "end"};
  std::printf("soak: %-16s %8s %8s %8s %12s %s\n", "", "handles", "GDI", last.userIsWindows ? "windows" : "USER",
              "private MB", "  (keys Wine's file dialog left open)");
  for (int i = 0; i < 3; ++i) {
    if (!rows[i]->taken) continue;
    std::printf("soak: %-16s %8lu %8lu %8lu %12.1f   (%lu)\n", names[i], static_cast<unsigned long>(rows[i]->handles),
                static_cast<unsigned long>(rows[i]->gdi), static_cast<unsigned long>(rows[i]->user),
                static_cast<double>(rows[i]->privateBytes) / (1024.0 * 1024.0),
                static_cast<unsigned long>(rows[i]->wineDialogKeys));
  }
  for (const auto& [what, count] : kept) std::printf("soak: handles made after the first minute: %4d %s\n", count, what.c_str());
  if (minute.taken && last.taken) {
    auto grew = [&](const char* what, DWORD a, DWORD b) {
      if (b > a + 50) Fail(std::string(what) + " grew by " + std::to_string(b - a) + " after the first minute");
    };
    grew("handles", minute.handles, last.handles);
    grew("GDI objects", minute.gdi, last.gdi);
    grew("USER objects", minute.user, last.user);
    if (static_cast<double>(last.privateBytes) > 1.10 * static_cast<double>(minute.privateBytes))
      Fail("private memory grew by more than 10 % after the first minute");
  }
  for (const std::string& failure : failures_) std::printf("soak: FAILED: %s\n", failure.c_str());
  std::printf("soak: %s\n", failures_.empty() ? "held up" : "did not hold up");
  return failures_.empty() ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  std::setvbuf(stdout, nullptr, _IONBF, 0);
  if (argc != 5) {
    std::fprintf(stderr, "usage: vemtrix_soak PROGRAM SEED MINUTES SIM_PORT\n");
    return 2;
  }
  WSADATA wsa;
  WSAStartup(MAKEWORD(2, 2), &wsa);
  std::uint64_t seed = std::strtoull(argv[2], nullptr, 10);
  int minutes = std::atoi(argv[3]);
  int port = std::atoi(argv[4]);
  if (minutes < 1 || port <= 0) {
    std::fprintf(stderr, "usage: vemtrix_soak PROGRAM SEED MINUTES SIM_PORT\n");
    return 2;
  }
  std::printf("soak: seed %llu, %d minutes\n", static_cast<unsigned long long>(seed), minutes);
  Soak soak(seed, minutes, port);
  return soak.Run(argv[1]);
}

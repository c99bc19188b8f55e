#include "win/ui_driver.h"

#include <tlhelp32.h>
#include <winternl.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace vemtrix::uitest {

namespace {

constexpr int kPollMs = 50;
constexpr UINT kSendTimeoutMs = 5000;

struct WindowQuery {
  std::string caption;
  DWORD processId = 0;
  bool messageBox = false;
  bool anyCaption = false;
  HWND found = nullptr;
};

std::string ClassName(HWND window) {
  char name[256] = {};
  GetClassNameA(window, name, sizeof name);
  return name;
}

bool IsMessageBox(HWND window) {
  return ClassName(window) == "#32770" && GetDlgItem(window, 0xFFFF) != nullptr;
}

BOOL CALLBACK MatchWindow(HWND window, LPARAM parameter) {
  auto* query = reinterpret_cast<WindowQuery*>(parameter);
  if (!IsWindowVisible(window)) return TRUE;
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (query->processId != 0 && owner != query->processId) return TRUE;
  if (query->messageBox && !IsMessageBox(window)) return TRUE;
  if (!query->anyCaption && WindowText(window) != query->caption) return TRUE;
  query->found = window;
  return FALSE;
}

HWND WaitFor(WindowQuery query, int timeoutMs) {
  ULONGLONG end = GetTickCount64() + timeoutMs;
  for (;;) {
    query.found = nullptr;
    EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&query));
    if (query.found || GetTickCount64() >= end) return query.found;
    Sleep(kPollMs);
  }
}

std::string WithoutAmpersands(std::string text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '&' && i + 1 < text.size()) ++i;
    out += text[i];
  }
  return out;
}

// ------------------------------------------------------------------ PNG

std::uint32_t Crc32(const unsigned char* data, std::size_t size, std::uint32_t crc = 0) {
  crc = ~crc;
  for (std::size_t i = 0; i < size; ++i) {
    crc ^= data[i];
    for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

void PutBigEndian(std::string& out, std::uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out += static_cast<char>((value >> shift) & 0xFF);
}

void PutChunk(std::string& out, const char* type, const std::string& data) {
  PutBigEndian(out, static_cast<std::uint32_t>(data.size()));
  std::string body = std::string(type, 4) + data;
  out += body;
  PutBigEndian(out, Crc32(reinterpret_cast<const unsigned char*>(body.data()), body.size()));
}

// An RGB image as PNG, its pixel data in uncompressed deflate blocks.
std::string EncodePng(int width, int height, const std::string& rgbRows) {
  std::string raw;
  for (int y = 0; y < height; ++y) {
    raw += '\0';  // no filter
    raw.append(rgbRows, static_cast<std::size_t>(y) * width * 3, static_cast<std::size_t>(width) * 3);
  }
  std::string zlib = "\x78\x01";
  for (std::size_t at = 0; at < raw.size() || at == 0;) {
    std::size_t size = std::min<std::size_t>(65535, raw.size() - at);
    bool last = at + size >= raw.size();
    zlib += static_cast<char>(last ? 1 : 0);
    zlib += static_cast<char>(size & 0xFF);
    zlib += static_cast<char>(size >> 8);
    zlib += static_cast<char>(~size & 0xFF);
    zlib += static_cast<char>((~size >> 8) & 0xFF);
    zlib.append(raw, at, size);
    at += size;
    if (last) break;
  }
  std::uint32_t a = 1, b = 0;
  for (unsigned char c : raw) {
    a = (a + c) % 65521;
    b = (b + a) % 65521;
  }
  PutBigEndian(zlib, (b << 16) | a);

  std::string header;
  PutBigEndian(header, static_cast<std::uint32_t>(width));
  PutBigEndian(header, static_cast<std::uint32_t>(height));
  header += std::string("\x08\x02\x00\x00\x00", 5);  // 8-bit RGB
  std::string png = "\x89PNG\r\n\x1a\n";
  PutChunk(png, "IHDR", header);
  PutChunk(png, "IDAT", zlib);
  PutChunk(png, "IEND", "");
  return png;
}

}  // namespace

// ------------------------------------------------------------------ processes

ChildProcess::~ChildProcess() {
  Kill();
}

bool ChildProcess::Start(const std::string& commandLine, const std::string& workingFolder) {
  Kill();
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  // Under Wine a launch now and then fails for a moment (while the server
  // is busy starting another process): try a few times before giving up.
  for (int attempt = 0; attempt < 5; ++attempt) {
    std::string line = commandLine;
    if (CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                       workingFolder.empty() ? nullptr : workingFolder.c_str(), &startup, &info_)) {
      return true;
    }
    info_ = {};
    lastError_ = GetLastError();
    Sleep(200);
  }
  return false;
}

bool ChildProcess::WaitForExit(int timeoutMs) {
  return info_.hProcess && WaitForSingleObject(info_.hProcess, timeoutMs) == WAIT_OBJECT_0;
}

bool ChildProcess::Running() const {
  return info_.hProcess && WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT;
}

DWORD ChildProcess::ExitCode() const {
  DWORD code = STILL_ACTIVE;
  if (info_.hProcess) GetExitCodeProcess(info_.hProcess, &code);
  return code;
}

void ChildProcess::Kill() {
  if (!info_.hProcess) return;
  if (Running()) {
    TerminateProcess(info_.hProcess, 1);
    WaitForSingleObject(info_.hProcess, 5000);
  }
  CloseHandle(info_.hThread);
  CloseHandle(info_.hProcess);
  info_ = {};
}

DWORD ProcessOfWindow(HWND window) {
  DWORD processId = 0;
  if (window != nullptr) GetWindowThreadProcessId(window, &processId);
  return processId;
}

std::string ProcessImagePath(DWORD processId) {
  HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
  if (process == nullptr) return "";
  char path[MAX_PATH * 4] = {};
  DWORD length = sizeof path;
  std::string image = QueryFullProcessImageNameA(process, 0, path, &length) ? std::string(path, length) : "";
  CloseHandle(process);
  return image;
}

bool EndProcess(DWORD processId, int timeoutMs) {
  HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, processId);
  if (process == nullptr) return false;
  bool ended = WaitForSingleObject(process, 0) == WAIT_OBJECT_0 ||
               (TerminateProcess(process, 1) && WaitForSingleObject(process, timeoutMs) == WAIT_OBJECT_0);
  CloseHandle(process);
  return ended;
}

// ------------------------------------------------------------------ windows

HWND WaitForWindow(const std::string& caption, DWORD processId, int timeoutMs) {
  return WaitFor({caption, processId, false, false, nullptr}, timeoutMs);
}

HWND WaitForMessageBox(const std::string& caption, DWORD processId, int timeoutMs) {
  return WaitFor({caption, processId, true, false, nullptr}, timeoutMs);
}

HWND FindAnyMessageBox(DWORD processId) {
  return WaitFor({"", processId, true, true, nullptr}, 0);
}

bool WaitForWindowGone(HWND window, int timeoutMs) {
  ULONGLONG end = GetTickCount64() + timeoutMs;
  while (IsWindow(window) && IsWindowVisible(window)) {
    if (GetTickCount64() >= end) return false;
    Sleep(kPollMs);
  }
  return true;
}

// WM_GETTEXT and WM_SETTEXT are copied between processes by the system.
std::string WindowText(HWND window) {
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutA(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs, &length))
    return "";
  std::string text(length + 1, '\0');
  DWORD_PTR copied = 0;
  if (!SendMessageTimeoutA(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                           SMTO_ABORTIFHUNG, kSendTimeoutMs, &copied))
    return "";
  text.resize(copied);
  return text;
}

HWND FindControl(HWND window, int id) {
  if (HWND direct = GetDlgItem(window, id)) return direct;
  struct Query {
    int id;
    HWND found;
  } query{id, nullptr};
  EnumChildWindows(
      window,
      [](HWND child, LPARAM parameter) -> BOOL {
        auto* q = reinterpret_cast<Query*>(parameter);
        if (GetDlgCtrlID(child) != q->id) return TRUE;
        q->found = child;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&query));
  return query.found;
}

std::string ControlText(HWND window, int id) {
  HWND control = FindControl(window, id);
  return control ? WindowText(control) : "";
}

bool SetControlText(HWND window, int id, const std::string& text) {
  HWND control = FindControl(window, id);
  DWORD_PTR result = 0;
  return control && SendMessageTimeoutA(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()),
                                        SMTO_ABORTIFHUNG, kSendTimeoutMs, &result) && result;
}

int CheckState(HWND window, int id) {
  HWND control = FindControl(window, id);
  DWORD_PTR state = 0;
  if (!control || !SendMessageTimeoutA(control, BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs, &state))
    return -1;
  return static_cast<int>(state);
}

bool SetChecked(HWND window, int id, bool checked) {
  HWND control = FindControl(window, id);
  if (!control) return false;
  const int wanted = checked ? BST_CHECKED : BST_UNCHECKED;
  for (int clicks = 0; clicks < 3 && CheckState(window, id) != wanted; ++clicks) {
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(control, BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs, &ignored);
  }
  return CheckState(window, id) == wanted;
}

bool PressButton(HWND window, int id) {
  HWND control = FindControl(window, id);
  return control && PostMessageA(control, BM_CLICK, 0, 0);
}

bool CloseWithCloseBox(HWND window) {
  return PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
}

// ------------------------------------------------------------------ message boxes

namespace {

BOOL CALLBACK ReadBoxChild(HWND child, LPARAM parameter) {
  auto* info = reinterpret_cast<MessageBoxInfo*>(parameter);
  if (!IsWindowVisible(child)) return TRUE;
  std::string kind = ClassName(child);
  LONG style = GetWindowLongA(child, GWL_STYLE);
  if (kind == "Button") {
    info->buttons.push_back(WithoutAmpersands(WindowText(child)));
  } else if (kind == "Static" && (style & SS_TYPEMASK) == SS_ICON) {
    DWORD_PTR icon = 0;
    SendMessageTimeoutA(child, STM_GETICON, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs, &icon);
    if (icon) info->hasIcon = true;
  }
  return TRUE;
}

}  // namespace

MessageBoxInfo ReadMessageBox(HWND box) {
  MessageBoxInfo info;
  info.caption = WindowText(box);
  info.text = ControlText(box, 0xFFFF);
  info.topmost = (GetWindowLongA(box, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
  EnumChildWindows(box, ReadBoxChild, reinterpret_cast<LPARAM>(&info));
  return info;
}

bool AnswerMessageBox(HWND box, int button) {
  return PostMessageA(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                      reinterpret_cast<LPARAM>(GetDlgItem(box, button)));
}

std::vector<MessageBoxInfo> AnswerBoxesUntilExit(ChildProcess& process, int button, int timeoutMs) {
  std::vector<MessageBoxInfo> boxes;
  ULONGLONG end = GetTickCount64() + timeoutMs;
  while (process.Running() && GetTickCount64() < end) {
    if (HWND box = FindAnyMessageBox(process.Id())) {
      boxes.push_back(ReadMessageBox(box));
      AnswerMessageBox(box, button);
      WaitForWindowGone(box);
    } else {
      Sleep(kPollMs);
    }
  }
  return boxes;
}

// ------------------------------------------------------------------ pictures

bool AnswerFileDialog(const std::string& title, const std::string& name, DWORD processId, int timeoutMs) {
  HWND dialog = WaitForWindow(title, processId, timeoutMs);
  if (dialog == nullptr) return false;
  if (name.empty()) {
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    return WaitForWindowGone(dialog, timeoutMs);
  }
  // The name box is an Edit somewhere inside the control 0x47C (a combo box
  // in the explorer-style dialog) or that control itself.
  HWND box = FindControl(dialog, 0x47C);
  HWND edit = nullptr;
  if (box != nullptr) {
    if (ClassName(box) == "Edit") {
      edit = box;
    } else {
      EnumChildWindows(
          box,
          [](HWND child, LPARAM parameter) -> BOOL {
            if (ClassName(child) != "Edit") return TRUE;
            *reinterpret_cast<HWND*>(parameter) = child;
            return FALSE;
          },
          reinterpret_cast<LPARAM>(&edit));
    }
  }
  if (edit == nullptr) return false;
  SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(name.c_str()));
  PostMessageA(dialog, WM_COMMAND, IDOK, 0);
  return WaitForWindowGone(dialog, timeoutMs);
}

void EndProcessesNamed(const std::string& exeName) {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return;
  PROCESSENTRY32 entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
    if (lstrcmpiA(entry.szExeFile, exeName.c_str()) != 0) continue;
    if (HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, entry.th32ProcessID)) {
      TerminateProcess(process, 1);
      WaitForSingleObject(process, 5000);
      CloseHandle(process);
    }
  }
  CloseHandle(snapshot);
}

namespace {

// Whether a control's caption, drawn in its font, fits the control; what
// it needs and what it has go to *sizes.
bool CaptionFits(HWND control, std::string* sizes) {
  char className[32] = {};
  GetClassNameA(control, className, sizeof className);
  const LONG style = GetWindowLongA(control, GWL_STYLE);
  const std::string text = WindowText(control);
  if (text.empty()) return true;
  RECT client{};
  GetClientRect(control, &client);

  UINT format = DT_CALCRECT | DT_EXPANDTABS;
  int room = client.right;  // what the text may take across
  int margin = 0;           // and above and below it together
  if (lstrcmpiA(className, "Static") == 0) {
    const LONG type = style & SS_TYPEMASK;
    if (type == SS_LEFTNOWORDWRAP || type == SS_SIMPLE) {
      format |= DT_SINGLELINE;
    } else if (type == SS_LEFT || type == SS_CENTER || type == SS_RIGHT) {
      format |= DT_WORDBREAK;
    } else {
      return true;  // pictures, frames, owner-drawn
    }
    if (style & SS_NOPREFIX) format |= DT_NOPREFIX;
  } else if (lstrcmpiA(className, "Button") == 0) {
    const LONG type = style & BS_TYPEMASK;
    format |= DT_SINGLELINE;
    if (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON) {
      room -= 6;  // the button's edges
      margin = 4;
    } else if (type == BS_CHECKBOX || type == BS_AUTOCHECKBOX || type == BS_RADIOBUTTON ||
               type == BS_AUTORADIOBUTTON || type == BS_3STATE || type == BS_AUTO3STATE) {
      room -= GetSystemMetrics(SM_CXMENUCHECK) + 4;  // the box and its gap
    } else if (type == BS_GROUPBOX) {
      room -= 10;
    } else {
      return true;
    }
    if (style & BS_MULTILINE) format = (format & ~DT_SINGLELINE) | DT_WORDBREAK;
  } else {
    return true;
  }

  HDC dc = GetDC(control);
  HGDIOBJ font = reinterpret_cast<HGDIOBJ>(SendMessageA(control, WM_GETFONT, 0, 0));
  HGDIOBJ old = font != nullptr ? SelectObject(dc, font) : nullptr;
  RECT needed{0, 0, std::max(room, 1), 0};
  DrawTextA(dc, text.c_str(), -1, &needed, format);
  if (old != nullptr) SelectObject(dc, old);
  ReleaseDC(control, dc);
  *sizes = " (needs " + std::to_string(needed.right) + " x " + std::to_string(needed.bottom + margin) + " px, has " +
           std::to_string(room) + " x " + std::to_string(client.bottom) + ")";
  return needed.right <= room && needed.bottom + margin <= client.bottom;
}

BOOL CALLBACK CollectCutOff(HWND control, LPARAM found) {
  std::string sizes;
  if ((GetWindowLongA(control, GWL_STYLE) & WS_VISIBLE) && !CaptionFits(control, &sizes)) {
    reinterpret_cast<std::vector<std::string>*>(found)->push_back(std::to_string(GetDlgCtrlID(control)) + ": " +
                                                                  WindowText(control) + sizes);
  }
  return TRUE;
}

}  // namespace

std::vector<std::string> CutOffCaptions(HWND window) {
  std::vector<std::string> found;
  EnumChildWindows(window, &CollectCutOff, reinterpret_cast<LPARAM>(&found));  // all depths
  return found;
}

bool SaveWindowPng(HWND window, const std::string& path) {
  RECT area{};
  if (!GetWindowRect(window, &area)) return false;
  const int width = area.right - area.left, height = area.bottom - area.top;
  if (width <= 0 || height <= 0) return false;

  BITMAPINFO format{};
  format.bmiHeader.biSize = sizeof format.bmiHeader;
  format.bmiHeader.biWidth = width;
  format.bmiHeader.biHeight = -height;  // top-down
  format.bmiHeader.biPlanes = 1;
  format.bmiHeader.biBitCount = 32;
  format.bmiHeader.biCompression = BI_RGB;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(screen, &format, DIB_RGB_COLORS, &bits, nullptr, 0);
  bool copied = false;
  if (bitmap) {
    HGDIOBJ old = SelectObject(memory, bitmap);
    copied = BitBlt(memory, 0, 0, width, height, screen, area.left, area.top, SRCCOPY | CAPTUREBLT);
    GdiFlush();
    SelectObject(memory, old);
  }
  std::string rgb;
  if (copied) {
    const auto* pixels = static_cast<const unsigned char*>(bits);
    rgb.reserve(static_cast<std::size_t>(width) * height * 3);
    for (int i = 0; i < width * height; ++i) {
      rgb += static_cast<char>(pixels[i * 4 + 2]);
      rgb += static_cast<char>(pixels[i * 4 + 1]);
      rgb += static_cast<char>(pixels[i * 4 + 0]);
    }
  }
  if (bitmap) DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  if (!copied) return false;

  std::string png = EncodePng(width, height, rgb);
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  bool written = std::fwrite(png.data(), 1, png.size(), file) == png.size();
  return std::fclose(file) == 0 && written;
}

DWORD GdiObjectsOf(HANDLE process) {
  using QueryInformationProcess = LONG(NTAPI*)(HANDLE, ULONG, PVOID, ULONG, PULONG);
  auto query = reinterpret_cast<QueryInformationProcess>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQueryInformationProcess")));
  PROCESS_BASIC_INFORMATION basic{};
  ULONG length = 0;
  if (query == nullptr || query(process, 0, &basic, sizeof basic, &length) != 0) return 0;
  std::uint64_t table = 0;
  SIZE_T read = 0;
  // PEB.GdiSharedHandleTable of a 64-bit process.
  if (!ReadProcessMemory(process, reinterpret_cast<const char*>(basic.PebBaseAddress) + 0xF8, &table, sizeof table,
                         &read) ||
      table == 0)
    return 0;
  struct Entry {
    std::uint64_t object;
    std::uint32_t owner;
    std::uint16_t unique;
    std::uint8_t type;
    std::uint8_t flags;
    std::uint64_t user;
  };
  std::vector<Entry> entries(0x10000);
  if (!ReadProcessMemory(process, reinterpret_cast<const void*>(table), entries.data(), entries.size() * sizeof(Entry),
                         &read))
    return 0;
  DWORD live = 0;
  for (const Entry& e : entries) live += e.type != 0 ? 1 : 0;
  return live;
}

}  // namespace vemtrix::uitest

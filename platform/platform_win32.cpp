// Win32 implementation of the platform layer (the Windows programs).
#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>
#include <fcntl.h>
#include <io.h>
#include <process.h>

#include <cstdio>

#include <memory>
#include <mutex>

#include "platform/platform.h"
#include "platform/platform_detail.h"

namespace vemtrix::platform {

// ---------------------------------------------------------------- sockets

namespace {

void StartWinsock() {
  static std::once_flag once;
  std::call_once(once, [] {
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
  });
}

SOCKET Sock(std::intptr_t handle) { return static_cast<SOCKET>(handle); }

void SetTimeouts(SOCKET s, int timeoutMs) {
  DWORD value = static_cast<DWORD>(timeoutMs);
  setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&value), sizeof value);
  setsockopt(s, SOL_SOCKET, SO_SNDTIMEO, reinterpret_cast<const char*>(&value), sizeof value);
}

bool ConnectWithin(SOCKET s, const sockaddr* address, int length, int timeoutMs) {
  u_long nonBlocking = 1;
  ioctlsocket(s, FIONBIO, &nonBlocking);
  if (connect(s, address, length) != 0) {
    if (WSAGetLastError() != WSAEWOULDBLOCK) return false;
    fd_set writable, failed;
    FD_ZERO(&writable);
    FD_ZERO(&failed);
    FD_SET(s, &writable);
    FD_SET(s, &failed);
    timeval tv{timeoutMs / 1000, (timeoutMs % 1000) * 1000};
    if (select(0, nullptr, &writable, &failed, &tv) != 1 || !FD_ISSET(s, &writable)) return false;
  }
  nonBlocking = 0;
  ioctlsocket(s, FIONBIO, &nonBlocking);
  return true;
}

}  // namespace

TcpConnection::~TcpConnection() { Close(); }

TcpConnection::TcpConnection(TcpConnection&& other) noexcept : handle_(other.handle_) {
  other.handle_ = kInvalid;
}

TcpConnection& TcpConnection::operator=(TcpConnection&& other) noexcept {
  if (this != &other) {
    Close();
    handle_ = other.handle_;
    other.handle_ = kInvalid;
  }
  return *this;
}

bool TcpConnection::Connect(const std::string& host, int port, int timeoutMs) {
  Close();
  hostNotFound_ = false;
  StartWinsock();
  if (host.empty()) return false;
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_protocol = IPPROTO_TCP;
  addrinfo* found = nullptr;
  std::string service = std::to_string(port);
  if (getaddrinfo(host.c_str(), service.c_str(), &hints, &found) != 0 || found == nullptr) {
    hostNotFound_ = true;
    return false;
  }
  std::unique_ptr<addrinfo, decltype(&freeaddrinfo)> list(found, &freeaddrinfo);
  for (addrinfo* a = found; a != nullptr; a = a->ai_next) {
    SOCKET s = socket(a->ai_family, a->ai_socktype, a->ai_protocol);
    if (s == INVALID_SOCKET) continue;
    if (ConnectWithin(s, a->ai_addr, static_cast<int>(a->ai_addrlen), timeoutMs)) {
      SetTimeouts(s, timeoutMs);
      BOOL one = TRUE;
      setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&one), sizeof one);
      handle_ = static_cast<std::intptr_t>(s);
      return true;
    }
    closesocket(s);
  }
  return false;
}

bool TcpConnection::Send(std::string_view data) {
  if (!IsOpen()) return false;
  while (!data.empty()) {
    int chunk = data.size() > 1u << 30 ? 1 << 30 : static_cast<int>(data.size());
    int sent = ::send(Sock(handle_), data.data(), chunk, 0);
    if (sent <= 0) return false;
    data.remove_prefix(static_cast<std::size_t>(sent));
  }
  return true;
}

int TcpConnection::Receive(char* buffer, int size) {
  if (!IsOpen()) return -1;
  int got = ::recv(Sock(handle_), buffer, size, 0);
  if (got >= 0) return got;
  return WSAGetLastError() == WSAETIMEDOUT ? 0 : -1;
}

void TcpConnection::Close() {
  if (handle_ != kInvalid) {
    closesocket(Sock(handle_));
    handle_ = kInvalid;
  }
}

TcpListener::~TcpListener() { Close(); }

bool TcpListener::Listen(int port) {
  Close();
  StartWinsock();
  SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (s == INVALID_SOCKET) return false;
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(static_cast<u_short>(port));
  int length = sizeof address;
  if (bind(s, reinterpret_cast<sockaddr*>(&address), length) != 0 || listen(s, 64) != 0 ||
      getsockname(s, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    closesocket(s);
    return false;
  }
  handle_ = static_cast<std::intptr_t>(s);
  port_ = ntohs(address.sin_port);
  return true;
}

bool TcpListener::Accept(TcpConnection& client, int timeoutMs) {
  if (handle_ == TcpConnection::kInvalid) return false;
  fd_set readable;
  FD_ZERO(&readable);
  FD_SET(Sock(handle_), &readable);
  timeval tv{timeoutMs / 1000, (timeoutMs % 1000) * 1000};
  if (select(0, &readable, nullptr, nullptr, &tv) != 1) return false;
  SOCKET s = accept(Sock(handle_), nullptr, nullptr);
  if (s == INVALID_SOCKET) return false;
  client.Close();
  client.handle_ = static_cast<std::intptr_t>(s);
  SetTimeouts(s, 10000);
  return true;
}

void TcpListener::Close() {
  if (handle_ != TcpConnection::kInvalid) {
    closesocket(Sock(handle_));
    handle_ = TcpConnection::kInvalid;
  }
}

// ---------------------------------------------------------------- threads

namespace {

unsigned __stdcall ThreadEntry(void* argument) {
  std::unique_ptr<std::function<void()>> body(static_cast<std::function<void()>*>(argument));
  (*body)();
  return 0;
}

}  // namespace

Thread::~Thread() { Detach(); }

Thread::Thread(Thread&& other) noexcept : handle_(other.handle_) { other.handle_ = nullptr; }

Thread& Thread::operator=(Thread&& other) noexcept {
  if (this != &other) {
    Detach();
    handle_ = other.handle_;
    other.handle_ = nullptr;
  }
  return *this;
}

bool Thread::Start(std::function<void()> body) {
  Detach();
  auto* argument = new std::function<void()>(std::move(body));
  uintptr_t handle = _beginthreadex(nullptr, static_cast<unsigned>(kThreadStackBytes), &ThreadEntry,
                                    argument, STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
  if (handle == 0) {
    delete argument;
    return false;
  }
  handle_ = reinterpret_cast<void*>(handle);
  return true;
}

void Thread::Join() {
  if (handle_ == nullptr) return;
  WaitForSingleObject(static_cast<HANDLE>(handle_), INFINITE);
  CloseHandle(static_cast<HANDLE>(handle_));
  handle_ = nullptr;
}

void Thread::Detach() {
  if (handle_ == nullptr) return;
  CloseHandle(static_cast<HANDLE>(handle_));
  handle_ = nullptr;
}

// ---------------------------------------------------------------- files

char PathSeparator() { return '\\'; }

std::string detail::SystemProgramDirectory() {
  char buffer[MAX_PATH * 4];
  DWORD length = GetModuleFileNameA(nullptr, buffer, sizeof buffer);
  if (length == 0 || length >= sizeof buffer) return ".\\";
  std::string path(buffer, length);
  std::size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? ".\\" : path.substr(0, slash + 1);
}

bool FileExists(const std::string& path) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool ReadWholeFile(const std::string& path, std::string& contents) {
  contents.clear();
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  LARGE_INTEGER size{};
  if (GetFileSizeEx(file, &size) && size.QuadPart > 0) contents.reserve(static_cast<std::size_t>(size.QuadPart));
  char buffer[65536];
  bool ok = true;
  for (;;) {
    DWORD got = 0;
    if (!ReadFile(file, buffer, sizeof buffer, &got, nullptr)) {
      ok = false;
      break;
    }
    if (got == 0) break;
    contents.append(buffer, got);
  }
  CloseHandle(file);
  if (!ok) contents.clear();
  return ok;
}

bool detail::SystemReplaceFile(const std::string& path, const std::string& temporary, std::string_view contents) {
  // Opened without sharing: a second writer of the same target fails here
  // instead of mixing two files in one.
  HANDLE file = CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  bool ok = true;
  std::string_view rest = contents;
  while (ok && !rest.empty()) {
    DWORD chunk = rest.size() > (1u << 30) ? (1u << 30) : static_cast<DWORD>(rest.size());
    DWORD written = 0;
    ok = WriteFile(file, rest.data(), chunk, &written, nullptr) && written > 0;
    if (ok) rest.remove_prefix(written);
  }
  ok = ok && FlushFileBuffers(file);
  ok = CloseHandle(file) && ok;
  if (ok) {
    // Another program (a virus scanner, an editor) may hold the target for a
    // moment: retry a few times before giving up.
    ok = false;
    for (int attempt = 0; attempt < 5 && !ok; ++attempt) {
      ok = MoveFileExA(temporary.c_str(), path.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
      if (!ok && GetLastError() != ERROR_ACCESS_DENIED && GetLastError() != ERROR_SHARING_VIOLATION) break;
      if (!ok) Sleep(100);
    }
  }
  if (!ok) DeleteFileA(temporary.c_str());
  return ok;
}

bool CopyFileTo(const std::string& from, const std::string& to) {
  return CopyFileA(from.c_str(), to.c_str(), FALSE) != 0;
}

bool DeleteFileAt(const std::string& path) { return DeleteFileA(path.c_str()) != 0; }

bool CreateFolder(const std::string& path) {
  if (path.empty()) return false;
  for (std::size_t i = 1; i <= path.size(); ++i) {
    if (i == path.size() || path[i] == '\\' || path[i] == '/') {
      std::string part = path.substr(0, i);
      if (part.size() == 2 && part[1] == ':') continue;  // drive letter
      CreateDirectoryA(part.c_str(), nullptr);
    }
  }
  DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void UseBinaryStandardStreams() {
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
}

// ---------------------------------------------------------------- clock, sleep

LocalDateTime detail::SystemLocalNow() {
  SYSTEMTIME t;
  GetLocalTime(&t);
  LocalDateTime now;
  now.year = t.wYear;
  now.month = t.wMonth;
  now.day = t.wDay;
  now.hour = t.wHour;
  now.minute = t.wMinute;
  now.second = t.wSecond;
  now.millisecond = t.wMilliseconds;
  // Bias is UTC minus local time in minutes, before daylight saving.
  TIME_ZONE_INFORMATION zone;
  DWORD which = GetTimeZoneInformation(&zone);
  LONG bias = zone.Bias;
  if (which == TIME_ZONE_ID_DAYLIGHT) bias += zone.DaylightBias;
  else if (which == TIME_ZONE_ID_STANDARD) bias += zone.StandardBias;
  if (which != TIME_ZONE_ID_INVALID) now.utcOffsetMinutes = static_cast<int>(-bias);
  return now;
}

void detail::SystemSleepMs(int milliseconds) { Sleep(static_cast<DWORD>(milliseconds)); }

}  // namespace vemtrix::platform

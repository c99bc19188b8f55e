// POSIX implementation of the platform layer (native builds and tests).
#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/file.h>
#include <pthread.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/types.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <memory>

#include "platform/platform.h"
#include "platform/platform_detail.h"

namespace vemtrix::platform {

// ---------------------------------------------------------------- sockets

namespace {

int Fd(std::intptr_t handle) { return static_cast<int>(handle); }

void SetTimeouts(int fd, int timeoutMs) {
  timeval tv{};
  tv.tv_sec = timeoutMs / 1000;
  tv.tv_usec = (timeoutMs % 1000) * 1000;
  setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
  setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof tv);
}

// Connects with a bounded wait (non-blocking connect, then poll).
bool ConnectWithin(int fd, const sockaddr* address, socklen_t length, int timeoutMs) {
  int flags = fcntl(fd, F_GETFL, 0);
  fcntl(fd, F_SETFL, flags | O_NONBLOCK);
  int rc = connect(fd, address, length);
  if (rc != 0 && errno != EINPROGRESS) return false;
  if (rc != 0) {
    pollfd pfd{fd, POLLOUT, 0};
    if (poll(&pfd, 1, timeoutMs) != 1) return false;
    int error = 0;
    socklen_t size = sizeof error;
    if (getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) != 0 || error != 0) return false;
  }
  fcntl(fd, F_SETFL, flags);
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
  if (host.empty()) return false;
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  std::string service = std::to_string(port);
  if (getaddrinfo(host.c_str(), service.c_str(), &hints, &found) != 0 || found == nullptr) {
    hostNotFound_ = true;
    return false;
  }
  std::unique_ptr<addrinfo, decltype(&freeaddrinfo)> list(found, &freeaddrinfo);
  for (addrinfo* a = found; a != nullptr; a = a->ai_next) {
    int fd = socket(a->ai_family, a->ai_socktype | SOCK_CLOEXEC, a->ai_protocol);
    if (fd < 0) continue;
    if (ConnectWithin(fd, a->ai_addr, a->ai_addrlen, timeoutMs)) {
      SetTimeouts(fd, timeoutMs);
      int one = 1;
      setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
      handle_ = fd;
      return true;
    }
    ::close(fd);
  }
  return false;
}

bool TcpConnection::Send(std::string_view data) {
  if (!IsOpen()) return false;
  while (!data.empty()) {
    ssize_t sent = ::send(Fd(handle_), data.data(), data.size(), MSG_NOSIGNAL);
    if (sent < 0 && errno == EINTR) continue;
    if (sent <= 0) return false;
    data.remove_prefix(static_cast<std::size_t>(sent));
  }
  return true;
}

int TcpConnection::Receive(char* buffer, int size) {
  if (!IsOpen()) return -1;
  for (;;) {
    ssize_t got = ::recv(Fd(handle_), buffer, static_cast<std::size_t>(size), 0);
    if (got >= 0) return static_cast<int>(got);
    if (errno == EINTR) continue;
    if (errno == EAGAIN || errno == EWOULDBLOCK) return 0;  // time-out
    return -1;
  }
}

void TcpConnection::Close() {
  if (handle_ != kInvalid) {
    ::close(Fd(handle_));
    handle_ = kInvalid;
  }
}

TcpListener::~TcpListener() { Close(); }

bool TcpListener::Listen(int port) {
  Close();
  int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  int one = 1;
  setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(static_cast<uint16_t>(port));
  socklen_t length = sizeof address;
  if (bind(fd, reinterpret_cast<sockaddr*>(&address), length) != 0 || listen(fd, 64) != 0 ||
      getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    ::close(fd);
    return false;
  }
  handle_ = fd;
  port_ = ntohs(address.sin_port);
  return true;
}

bool TcpListener::Accept(TcpConnection& client, int timeoutMs) {
  if (handle_ == TcpConnection::kInvalid) return false;
  pollfd pfd{Fd(handle_), POLLIN, 0};
  if (poll(&pfd, 1, timeoutMs) != 1) return false;
  int fd = accept4(Fd(handle_), nullptr, nullptr, SOCK_CLOEXEC);
  if (fd < 0) return false;
  client.Close();
  client.handle_ = fd;
  SetTimeouts(fd, 10000);
  return true;
}

void TcpListener::Close() {
  if (handle_ != TcpConnection::kInvalid) {
    ::close(Fd(handle_));
    handle_ = TcpConnection::kInvalid;
  }
}

// ---------------------------------------------------------------- threads

namespace {

void* ThreadEntry(void* argument) {
  std::unique_ptr<std::function<void()>> body(static_cast<std::function<void()>*>(argument));
  (*body)();
  return nullptr;
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
  pthread_attr_t attributes;
  pthread_attr_init(&attributes);
  pthread_attr_setstacksize(&attributes, kThreadStackBytes);
  auto* argument = new std::function<void()>(std::move(body));
  auto* id = new pthread_t;
  int rc = pthread_create(id, &attributes, &ThreadEntry, argument);
  pthread_attr_destroy(&attributes);
  if (rc != 0) {
    delete argument;
    delete id;
    return false;
  }
  handle_ = id;
  return true;
}

void Thread::Join() {
  if (handle_ == nullptr) return;
  auto* id = static_cast<pthread_t*>(handle_);
  pthread_join(*id, nullptr);
  delete id;
  handle_ = nullptr;
}

void Thread::Detach() {
  if (handle_ == nullptr) return;
  auto* id = static_cast<pthread_t*>(handle_);
  pthread_detach(*id);
  delete id;
  handle_ = nullptr;
}

// ---------------------------------------------------------------- files

char PathSeparator() { return '/'; }

std::string detail::SystemProgramDirectory() {
  char buffer[PATH_MAX];
  ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  if (length <= 0) return "./";
  std::string path(buffer, static_cast<std::size_t>(length));
  std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? "./" : path.substr(0, slash + 1);
}

bool FileExists(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool ReadWholeFile(const std::string& path, std::string& contents) {
  contents.clear();
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat info {};
  if (fstat(fd, &info) == 0 && info.st_size > 0) contents.reserve(static_cast<std::size_t>(info.st_size));
  char buffer[65536];
  for (;;) {
    ssize_t got = read(fd, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      ::close(fd);
      contents.clear();
      return false;
    }
    if (got == 0) break;
    contents.append(buffer, static_cast<std::size_t>(got));
  }
  ::close(fd);
  return true;
}

namespace {

bool WriteAll(int fd, std::string_view data) {
  while (!data.empty()) {
    ssize_t written = write(fd, data.data(), data.size());
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    data.remove_prefix(static_cast<std::size_t>(written));
  }
  return true;
}

}  // namespace

bool detail::SystemReplaceFile(const std::string& path, const std::string& temporary, std::string_view contents) {
  // Not truncated before it is locked: another process may be writing it.
  int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  // Another process writing the same target holds the lock: this write
  // fails, as it does on Windows, instead of mixing two files in one.
  struct stat opened {};
  struct stat named {};
  bool ok = flock(fd, LOCK_EX | LOCK_NB) == 0 && fstat(fd, &opened) == 0 &&
            stat(temporary.c_str(), &named) == 0 && opened.st_ino == named.st_ino && opened.st_dev == named.st_dev;
  if (!ok) {
    // Locked by another writer, or that writer moved this very file over
    // the target in the meantime: nothing here is ours to touch.
    ::close(fd);
    return false;
  }
  ok = ftruncate(fd, 0) == 0 && WriteAll(fd, contents) && fsync(fd) == 0;
  // Moved while still locked, so no other writer can start on it first.
  if (ok) ok = rename(temporary.c_str(), path.c_str()) == 0;
  if (!ok) unlink(temporary.c_str());
  ok = (::close(fd) == 0) && ok;
  return ok;
}

bool CopyFileTo(const std::string& from, const std::string& to) {
  std::string contents;
  return ReadWholeFile(from, contents) && WriteWholeFile(to, contents);
}

bool DeleteFileAt(const std::string& path) { return unlink(path.c_str()) == 0; }

bool CreateFolder(const std::string& path) {
  if (path.empty()) return false;
  for (std::size_t i = 1; i <= path.size(); ++i) {
    if (i == path.size() || path[i] == '/') {
      std::string part = path.substr(0, i);
      if (mkdir(part.c_str(), 0755) != 0 && errno != EEXIST) return false;
    }
  }
  struct stat info {};
  return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

void UseBinaryStandardStreams() {}

// ---------------------------------------------------------------- clock, sleep

LocalDateTime detail::SystemLocalNow() {
  timeval tv{};
  gettimeofday(&tv, nullptr);
  time_t seconds = tv.tv_sec;
  tm parts{};
  localtime_r(&seconds, &parts);
  LocalDateTime now;
  now.year = parts.tm_year + 1900;
  now.month = parts.tm_mon + 1;
  now.day = parts.tm_mday;
  now.hour = parts.tm_hour;
  now.minute = parts.tm_min;
  now.second = parts.tm_sec;
  now.millisecond = static_cast<int>(tv.tv_usec / 1000);
  now.utcOffsetMinutes = static_cast<int>(parts.tm_gmtoff / 60);
  return now;
}

void detail::SystemSleepMs(int milliseconds) {
  timespec duration{milliseconds / 1000, (milliseconds % 1000) * 1000000L};
  while (nanosleep(&duration, &duration) != 0 && errno == EINTR) {
  }
}

}  // namespace vemtrix::platform

// The operating-system services the engine needs, behind one small header.
// Implemented twice: platform_posix.cpp (native builds and tests) and
// platform_win32.cpp (the Windows programs). No business logic lives here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace vemtrix::platform {

// ---------------------------------------------------------------- sockets

// One TCP connection (client side). Closed when destroyed.
class TcpConnection {
 public:
  TcpConnection() = default;
  ~TcpConnection();
  TcpConnection(const TcpConnection&) = delete;
  TcpConnection& operator=(const TcpConnection&) = delete;
  TcpConnection(TcpConnection&& other) noexcept;
  TcpConnection& operator=(TcpConnection&& other) noexcept;

  // Resolves host (a name or a dotted address) and connects to port.
  // timeoutMs bounds every later send and receive on the connection.
  bool Connect(const std::string& host, int port, int timeoutMs);
  // Whether the last Connect failed because the name did not resolve.
  bool HostNotFound() const { return hostNotFound_; }
  // Sends all of data; false when the connection failed.
  bool Send(std::string_view data);
  // Receives up to size bytes. Returns the count, 0 when the peer closed the
  // connection or timeoutMs passed without data, -1 on any other error.
  int Receive(char* buffer, int size);
  void Close();
  bool IsOpen() const { return handle_ != kInvalid; }

 private:
  friend class TcpListener;
  friend class TlsConnection;
  static constexpr std::intptr_t kInvalid = -1;
  std::intptr_t handle_ = kInvalid;
  bool hostNotFound_ = false;
};

// A listening socket on the loopback address, for the program's own tests
// (in-process servers). Port 0 picks a free port.
class TcpListener {
 public:
  TcpListener() = default;
  ~TcpListener();
  TcpListener(const TcpListener&) = delete;
  TcpListener& operator=(const TcpListener&) = delete;

  bool Listen(int port);
  int Port() const { return port_; }
  // Waits up to timeoutMs for a client; false on time-out or error.
  bool Accept(TcpConnection& client, int timeoutMs);
  void Close();

 private:
  std::intptr_t handle_ = TcpConnection::kInvalid;
  int port_ = 0;
};

// ---------------------------------------------------------------- TLS

// How a TLS handshake ended. The server's certificate is always checked
// against the system's trusted roots and the server name; nothing turns that
// off.
enum class TlsCheck {
  Ok,
  HandshakeFailed,  // no secure channel: the server left, went silent or spoke no TLS
  NotTrusted,       // no chain to a trusted root (self-signed, unknown issuer, ...)
  Expired,          // the certificate's validity has ended
  OtherHost,        // the certificate names other hosts only
};

// One TLS client connection over a connected TcpConnection, which it takes
// over. Send and Receive behave as TcpConnection's do, on the plain text
// inside the channel. Closed when destroyed. Native builds use OpenSSL (the
// SSL_CERT_FILE variable names the roots, as OpenSSL's default paths do);
// Windows uses Schannel with the system's roots.
class TlsConnection {
 public:
  TlsConnection() = default;
  ~TlsConnection();
  TlsConnection(const TlsConnection&) = delete;
  TlsConnection& operator=(const TlsConnection&) = delete;

  // Runs the handshake, sending serverName for SNI (unless it is an
  // address) and checking the certificate against it. The connection's
  // time-out bounds every wait of the handshake.
  TlsCheck Start(TcpConnection&& connection, const std::string& serverName);
  bool Send(std::string_view data);
  int Receive(char* buffer, int size);
  void Close();
  bool IsOpen() const { return state_ != nullptr; }

  struct State;  // each implementation's own

 private:
  State* state_ = nullptr;
};

// ---------------------------------------------------------------- threads

// A thread started with a 1 MB stack. Join() waits for it; a Thread that is
// destroyed without Join() is detached (it keeps running).
class Thread {
 public:
  Thread() = default;
  ~Thread();
  Thread(const Thread&) = delete;
  Thread& operator=(const Thread&) = delete;
  Thread(Thread&& other) noexcept;
  Thread& operator=(Thread&& other) noexcept;

  bool Start(std::function<void()> body);
  void Join();
  void Detach();
  bool Joinable() const { return handle_ != nullptr; }

 private:
  void* handle_ = nullptr;
};

// Starts body on a detached thread with a 1 MB stack; false when the system
// could not create it.
bool StartDetachedThread(std::function<void()> body);

inline constexpr std::size_t kThreadStackBytes = 1024 * 1024;

// ---------------------------------------------------------------- files

// The running program's folder, ending in the path separator ("\" on
// Windows, "/" elsewhere). SetProgramDirectory overrides it (tests, tools).
std::string ProgramDirectory();
void SetProgramDirectory(const std::string& directory);

bool FileExists(const std::string& path);
bool ReadWholeFile(const std::string& path, std::string& contents);
// Writes to a temporary file in the same folder (TemporaryFileFor), flushes
// it, then moves it over path, so an interrupted write never leaves half a
// file behind, and one killed halfway leaves at most that one stale file,
// which the next write of path replaces. Writes of one target wait for each
// other within the process; another process writing it makes this one fail.
bool WriteWholeFile(const std::string& path, std::string_view contents);
// The one temporary file of a target: path + ".tmp".
std::string TemporaryFileFor(const std::string& path);
// Calls line(text) for each line of the file (without its LF, and without a
// CR before it), reading a piece at a time; stops early when line returns
// false. False when the file cannot be read.
bool ForEachLine(const std::string& path, const std::function<bool(std::string_view)>& line);
bool CopyFileTo(const std::string& from, const std::string& to);
bool DeleteFileAt(const std::string& path);
// Creates the folder (and missing parents); true when it exists afterwards.
bool CreateFolder(const std::string& path);
char PathSeparator();

// Standard output and error pass bytes unchanged (no CR inserted on Windows).
void UseBinaryStandardStreams();

// ---------------------------------------------------------------- clock

struct LocalDateTime {
  int year = 0;
  int month = 0;   // 1..12
  int day = 0;     // 1..31
  int hour = 0;
  int minute = 0;
  int second = 0;
  int millisecond = 0;
  int utcOffsetMinutes = 0;  // local time minus UTC, daylight saving included
};

LocalDateTime LocalNow();
// Seconds since local midnight, with the fraction of a second.
double SecondsSinceMidnight();

// ---------------------------------------------------------------- random, sleep

// A uniformly chosen integer in [low, high].
int RandomBetween(int low, int high);
void SleepMs(int milliseconds);

// Test hooks: replace the clock, the random source and sleeping. An empty
// function restores the real one.
void SetClockForTesting(std::function<LocalDateTime()> clock);
void SetRandomForTesting(std::function<int(int low, int high)> random);
void SetSleepForTesting(std::function<void(int milliseconds)> sleeper);

}  // namespace vemtrix::platform

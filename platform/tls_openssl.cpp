// TLS for the native build: OpenSSL, with the roots its default paths name
// (SSL_CERT_FILE and SSL_CERT_DIR when set, else the system's CA bundle).
#include <arpa/inet.h>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>
#include <pthread.h>
#include <signal.h>

#include <cerrno>
#include <cstdlib>
#include <memory>
#include <mutex>

#include "platform/platform.h"

namespace vemtrix::platform {

namespace {

std::string EnvironmentText(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

// One client context for the process, made again when the variables that
// name the roots change (a test points them at its own CA).
struct SharedContext {
  std::mutex lock;
  SSL_CTX* context = nullptr;
  std::string roots;
};

SSL* NewSsl() {
  static SharedContext& shared = *new SharedContext;
  std::lock_guard<std::mutex> guard(shared.lock);
  const std::string roots = EnvironmentText("SSL_CERT_FILE") + '\n' + EnvironmentText("SSL_CERT_DIR");
  if (shared.context == nullptr || roots != shared.roots) {
    SSL_CTX* made = SSL_CTX_new(TLS_client_method());
    if (made == nullptr) return nullptr;
    SSL_CTX_set_min_proto_version(made, TLS1_2_VERSION);
    SSL_CTX_set_verify(made, SSL_VERIFY_PEER, nullptr);
    SSL_CTX_set_default_verify_paths(made);
    // HTTP/1.0 ends a body by closing the connection, often without a
    // close_notify: that is a close, not an error.
    SSL_CTX_set_options(made, SSL_OP_IGNORE_UNEXPECTED_EOF);
    if (shared.context != nullptr) SSL_CTX_free(shared.context);  // live connections hold their own reference
    shared.context = made;
    shared.roots = roots;
  }
  return SSL_new(shared.context);
}

TlsCheck CheckOfVerifyResult(long result) {
  switch (result) {
    case X509_V_OK: return TlsCheck::HandshakeFailed;  // the handshake failed before any certificate
    case X509_V_ERR_CERT_HAS_EXPIRED: return TlsCheck::Expired;
    case X509_V_ERR_HOSTNAME_MISMATCH:
    case X509_V_ERR_IP_ADDRESS_MISMATCH: return TlsCheck::OtherHost;
    default: return TlsCheck::NotTrusted;
  }
}

bool IsAddress(const std::string& name) {
  unsigned char bytes[16];
  return inet_pton(AF_INET, name.c_str(), bytes) == 1 || inet_pton(AF_INET6, name.c_str(), bytes) == 1;
}

// OpenSSL writes to the socket with write(): a peer that has gone would
// raise SIGPIPE. Blocked on this thread for the call, and a SIGPIPE the call
// raised is taken before the mask is restored.
class NoSigpipe {
 public:
  NoSigpipe() {
    sigemptyset(&pipe_);
    sigaddset(&pipe_, SIGPIPE);
    sigset_t pending;
    sigpending(&pending);
    pendingBefore_ = sigismember(&pending, SIGPIPE) == 1;
    pthread_sigmask(SIG_BLOCK, &pipe_, &old_);
  }
  ~NoSigpipe() {
    if (!pendingBefore_) {
      sigset_t pending;
      sigpending(&pending);
      if (sigismember(&pending, SIGPIPE) == 1) {
        timespec none{};
        sigtimedwait(&pipe_, nullptr, &none);
      }
    }
    pthread_sigmask(SIG_SETMASK, &old_, nullptr);
  }
  NoSigpipe(const NoSigpipe&) = delete;
  NoSigpipe& operator=(const NoSigpipe&) = delete;

 private:
  sigset_t pipe_{};
  sigset_t old_{};
  bool pendingBefore_ = false;
};

}  // namespace

struct TlsConnection::State {
  TcpConnection tcp;
  SSL* ssl = nullptr;
  ~State() {
    if (ssl != nullptr) SSL_free(ssl);
  }
};

TlsConnection::~TlsConnection() { Close(); }

TlsCheck TlsConnection::Start(TcpConnection&& connection, const std::string& serverName) {
  Close();
  auto state = std::make_unique<State>();
  state->tcp = std::move(connection);
  if (!state->tcp.IsOpen()) return TlsCheck::HandshakeFailed;
  state->ssl = NewSsl();
  if (state->ssl == nullptr) return TlsCheck::HandshakeFailed;
  SSL* ssl = state->ssl;
  SSL_set_fd(ssl, static_cast<int>(state->tcp.handle_));
  if (IsAddress(serverName)) {
    X509_VERIFY_PARAM_set1_ip_asc(SSL_get0_param(ssl), serverName.c_str());
  } else {
    SSL_set_tlsext_host_name(ssl, serverName.c_str());
    SSL_set_hostflags(ssl, X509_CHECK_FLAG_NO_PARTIAL_WILDCARDS);
    SSL_set1_host(ssl, serverName.c_str());
  }
  ERR_clear_error();
  int done = 0;
  {
    NoSigpipe guard;
    done = SSL_connect(ssl);
  }
  const long verified = SSL_get_verify_result(ssl);
  ERR_clear_error();
  if (done != 1) return CheckOfVerifyResult(verified);
  if (verified != X509_V_OK) return CheckOfVerifyResult(verified);
  X509* certificate = SSL_get1_peer_certificate(ssl);
  if (certificate == nullptr) return TlsCheck::NotTrusted;
  X509_free(certificate);
  state_ = state.release();
  return TlsCheck::Ok;
}

bool TlsConnection::Send(std::string_view data) {
  if (state_ == nullptr) return false;
  NoSigpipe guard;
  while (!data.empty()) {
    std::size_t sent = 0;
    if (SSL_write_ex(state_->ssl, data.data(), data.size(), &sent) != 1) {
      ERR_clear_error();
      return false;
    }
    data.remove_prefix(sent);
  }
  return true;
}

int TlsConnection::Receive(char* buffer, int size) {
  if (state_ == nullptr) return -1;
  const int got = SSL_read(state_->ssl, buffer, size);
  if (got > 0) return got;
  const int error = SSL_get_error(state_->ssl, got);
  const int systemError = errno;
  ERR_clear_error();
  switch (error) {
    case SSL_ERROR_ZERO_RETURN: return 0;                            // closed
    case SSL_ERROR_WANT_READ: case SSL_ERROR_WANT_WRITE: return 0;   // time-out
    case SSL_ERROR_SYSCALL:
      return systemError == EAGAIN || systemError == EWOULDBLOCK || got == 0 ? 0 : -1;
    default: return -1;
  }
}

void TlsConnection::Close() {
  // No close_notify: the reader has what it wants, and HTTP/1.0 servers
  // have usually gone by now.
  delete state_;
  state_ = nullptr;
}

}  // namespace vemtrix::platform

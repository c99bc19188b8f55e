// TLS for the Windows programs: Schannel through SSPI, part of the system.
// The certificate is checked here (manual validation) against the system's
// trusted roots, so that the reason of a failure can be named.
#define SECURITY_WIN32
#include <winsock2.h>
#include <windows.h>
#include <wincrypt.h>
#include <schannel.h>
#include <security.h>
#include <sspi.h>

#include <cstring>
#include <memory>
#include <string>

#include "platform/platform.h"

namespace vemtrix::platform {

struct TlsConnection::State {
  TcpConnection tcp;
  CredHandle credentials{};
  CtxtHandle context{};
  bool haveCredentials = false;
  bool haveContext = false;
  SecPkgContext_StreamSizes sizes{};
  std::string incoming;  // received records not yet decrypted
  std::string plain;     // decrypted text not yet handed out
  bool closed = false;   // the server ended the channel

  ~State() {
    if (haveContext) DeleteSecurityContext(&context);
    if (haveCredentials) FreeCredentialsHandle(&credentials);
  }
};

namespace {

bool ReceiveMore(TcpConnection& tcp, std::string& into) {
  char buffer[16384];
  const int got = tcp.Receive(buffer, sizeof buffer);
  if (got <= 0) return false;
  into.append(buffer, static_cast<std::size_t>(got));
  return true;
}

std::wstring Wide(const std::string& text) {
  if (text.empty()) return std::wstring();
  const int count = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(count), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), count);
  return wide;
}

TlsCheck CheckCertificate(TlsConnection::State& state, const std::string& serverName) {
  PCCERT_CONTEXT certificate = nullptr;
  if (QueryContextAttributesA(&state.context, SECPKG_ATTR_REMOTE_CERT_CONTEXT, &certificate) != SEC_E_OK ||
      certificate == nullptr) {
    return TlsCheck::NotTrusted;
  }
  LPSTR usages[] = {const_cast<LPSTR>(szOID_PKIX_KP_SERVER_AUTH), const_cast<LPSTR>(szOID_SERVER_GATED_CRYPTO),
                    const_cast<LPSTR>(szOID_SGC_NETSCAPE)};
  CERT_CHAIN_PARA chainPara{};
  chainPara.cbSize = sizeof chainPara;
  chainPara.RequestedUsage.dwType = USAGE_MATCH_TYPE_OR;
  chainPara.RequestedUsage.Usage.cUsageIdentifier = 3;
  chainPara.RequestedUsage.Usage.rgpszUsageIdentifier = usages;
  PCCERT_CHAIN_CONTEXT chain = nullptr;
  TlsCheck check = TlsCheck::NotTrusted;
  if (CertGetCertificateChain(nullptr, certificate, nullptr, certificate->hCertStore, &chainPara, 0, nullptr,
                              &chain)) {
    std::wstring name = Wide(serverName);
    HTTPSPolicyCallbackData https{};
    https.cbStruct = sizeof https;
    https.dwAuthType = AUTHTYPE_SERVER;
    https.pwszServerName = name.data();
    CERT_CHAIN_POLICY_PARA policy{};
    policy.cbSize = sizeof policy;
    policy.pvExtraPolicyPara = &https;
    CERT_CHAIN_POLICY_STATUS status{};
    status.cbSize = sizeof status;
    // A chain that does not end in a trusted root is refused here whatever
    // the policy says (not every implementation of the policy checks it).
    constexpr DWORD kUntrusted = CERT_TRUST_IS_PARTIAL_CHAIN | CERT_TRUST_IS_UNTRUSTED_ROOT |
                                 CERT_TRUST_IS_NOT_SIGNATURE_VALID | CERT_TRUST_IS_CYCLIC | CERT_TRUST_IS_REVOKED;
    const DWORD trust = chain->TrustStatus.dwErrorStatus;
    if ((trust & kUntrusted) == 0 &&
        CertVerifyCertificateChainPolicy(CERT_CHAIN_POLICY_SSL, chain, &policy, &status)) {
      switch (static_cast<HRESULT>(status.dwError)) {
        case 0: check = (trust & CERT_TRUST_IS_NOT_TIME_VALID) != 0 ? TlsCheck::Expired : TlsCheck::Ok; break;
        case CERT_E_EXPIRED: check = TlsCheck::Expired; break;
        case CERT_E_CN_NO_MATCH: check = TlsCheck::OtherHost; break;
        default: check = TlsCheck::NotTrusted; break;
      }
    }
    CertFreeCertificateChain(chain);
  }
  CertFreeCertificateContext(certificate);
  return check;
}

bool Handshake(TlsConnection::State& state, const std::string& serverName) {
  SCHANNEL_CRED wanted{};
  wanted.dwVersion = SCHANNEL_CRED_VERSION;
  wanted.grbitEnabledProtocols = SP_PROT_TLS1_2_CLIENT;
  wanted.dwFlags = SCH_CRED_MANUAL_CRED_VALIDATION | SCH_CRED_NO_DEFAULT_CREDS;
  if (AcquireCredentialsHandleA(nullptr, const_cast<LPSTR>(UNISP_NAME_A), SECPKG_CRED_OUTBOUND, nullptr, &wanted,
                                nullptr, nullptr, &state.credentials, nullptr) != SEC_E_OK) {
    return false;
  }
  state.haveCredentials = true;

  const DWORD wantedFlags = ISC_REQ_SEQUENCE_DETECT | ISC_REQ_REPLAY_DETECT | ISC_REQ_CONFIDENTIALITY |
                            ISC_REQ_ALLOCATE_MEMORY | ISC_REQ_STREAM;
  std::string target = serverName;
  std::string in;
  bool needMore = false;
  for (bool first = true;; first = false) {
    if (needMore && !ReceiveMore(state.tcp, in)) return false;
    SecBuffer inBuffers[2] = {{static_cast<unsigned long>(in.size()), SECBUFFER_TOKEN, in.data()},
                              {0, SECBUFFER_EMPTY, nullptr}};
    SecBufferDesc inDesc{SECBUFFER_VERSION, 2, inBuffers};
    SecBuffer outBuffers[1] = {{0, SECBUFFER_TOKEN, nullptr}};
    SecBufferDesc outDesc{SECBUFFER_VERSION, 1, outBuffers};
    unsigned long gotFlags = 0;
    const SECURITY_STATUS status = InitializeSecurityContextA(
        &state.credentials, first ? nullptr : &state.context, target.data(), wantedFlags, 0, 0,
        first ? nullptr : &inDesc, 0, first ? &state.context : nullptr, &outDesc, &gotFlags, nullptr);
    if (first && (status == SEC_I_CONTINUE_NEEDED || status == SEC_E_OK)) state.haveContext = true;
    if (outBuffers[0].pvBuffer != nullptr) {
      const bool sent = outBuffers[0].cbBuffer == 0 ||
                        state.tcp.Send(std::string_view(static_cast<const char*>(outBuffers[0].pvBuffer),
                                                        outBuffers[0].cbBuffer));
      FreeContextBuffer(outBuffers[0].pvBuffer);
      if (!sent) return false;
    }
    if (status == SEC_E_INCOMPLETE_MESSAGE) {
      needMore = true;
      continue;
    }
    // What the call did not consume starts the next message.
    std::string extra;
    if (!first && inBuffers[1].BufferType == SECBUFFER_EXTRA && inBuffers[1].cbBuffer <= in.size()) {
      extra = in.substr(in.size() - inBuffers[1].cbBuffer);
    }
    if (status == SEC_E_OK) {
      state.incoming = std::move(extra);
      return true;
    }
    if (status != SEC_I_CONTINUE_NEEDED) return false;
    in = std::move(extra);
    needMore = in.empty();
  }
}

}  // namespace

TlsConnection::~TlsConnection() { Close(); }

TlsCheck TlsConnection::Start(TcpConnection&& connection, const std::string& serverName) {
  Close();
  auto state = std::make_unique<State>();
  state->tcp = std::move(connection);
  if (!state->tcp.IsOpen()) return TlsCheck::HandshakeFailed;
  if (!Handshake(*state, serverName)) return TlsCheck::HandshakeFailed;
  const TlsCheck check = CheckCertificate(*state, serverName);
  if (check != TlsCheck::Ok) return check;
  if (QueryContextAttributesA(&state->context, SECPKG_ATTR_STREAM_SIZES, &state->sizes) != SEC_E_OK) {
    return TlsCheck::HandshakeFailed;
  }
  state_ = state.release();
  return TlsCheck::Ok;
}

bool TlsConnection::Send(std::string_view data) {
  if (state_ == nullptr) return false;
  const SecPkgContext_StreamSizes& sizes = state_->sizes;
  std::string record;
  while (!data.empty()) {
    const std::size_t piece = data.size() < sizes.cbMaximumMessage ? data.size() : sizes.cbMaximumMessage;
    record.assign(sizes.cbHeader + piece + sizes.cbTrailer, '\0');
    std::memcpy(record.data() + sizes.cbHeader, data.data(), piece);
    SecBuffer buffers[4] = {
        {sizes.cbHeader, SECBUFFER_STREAM_HEADER, record.data()},
        {static_cast<unsigned long>(piece), SECBUFFER_DATA, record.data() + sizes.cbHeader},
        {sizes.cbTrailer, SECBUFFER_STREAM_TRAILER, record.data() + sizes.cbHeader + piece},
        {0, SECBUFFER_EMPTY, nullptr}};
    SecBufferDesc desc{SECBUFFER_VERSION, 4, buffers};
    if (EncryptMessage(&state_->context, 0, &desc, 0) != SEC_E_OK) return false;
    const std::size_t length = buffers[0].cbBuffer + buffers[1].cbBuffer + buffers[2].cbBuffer;
    if (!state_->tcp.Send(std::string_view(record.data(), length))) return false;
    data.remove_prefix(piece);
  }
  return true;
}

int TlsConnection::Receive(char* buffer, int size) {
  if (state_ == nullptr || size <= 0) return -1;
  State& state = *state_;
  for (;;) {
    if (!state.plain.empty()) {
      const std::size_t count = state.plain.size() < static_cast<std::size_t>(size) ? state.plain.size()
                                                                                      : static_cast<std::size_t>(size);
      std::memcpy(buffer, state.plain.data(), count);
      state.plain.erase(0, count);
      return static_cast<int>(count);
    }
    if (state.closed) return 0;
    if (!state.incoming.empty()) {
      SecBuffer buffers[4] = {{static_cast<unsigned long>(state.incoming.size()), SECBUFFER_DATA,
                               state.incoming.data()},
                              {0, SECBUFFER_EMPTY, nullptr},
                              {0, SECBUFFER_EMPTY, nullptr},
                              {0, SECBUFFER_EMPTY, nullptr}};
      SecBufferDesc desc{SECBUFFER_VERSION, 4, buffers};
      const SECURITY_STATUS status = DecryptMessage(&state.context, &desc, 0, nullptr);
      if (status == SEC_E_OK || status == SEC_I_CONTEXT_EXPIRED) {
        std::string extra;
        for (const SecBuffer& b : buffers) {
          if (b.BufferType == SECBUFFER_DATA && b.pvBuffer != nullptr) {
            state.plain.append(static_cast<const char*>(b.pvBuffer), b.cbBuffer);
          } else if (b.BufferType == SECBUFFER_EXTRA && b.pvBuffer != nullptr) {
            extra.assign(static_cast<const char*>(b.pvBuffer), b.cbBuffer);
          }
        }
        state.incoming = std::move(extra);
        if (status == SEC_I_CONTEXT_EXPIRED) state.closed = true;  // close_notify
        continue;
      }
      if (status != SEC_E_INCOMPLETE_MESSAGE) return -1;
    }
    char raw[16384];
    const int got = state.tcp.Receive(raw, sizeof raw);
    if (got <= 0) return got;  // closed or silent (0), or an error (-1)
    state.incoming.append(raw, static_cast<std::size_t>(got));
  }
}

void TlsConnection::Close() {
  delete state_;
  state_ = nullptr;
}

}  // namespace vemtrix::platform

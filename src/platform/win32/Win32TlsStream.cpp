#include "platform/win32/Win32TlsStream.h"

#include <windows.h>
// After <windows.h>, in this order.
#include <subauth.h>
#include <wincrypt.h>
// SCH_CREDENTIALS, the credentials that can offer TLS 1.3.
#define SCHANNEL_USE_BLACKLISTS
#include <schannel.h>
#define SECURITY_WIN32
#include <security.h>

#include <chrono>
#include <cstring>
#include <string>
#include <vector>

#include "platform/win32/Win32ServerCertificate.h"

namespace kivo::platform {
namespace {

constexpr DWORD kContextRequest = ISC_REQ_SEQUENCE_DETECT | ISC_REQ_REPLAY_DETECT |
                                  ISC_REQ_CONFIDENTIALITY | ISC_REQ_EXTENDED_ERROR |
                                  ISC_REQ_ALLOCATE_MEMORY | ISC_REQ_STREAM |
                                  ISC_REQ_MANUAL_CRED_VALIDATION;
constexpr DWORD kCredentialFlags =
    SCH_CRED_MANUAL_CRED_VALIDATION | SCH_CRED_NO_DEFAULT_CREDS | SCH_USE_STRONG_CRYPTO;
constexpr DWORD kOldProtocols =
    SP_PROT_SSL2_CLIENT | SP_PROT_SSL3_CLIENT | SP_PROT_TLS1_0_CLIENT | SP_PROT_TLS1_1_CLIENT;
constexpr std::size_t kReadChunk = 16 * 1024 + 512;  // one TLS record and its overhead

StreamError Failed(SECURITY_STATUS status, const char* what) {
  return StreamError::Code(static_cast<std::uint32_t>(status), what);
}

// Client credentials that send no certificate of their own. SCH_CREDENTIALS
// lets SChannel offer TLS 1.3 where it has it; a system that does not know
// that form (before Windows 10 1809) takes SCHANNEL_CRED, with TLS 1.2.
SECURITY_STATUS AcquireCredentials(CredHandle* credentials) {
  TLS_PARAMETERS parameters = {};
  parameters.grbitDisabledProtocols = kOldProtocols;
  SCH_CREDENTIALS modern = {};
  modern.dwVersion = SCH_CREDENTIALS_VERSION;
  modern.dwFlags = kCredentialFlags;
  modern.cTlsParameters = 1;
  modern.pTlsParameters = &parameters;
  TimeStamp expiry;
  char package[] = UNISP_NAME_A;
  SECURITY_STATUS status =
      AcquireCredentialsHandleA(nullptr, package, SECPKG_CRED_OUTBOUND, nullptr, &modern, nullptr,
                                nullptr, credentials, &expiry);
  if (status == SEC_E_OK) return status;
  SCHANNEL_CRED classic = {};
  classic.dwVersion = SCHANNEL_CRED_VERSION;
  classic.grbitEnabledProtocols = SP_PROT_TLS1_2_CLIENT;
  classic.dwFlags = kCredentialFlags;
  return AcquireCredentialsHandleA(nullptr, package, SECPKG_CRED_OUTBOUND, nullptr, &classic,
                                   nullptr, nullptr, credentials, &expiry);
}

// Nothing for TLS 1.2 and later; else the version the server chose.
std::optional<std::string> OlderThanTls12(DWORD protocol) {
  if (protocol & (SP_PROT_TLS1_2 | SP_PROT_TLS1_3)) return std::nullopt;
  if (protocol & SP_PROT_TLS1_1) return "TLS 1.1";
  if (protocol & SP_PROT_TLS1_0) return "TLS 1.0";
  return "SSL";
}

class SchannelStream : public Stream {
 public:
  SchannelStream(std::unique_ptr<Stream> transport, std::string server_name)
      : transport_(std::move(transport)), server_name_(std::move(server_name)) {}
  ~SchannelStream() override;

  std::optional<StreamError> Open(const TlsPeer& peer, const WaitLimit& limit);

  std::optional<StreamError> Write(const void* data, std::size_t length,
                                   const WaitLimit& limit) override;
  std::optional<StreamError> Read(void* buffer, std::size_t size, std::size_t* received,
                                  const WaitLimit& limit) override;

 private:
  // Runs InitializeSecurityContext until the session is set up, sending its
  // tokens and reading the server's, within the limit's time.
  std::optional<StreamError> Handshake(const WaitLimit& limit);
  std::optional<StreamError> SendToken(SecBuffer& token, const WaitLimit& limit);
  // Appends what the transport has (waiting at most the limit) to received_.
  std::optional<StreamError> Receive(const WaitLimit& limit, bool* got_some);
  // Decrypts the whole records of received_ into plain_.
  std::optional<StreamError> Decrypt(const WaitLimit& limit);
  void SendCloseNotify();

  std::unique_ptr<Stream> transport_;
  std::string server_name_;
  CredHandle credentials_ = {};
  CtxtHandle context_ = {};
  bool have_credentials_ = false;
  bool have_context_ = false;
  bool established_ = false;
  bool closed_by_peer_ = false;
  SecPkgContext_StreamSizes sizes_ = {};
  std::vector<char> received_;  // from the transport, not yet decrypted
  std::string plain_;           // decrypted, not yet read
  std::vector<char> record_;    // one outgoing record
};

SchannelStream::~SchannelStream() {
  if (established_ && !closed_by_peer_) SendCloseNotify();
  if (have_context_) DeleteSecurityContext(&context_);
  if (have_credentials_) FreeCredentialsHandle(&credentials_);
}

std::optional<StreamError> SchannelStream::Open(const TlsPeer& peer, const WaitLimit& limit) {
  const SECURITY_STATUS status = AcquireCredentials(&credentials_);
  if (status != SEC_E_OK) return Failed(status, "TLS is not available");
  have_credentials_ = true;
  if (auto error = Handshake(limit)) return error;
  const SECURITY_STATUS sizes =
      QueryContextAttributesA(&context_, SECPKG_ATTR_STREAM_SIZES, &sizes_);
  if (sizes != SEC_E_OK) return Failed(sizes, "TLS handshake failed");
  // Asked for in the credentials, and checked here too: Wine takes
  // SCH_CREDENTIALS but not the protocols they disable.
  SecPkgContext_ConnectionInfo connection = {};
  const SECURITY_STATUS info =
      QueryContextAttributesA(&context_, SECPKG_ATTR_CONNECTION_INFO, &connection);
  if (info != SEC_E_OK) return Failed(info, "TLS handshake failed");
  if (auto older = OlderThanTls12(connection.dwProtocol)) {
    return StreamError::Reason(*older + " refused: TLS 1.2 at least is required");
  }
  PCCERT_CONTEXT certificate = nullptr;
  const SECURITY_STATUS found =
      QueryContextAttributesA(&context_, SECPKG_ATTR_REMOTE_CERT_CONTEXT, &certificate);
  if (found != SEC_E_OK || certificate == nullptr) {
    return Failed(found, "the server sent no certificate");
  }
  std::optional<StreamError> refused = CheckServerCertificate(certificate, peer);
  CertFreeCertificateContext(certificate);
  if (refused) return refused;
  established_ = true;
  return std::nullopt;
}

std::optional<StreamError> SchannelStream::Handshake(const WaitLimit& limit) {
  using Clock = std::chrono::steady_clock;
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(limit.milliseconds);
  bool need_more = have_context_ && received_.empty();
  while (true) {
    if (need_more) {
      const auto left =
          std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
      bool got_some = false;
      if (auto error = Receive(
              WaitLimit{static_cast<std::uint32_t>(left > 0 ? left : 0), limit.stop}, &got_some)) {
        return error;
      }
      if (!got_some) {
        return StreamError::Reason("TLS handshake not complete within the time allowed");
      }
    }
    SecBuffer in[2] = {
        {static_cast<unsigned long>(received_.size()), SECBUFFER_TOKEN, received_.data()},
        {0, SECBUFFER_EMPTY, nullptr}};
    SecBufferDesc in_description = {SECBUFFER_VERSION, 2, in};
    SecBuffer out = {0, SECBUFFER_TOKEN, nullptr};
    SecBufferDesc out_description = {SECBUFFER_VERSION, 1, &out};
    unsigned long attributes = 0;
    const bool first = !have_context_;
    const SECURITY_STATUS status = InitializeSecurityContextA(
        &credentials_, first ? nullptr : &context_, const_cast<char*>(server_name_.c_str()),
        kContextRequest, 0, 0, first ? nullptr : &in_description, 0, first ? &context_ : nullptr,
        &out_description, &attributes, nullptr);
    if (first && (status == SEC_I_CONTINUE_NEEDED || status == SEC_E_OK)) have_context_ = true;
    // Sent also when the handshake failed: it then holds the alert that
    // tells the server why.
    if (auto error = SendToken(out, limit)) return error;
    if (status == SEC_E_INCOMPLETE_MESSAGE) {
      need_more = true;
      continue;
    }
    if (!first && in[1].BufferType == SECBUFFER_EXTRA && in[1].cbBuffer > 0) {
      received_.erase(received_.begin(), received_.end() - in[1].cbBuffer);
    } else if (!first) {
      received_.clear();
    }
    if (status == SEC_E_OK) return std::nullopt;
    if (status != SEC_I_CONTINUE_NEEDED && status != SEC_I_INCOMPLETE_CREDENTIALS) {
      return Failed(status, "TLS handshake failed");
    }
    need_more = received_.empty();
  }
}

std::optional<StreamError> SchannelStream::SendToken(SecBuffer& token, const WaitLimit& limit) {
  if (token.pvBuffer == nullptr) return std::nullopt;
  std::optional<StreamError> error;
  if (token.cbBuffer > 0) error = transport_->Write(token.pvBuffer, token.cbBuffer, limit);
  FreeContextBuffer(token.pvBuffer);
  token.pvBuffer = nullptr;
  return error;
}

std::optional<StreamError> SchannelStream::Receive(const WaitLimit& limit, bool* got_some) {
  const std::size_t start = received_.size();
  received_.resize(start + kReadChunk);
  std::size_t received = 0;
  std::optional<StreamError> error =
      transport_->Read(received_.data() + start, kReadChunk, &received, limit);
  received_.resize(start + received);
  *got_some = received > 0;
  return error;
}

std::optional<StreamError> SchannelStream::Decrypt(const WaitLimit& limit) {
  while (!received_.empty() && !closed_by_peer_) {
    SecBuffer buffers[4] = {
        {static_cast<unsigned long>(received_.size()), SECBUFFER_DATA, received_.data()},
        {0, SECBUFFER_EMPTY, nullptr},
        {0, SECBUFFER_EMPTY, nullptr},
        {0, SECBUFFER_EMPTY, nullptr}};
    SecBufferDesc description = {SECBUFFER_VERSION, 4, buffers};
    const SECURITY_STATUS status = DecryptMessage(&context_, &description, 0, nullptr);
    if (status == SEC_E_INCOMPLETE_MESSAGE) return std::nullopt;
    if (status == SEC_I_CONTEXT_EXPIRED) {
      closed_by_peer_ = true;  // the server's close notification
      return std::nullopt;
    }
    if (status != SEC_E_OK && status != SEC_I_RENEGOTIATE) {
      return Failed(status, "TLS record refused");
    }
    std::vector<char> extra;
    for (const SecBuffer& buffer : buffers) {
      const char* bytes = static_cast<const char*>(buffer.pvBuffer);
      if (buffer.BufferType == SECBUFFER_DATA) plain_.append(bytes, buffer.cbBuffer);
      if (buffer.BufferType == SECBUFFER_EXTRA) extra.assign(bytes, bytes + buffer.cbBuffer);
    }
    received_.swap(extra);
    // TLS 1.3 sends handshake messages after the handshake (tickets, key
    // updates): SChannel asks for them to go through the handshake call.
    if (status == SEC_I_RENEGOTIATE) {
      if (auto error = Handshake(limit)) return error;
    }
  }
  return std::nullopt;
}

std::optional<StreamError> SchannelStream::Write(const void* data, std::size_t length,
                                                 const WaitLimit& limit) {
  const auto* next = static_cast<const char*>(data);
  while (length > 0) {
    const std::size_t chunk = length < sizes_.cbMaximumMessage ? length : sizes_.cbMaximumMessage;
    record_.resize(sizes_.cbHeader + chunk + sizes_.cbTrailer);
    char* header = record_.data();
    std::memcpy(header + sizes_.cbHeader, next, chunk);
    SecBuffer buffers[4] = {
        {sizes_.cbHeader, SECBUFFER_STREAM_HEADER, header},
        {static_cast<unsigned long>(chunk), SECBUFFER_DATA, header + sizes_.cbHeader},
        {sizes_.cbTrailer, SECBUFFER_STREAM_TRAILER, header + sizes_.cbHeader + chunk},
        {0, SECBUFFER_EMPTY, nullptr}};
    SecBufferDesc description = {SECBUFFER_VERSION, 4, buffers};
    const SECURITY_STATUS status = EncryptMessage(&context_, 0, &description, 0);
    if (status != SEC_E_OK) return Failed(status, "TLS record not sealed");
    const std::size_t total = buffers[0].cbBuffer + buffers[1].cbBuffer + buffers[2].cbBuffer;
    if (auto error = transport_->Write(header, total, limit)) return error;
    next += chunk;
    length -= chunk;
  }
  return std::nullopt;
}

std::optional<StreamError> SchannelStream::Read(void* buffer, std::size_t size,
                                                std::size_t* received, const WaitLimit& limit) {
  *received = 0;
  while (plain_.empty()) {
    if (auto error = Decrypt(limit)) return error;
    if (!plain_.empty()) break;
    if (closed_by_peer_) return StreamError::Reason("connection closed by the server");
    bool got_some = false;
    if (auto error = Receive(limit, &got_some)) return error;
    if (!got_some) return std::nullopt;
  }
  *received = size < plain_.size() ? size : plain_.size();
  std::memcpy(buffer, plain_.data(), *received);
  plain_.erase(0, *received);
  return std::nullopt;
}

void SchannelStream::SendCloseNotify() {
  DWORD shutdown = SCHANNEL_SHUTDOWN;
  SecBuffer control = {sizeof(shutdown), SECBUFFER_TOKEN, &shutdown};
  SecBufferDesc control_description = {SECBUFFER_VERSION, 1, &control};
  if (ApplyControlToken(&context_, &control_description) != SEC_E_OK) return;
  SecBuffer out = {0, SECBUFFER_TOKEN, nullptr};
  SecBufferDesc out_description = {SECBUFFER_VERSION, 1, &out};
  unsigned long attributes = 0;
  InitializeSecurityContextA(&credentials_, &context_, const_cast<char*>(server_name_.c_str()),
                             kContextRequest, 0, 0, nullptr, 0, nullptr, &out_description,
                             &attributes, nullptr);
  SendToken(out, WaitLimit{});
}

}  // namespace

Connection StartSchannelTls(std::unique_ptr<Stream> transport, const TlsPeer& peer,
                            const WaitLimit& limit) {
  auto stream = std::make_unique<SchannelStream>(std::move(transport), peer.server_name);
  Connection result;
  if (auto error = stream->Open(peer, limit)) {
    result.error = *error;
  } else {
    result.stream = std::move(stream);
  }
  return result;
}

}  // namespace kivo::platform

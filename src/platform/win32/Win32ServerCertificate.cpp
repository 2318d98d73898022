#include "platform/win32/Win32ServerCertificate.h"

#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

namespace kivo::platform {
namespace {

// SECURITY_FLAG_IGNORE_UNKNOWN_CA of <wininet.h>, which is not wanted here.
constexpr DWORD kIgnoreUnknownAuthority = 0x00000100;
// What the chain reports that is no fault here: revocation is not checked.
constexpr DWORD kRevocationUnchecked =
    CERT_TRUST_REVOCATION_STATUS_UNKNOWN | CERT_TRUST_IS_OFFLINE_REVOCATION;
constexpr DWORD kTimeFaults = CERT_TRUST_IS_NOT_TIME_VALID | CERT_TRUST_IS_NOT_TIME_NESTED;

struct StoreCloser {
  void operator()(void* store) const { CertCloseStore(store, 0); }
};
using Store = std::unique_ptr<void, StoreCloser>;

struct ChainFreer {
  void operator()(PCCERT_CHAIN_CONTEXT chain) const { CertFreeCertificateChain(chain); }
};
using Chain = std::unique_ptr<const CERT_CHAIN_CONTEXT, ChainFreer>;

Store MemoryStore() {
  return Store(CertOpenStore(CERT_STORE_PROV_MEMORY, 0, 0, CERT_STORE_CREATE_NEW_FLAG, nullptr));
}

std::string Quoted(const std::string& text) {
  return "\"" + text + "\"";
}

std::string NameOf(PCCERT_CONTEXT certificate, DWORD flags = 0) {
  char name[256] = {};
  CertGetNameStringA(certificate, CERT_NAME_SIMPLE_DISPLAY_TYPE, flags, nullptr, name,
                     sizeof(name));
  return Quoted(name);
}

bool Add(HCERTSTORE store, const BYTE* der, DWORD size) {
  return CertAddEncodedCertificateToStore(store, X509_ASN_ENCODING, der, size,
                                          CERT_STORE_ADD_USE_EXISTING, nullptr) != FALSE;
}

// The certificates of a CA file into `store`: every PEM block of a text
// file, or the whole file as DER.
std::optional<StreamError> LoadAuthorities(const std::string& path, HCERTSTORE store) {
  std::ifstream file(path, std::ios::binary);
  if (!file.is_open()) return StreamError::Reason("CA file " + Quoted(path) + " cannot be read");
  const std::string content((std::istreambuf_iterator<char>(file)),
                            std::istreambuf_iterator<char>());
  static constexpr char kBegin[] = "-----BEGIN CERTIFICATE-----";
  static constexpr char kEnd[] = "-----END CERTIFICATE-----";
  bool added = false;
  std::string::size_type begin = content.find(kBegin);
  if (begin == std::string::npos) {
    added = Add(store, reinterpret_cast<const BYTE*>(content.data()),
                static_cast<DWORD>(content.size()));
  }
  while (begin != std::string::npos) {
    const std::string::size_type end = content.find(kEnd, begin);
    if (end == std::string::npos) break;
    const std::string block = content.substr(begin, end + sizeof(kEnd) - 1 - begin);
    DWORD size = 0;
    if (CryptStringToBinaryA(block.data(), static_cast<DWORD>(block.size()),
                             CRYPT_STRING_BASE64HEADER, nullptr, &size, nullptr, nullptr)) {
      std::vector<BYTE> der(size);
      if (CryptStringToBinaryA(block.data(), static_cast<DWORD>(block.size()),
                               CRYPT_STRING_BASE64HEADER, der.data(), &size, nullptr, nullptr) &&
          Add(store, der.data(), size)) {
        added = true;
      }
    }
    begin = content.find(kBegin, end);
  }
  if (!added) return StreamError::Reason("CA file " + Quoted(path) + " holds no certificate");
  return std::nullopt;
}

bool SameCertificate(PCCERT_CONTEXT a, PCCERT_CONTEXT b) {
  return a->cbCertEncoded == b->cbCertEncoded &&
         std::memcmp(a->pbCertEncoded, b->pbCertEncoded, a->cbCertEncoded) == 0;
}

// Whether one of the authorities stands in the chain: compared octet for
// octet, so that a look-alike with the same names is no match.
bool ChainHolds(PCCERT_CHAIN_CONTEXT chain, HCERTSTORE authorities) {
  const CERT_SIMPLE_CHAIN* simple = chain->rgpChain[0];
  for (DWORD i = 0; i < simple->cElement; ++i) {
    PCCERT_CONTEXT element = simple->rgpElement[i]->pCertContext;
    PCCERT_CONTEXT authority = nullptr;
    while ((authority = CertEnumCertificatesInStore(authorities, authority)) != nullptr) {
      if (SameCertificate(element, authority)) {
        CertFreeCertificateContext(authority);
        return true;
      }
    }
  }
  return false;
}

std::wstring Wide(const std::string& text) {
  const int units = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
  std::wstring wide(units > 0 ? static_cast<std::size_t>(units) : 1, L'\0');
  if (units > 0) MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, &wide[0], units);
  return wide;
}

StreamError NotTrusted(PCCERT_CONTEXT certificate) {
  return StreamError::Reason("certificate " + NameOf(certificate) + " issued by " +
                             NameOf(certificate, CERT_NAME_ISSUER_FLAG) + " not trusted");
}

// The words for a chain whose only fault is time: the first certificate of
// the chain out of its time, expired or not yet valid.
StreamError OutOfTime(PCCERT_CHAIN_CONTEXT chain) {
  const CERT_SIMPLE_CHAIN* simple = chain->rgpChain[0];
  for (DWORD i = 0; i < simple->cElement; ++i) {
    PCCERT_CONTEXT element = simple->rgpElement[i]->pCertContext;
    const LONG when = CertVerifyTimeValidity(nullptr, element->pCertInfo);
    if (when != 0) {
      return StreamError::Reason("certificate " + NameOf(element) +
                                 (when > 0 ? " expired" : " not yet valid"));
    }
  }
  return StreamError::Reason("certificate " + NameOf(simple->rgpElement[0]->pCertContext) +
                             " expired");
}

}  // namespace

std::optional<StreamError> CheckServerCertificate(PCCERT_CONTEXT certificate, const TlsPeer& peer) {
  Store authorities = MemoryStore();
  Store supporting = MemoryStore();
  if (!authorities || !supporting) {
    return StreamError::Code(GetLastError(), "certificate store not opened");
  }
  const bool own_authority = !peer.ca_file.empty();
  if (own_authority) {
    if (auto error = LoadAuthorities(peer.ca_file, authorities.get())) return error;
  }
  // What the chain may be built from besides the system's stores: the
  // certificates the server sent and the CA file's.
  for (HCERTSTORE source : {certificate->hCertStore, static_cast<HCERTSTORE>(authorities.get())}) {
    PCCERT_CONTEXT next = nullptr;
    while ((next = CertEnumCertificatesInStore(source, next)) != nullptr) {
      CertAddCertificateContextToStore(supporting.get(), next, CERT_STORE_ADD_USE_EXISTING,
                                       nullptr);
    }
  }

  char server_authentication[] = szOID_PKIX_KP_SERVER_AUTH;
  LPSTR usages[] = {server_authentication};
  CERT_CHAIN_PARA chain_parameters = {};
  chain_parameters.cbSize = sizeof(chain_parameters);
  chain_parameters.RequestedUsage.dwType = USAGE_MATCH_TYPE_AND;
  chain_parameters.RequestedUsage.Usage.cUsageIdentifier = 1;
  chain_parameters.RequestedUsage.Usage.rgpszUsageIdentifier = usages;
  PCCERT_CHAIN_CONTEXT built = nullptr;
  if (!CertGetCertificateChain(nullptr, certificate, nullptr, supporting.get(), &chain_parameters,
                               0, nullptr, &built)) {
    return StreamError::Code(GetLastError(), "certificate chain not built");
  }
  const Chain chain(built);
  // The chain's own verdict is read here rather than left to the policy,
  // which under Wine lets a chain that reaches no root pass. A CA file's
  // authority is not among the machine's roots: with one, an unknown root
  // is allowed, but the chain must hold a certificate of the file.
  if (own_authority && !ChainHolds(built, authorities.get())) return NotTrusted(certificate);
  DWORD faults = built->TrustStatus.dwErrorStatus & ~kRevocationUnchecked;
  if (own_authority) faults &= ~static_cast<DWORD>(CERT_TRUST_IS_UNTRUSTED_ROOT);
  if (faults & ~kTimeFaults) return NotTrusted(certificate);
  if (faults != 0) return OutOfTime(built);

  std::wstring server_name = Wide(peer.server_name);
  SSL_EXTRA_CERT_CHAIN_POLICY_PARA ssl = {};
  ssl.cbSize = sizeof(ssl);
  ssl.dwAuthType = AUTHTYPE_SERVER;
  ssl.fdwChecks = own_authority ? kIgnoreUnknownAuthority : 0;
  ssl.pwszServerName = &server_name[0];
  CERT_CHAIN_POLICY_PARA policy = {};
  policy.cbSize = sizeof(policy);
  policy.dwFlags = own_authority ? CERT_CHAIN_POLICY_ALLOW_UNKNOWN_CA_FLAG : 0;
  policy.pvExtraPolicyPara = &ssl;
  CERT_CHAIN_POLICY_STATUS status = {};
  status.cbSize = sizeof(status);
  if (!CertVerifyCertificateChainPolicy(CERT_CHAIN_POLICY_SSL, built, &policy, &status)) {
    return StreamError::Code(GetLastError(), "certificate chain not checked");
  }
  if (status.dwError == static_cast<DWORD>(CERT_E_CN_NO_MATCH)) {
    return StreamError::Reason("name " + Quoted(peer.server_name) + " does not match certificate " +
                               NameOf(certificate));
  }
  if (status.dwError != 0) {
    return StreamError::Code(status.dwError, "certificate " + NameOf(certificate) + " refused");
  }
  return std::nullopt;
}

}  // namespace kivo::platform

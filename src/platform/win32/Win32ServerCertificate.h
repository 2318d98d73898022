#pragma once

#include <wincrypt.h>
#include <windows.h>

#include <optional>

#include "platform/Stream.h"

namespace kivo::platform {

// Checks the certificate a TLS server presented, with the intermediates it
// sent along: CertGetCertificateChain for server authentication, then
// CertVerifyCertificateChainPolicy with the SSL policy for the server name.
// The chain must end at a root the machine trusts or, when the peer names a
// CA file, hold one of the certificates of that file (PEM, one or more, or
// DER) and nothing else makes it trusted. Revocation is not checked.
// Returns nothing for a server to trust; else the reason, in words:
// certificate "…" not trusted, name "…" does not match certificate "…",
// certificate "…" expired, …
std::optional<StreamError> CheckServerCertificate(PCCERT_CONTEXT certificate, const TlsPeer& peer);

}  // namespace kivo::platform

#pragma once

#include <windows.h>
// After <windows.h>.
#include <wincrypt.h>

#include <optional>

#include "platform/Stream.h"

namespace kivo::platform {

// Checks the certificate a TLS server presented, with the intermediates it
// sent along: CertGetCertificateChain for server authentication, the chain's
// own verdict, then CertVerifyCertificateChainPolicy with the SSL policy for
// the server name. Without a CA file the chain must reach a root the machine
// trusts. With one (PEM, one certificate or more, or DER) it must hold one
// of the file's certificates, octet for octet, and its root may then be
// unknown to the machine. Revocation is not checked.
// Returns nothing for a server to trust; else the reason, in words:
// certificate "…" issued by "…" not trusted, name "…" does not match
// certificate "…", certificate "…" expired, …
std::optional<StreamError> CheckServerCertificate(PCCERT_CONTEXT certificate, const TlsPeer& peer);

}  // namespace kivo::platform

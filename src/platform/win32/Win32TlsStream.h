#pragma once

#include <memory>

#include "platform/Stream.h"

namespace kivo::platform {

// A TLS client session through SChannel (secur32) over a connected stream:
// TLS 1.2 at least, TLS 1.3 where the system offers it. SChannel is told to
// leave the server's certificate alone (ISC_REQ_MANUAL_CRED_VALIDATION) and
// it is checked here instead (CheckServerCertificate), the same way on every
// system, before any data is sent. Destroying the stream sends the close
// notification when it can without waiting.
Connection StartSchannelTls(std::unique_ptr<Stream> transport, const TlsPeer& peer,
                            const WaitLimit& limit);

}  // namespace kivo::platform

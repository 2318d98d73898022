#pragma once

#include "platform/Stream.h"

namespace kivo::platform {

// TCP over Windows Sockets 1.1 (wsock32, as the service's UDP), and TLS over
// it through SChannel (Win32TlsStream).
class Win32Streams : public Streams {
 public:
  Connection ConnectTcp(const Ipv4Address& address, std::uint16_t port,
                        const WaitLimit& limit) override;
  Connection StartTls(std::unique_ptr<Stream> transport, const TlsPeer& peer,
                      const WaitLimit& limit) override;
};

}  // namespace kivo::platform

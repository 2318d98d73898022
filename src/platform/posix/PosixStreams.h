#pragma once

#include "platform/Stream.h"

namespace kivo::platform {

// TCP over BSD sockets, for the native build's tests. There is no TLS here:
// the product's TLS is the Windows one.
class PosixStreams : public Streams {
 public:
  Connection ConnectTcp(const Ipv4Address& address, std::uint16_t port,
                        const WaitLimit& limit) override;
  Connection StartTls(std::unique_ptr<Stream> transport, const TlsPeer& peer,
                      const WaitLimit& limit) override;
};

}  // namespace kivo::platform

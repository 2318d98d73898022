#pragma once

#include "platform/Sockets.h"

namespace kivo::platform {

// BSD sockets: the native build's sockets, with the behaviour of the Windows
// Sockets implementation (dotted addresses read as inet_addr reads them,
// lookups failing with the Winsock resolution codes).
class PosixSockets : public Sockets {
 public:
  SocketError Startup() override;
  SocketError OpenUdpSocket(SocketHandle* socket) override;
  SocketError AllowBroadcast(SocketHandle socket) override;
  SocketError BindToAnyPort(SocketHandle socket) override;
  SocketError SendTo(SocketHandle socket, const void* data, std::size_t length,
                     const Ipv4Address& address, std::uint16_t port, std::size_t* sent) override;
  SocketError ReceiveFrom(SocketHandle socket, void* buffer, std::size_t capacity,
                          std::uint32_t timeout_ms, std::size_t* received, Ipv4Address* from,
                          std::uint16_t* from_port) override;
  void Close(SocketHandle socket) override;
  bool ParseDottedAddress(const std::string& text, Ipv4Address* address) override;
  SocketError ResolveHostName(const std::string& name, Ipv4Address* address) override;
  SocketError LocalHostName(std::string* name) override;
};

}  // namespace kivo::platform

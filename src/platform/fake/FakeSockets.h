#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/Sockets.h"

namespace kivo::platform {

// In-memory sockets for tests that need a failure the real ones cannot be
// made to produce on demand (no socket, a failing bind or send, a host name
// that does not resolve). Datagrams are recorded, never delivered.
//
// Receiving is scripted: datagrams queued in `incoming` are taken in order,
// each not before its time on the fake's own clock (`now_ms`), which a
// receive that times out moves on by its whole time-out. A scripted peer
// answers in `on_send`, which sees every datagram sent.
class FakeSockets : public Sockets {
 public:
  struct Datagram {
    Ipv4Address address;
    std::uint16_t port;
    std::vector<std::uint8_t> octets;
  };

  FakeSockets();

  // Failures to report; kSocketOk (the default) lets the call succeed.
  SocketError open_error = kSocketOk;
  SocketError bind_error = kSocketOk;
  SocketError send_error = kSocketOk;
  SocketError host_name_error = kSocketOk;

  // Names that resolve ("localhost" and the local host name at the start).
  std::map<std::string, Ipv4Address> hosts;
  std::string local_host_name = "kivo-test-host";

  struct Incoming {
    Ipv4Address from;
    std::uint16_t port;
    std::vector<std::uint8_t> octets;
    std::uint64_t at_ms = 0;  // on the fake's clock
  };
  std::deque<Incoming> incoming;
  std::uint64_t now_ms = 0;
  std::function<void(const Datagram&)> on_send;
  SocketError receive_error = kSocketOk;

  // What happened.
  std::vector<Datagram> sent;
  std::vector<std::string> lookups;
  int open_sockets = 0;
  int closed_sockets = 0;

  SocketError Startup() override { return kSocketOk; }
  SocketError OpenUdpSocket(SocketHandle* socket) override;
  SocketError AllowBroadcast(SocketHandle socket) override;
  SocketError BindToAnyPort(SocketHandle socket) override;
  SocketError SendTo(SocketHandle socket, const void* data, std::size_t length,
                     const Ipv4Address& address, std::uint16_t port, std::size_t* sent) override;
  SocketError ReceiveFrom(SocketHandle socket, void* buffer, std::size_t capacity,
                          std::uint32_t timeout_ms, std::size_t* received, Ipv4Address* from,
                          std::uint16_t* from_port) override;
  void Close(SocketHandle socket) override;
  // Strict dotted quads (four decimal parts of 0 to 255), all ones excepted.
  bool ParseDottedAddress(const std::string& text, Ipv4Address* address) override;
  SocketError ResolveHostName(const std::string& name, Ipv4Address* address) override;
  SocketError LocalHostName(std::string* name) override;

 private:
  SocketHandle next_handle_ = 100;
};

}  // namespace kivo::platform

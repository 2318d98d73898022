#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/Win32Error.h"

namespace kivo::platform {

// Error codes as the platform reports them: Winsock codes (WSAGetLastError)
// in the Windows build, errno values natively. Name resolution reports the
// Winsock numbering on both, so that traces read the same everywhere.
using SocketError = std::int32_t;
constexpr SocketError kSocketOk = 0;

// A socket handle; kInvalidSocket until a socket was created.
using SocketHandle = std::uintptr_t;
constexpr SocketHandle kInvalidSocket = ~static_cast<SocketHandle>(0);

// An IPv4 address, first octet first (network order).
using Ipv4Address = std::array<std::uint8_t, 4>;

// "a.b.c.d", each octet in decimal (what inet_ntoa gives).
inline std::string FormatDotted(const Ipv4Address& address) {
  return std::to_string(address[0]) + "." + std::to_string(address[1]) + "." +
         std::to_string(address[2]) + "." + std::to_string(address[3]);
}

// The UDP socket calls of the service: one datagram socket per destination,
// bound to an ephemeral port; it sends, and receives only the answers to
// informs. Each call returns kSocketOk or the platform's error code of the
// failure.
class Sockets {
 public:
  virtual ~Sockets() = default;

  // Initialises the socket library once per process (WSAStartup 1.1 on
  // Windows; nothing natively).
  virtual SocketError Startup() = 0;

  // socket(AF_INET, SOCK_DGRAM, 0). *socket is kInvalidSocket on failure.
  virtual SocketError OpenUdpSocket(SocketHandle* socket) = 0;

  // SO_BROADCAST = 1, so that broadcast destinations are allowed.
  virtual SocketError AllowBroadcast(SocketHandle socket) = 0;

  // Binds to INADDR_ANY, port 0: the system picks an ephemeral port.
  virtual SocketError BindToAnyPort(SocketHandle socket) = 0;

  // Sends one datagram to address:port (port in host order). *sent is the
  // number of octets sent, 0 on failure.
  virtual SocketError SendTo(SocketHandle socket, const void* data, std::size_t length,
                             const Ipv4Address& address, std::uint16_t port, std::size_t* sent) = 0;

  // Waits up to timeout_ms for one datagram and takes it (select, then
  // recvfrom): its octets go to buffer, *received is their number, *from and
  // *from_port (host order) name the sender. A datagram longer than capacity
  // is dropped with kWsaMessageTooLong; none within the time-out gives
  // kWsaTimedOut; both on every platform. Other failures are the platform's:
  // Windows reports kWsaConnectionReset once after a datagram to a port
  // nobody listens on. Not abstract, so that a wrapper made before it
  // existed still builds; such a wrapper receives nothing
  // (kWsaOperationNotSupported) until it passes the call on.
  virtual SocketError ReceiveFrom(SocketHandle socket, void* buffer, std::size_t capacity,
                                  std::uint32_t timeout_ms, std::size_t* received,
                                  Ipv4Address* from, std::uint16_t* from_port) {
    *received = 0;
    return kWsaOperationNotSupported;
  }

  // Closes a socket; kInvalidSocket is ignored.
  virtual void Close(SocketHandle socket) = 0;

  // inet_addr: true for a text the platform reads as a dotted address, without
  // any lookup. The all-ones address 255.255.255.255 reads the same as
  // "invalid" there, so it gives false and goes to ResolveHostName.
  virtual bool ParseDottedAddress(const std::string& text, Ipv4Address* address) = 0;

  // gethostbyname: the first IPv4 address of a name. Failures give
  // kWsaHostNotFound, kWsaTryAgain, kWsaNoRecovery or kWsaNoData.
  virtual SocketError ResolveHostName(const std::string& name, Ipv4Address* address) = 0;

  // gethostname: this machine's host name.
  virtual SocketError LocalHostName(std::string* name) = 0;
};

// The address of a destination host: a dotted address as it stands, else
// the first address of the name. An empty host is refused
// (kWsaHostNotFound) rather than looked up, which on Windows would give
// this machine.
inline SocketError ResolveDestination(Sockets& sockets, const std::string& host,
                                      Ipv4Address* address) {
  if (host.empty()) return kWsaHostNotFound;
  if (sockets.ParseDottedAddress(host, address)) return kSocketOk;
  return sockets.ResolveHostName(host, address);
}

}  // namespace kivo::platform

#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/Sockets.h"
#include "snmp/SnmpMessageBase.h"

namespace kivo::snmp {

// One UDP socket, bound to an ephemeral local port and aimed at one
// destination host and port. Created per datagram destination and destroyed
// after use; an inform's endpoint also takes the answers. It never throws and never retries: the
// outcome shows only as the ready flag, the octets sent (0 on any failure) and the last error.
//
// Construction: socket, broadcast allowed, destination resolved (a dotted
// address is used as it is, a name is looked up, its first address taken),
// bound to any local port; ready when all of that succeeded.
//
// Inputs the service could be given by a bad configuration are refused
// rather than guessed at:
// - an empty host: not ready, last error kWsaHostNotFound (no lookup is made;
//   an empty name would otherwise resolve to this machine on Windows);
// - a port outside 0..65535: not ready, last error kWsaInvalidArgument
//   (the port would otherwise be cut to 16 bits and reach another service).
// Port 0 is passed to the platform, whose send then fails.
//
// Note for Windows code: <windows.h> defines SendMessage as a macro; include
// this header only from portable code (as the forwarding engine is).
class UdpEndpoint {
 public:
  // The most octets one UDP datagram carries over IPv4 (65535 less the IP
  // and UDP headers): a longer send fails.
  static constexpr std::size_t kMaxDatagramSize = 65507;

  UdpEndpoint(platform::Sockets& sockets, std::int32_t port, const std::string& host);
  ~UdpEndpoint();
  UdpEndpoint(const UdpEndpoint&) = delete;
  UdpEndpoint& operator=(const UdpEndpoint&) = delete;

  bool IsReady() const { return ready_; }
  // Code of the most recent failure; 0 while nothing failed.
  platform::SocketError LastError() const { return last_error_; }

  // Sends length octets as one datagram. Returns the octets sent; 0 when not
  // ready, when the send failed, or for a negative length or null data.
  std::int32_t SendBytes(const void* data, std::int32_t length);

  // Encodes the message into a buffer of its EncodedSize() and sends it as
  // one datagram. Returns the octets sent; 0 when not ready or on failure.
  std::int32_t SendMessage(const SnmpMessageBase& message);

  // Waits up to timeout_ms for one datagram (Sockets::ReceiveFrom) into
  // buffer; *from_destination tells whether it came from the destination's
  // address and port, as an answer must. The last error when not
  // ready.
  platform::SocketError Receive(std::uint8_t* buffer, std::size_t capacity,
                                std::uint32_t timeout_ms, std::size_t* received,
                                bool* from_destination);

 private:
  bool Resolve();

  platform::Sockets& sockets_;
  std::int32_t port_;
  platform::SocketError last_error_ = platform::kSocketOk;
  platform::SocketHandle socket_ = platform::kInvalidSocket;
  std::optional<platform::Ipv4Address> destination_;
  bool ready_ = false;
  std::string host_;
};

}  // namespace kivo::snmp

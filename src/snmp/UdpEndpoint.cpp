#include "snmp/UdpEndpoint.h"

#include <exception>

#include "snmp/OctetBuffer.h"

namespace kivo::snmp {

using platform::kSocketOk;
using platform::SocketError;

UdpEndpoint::UdpEndpoint(platform::Sockets& sockets, std::int32_t port, const std::string& host)
    : sockets_(sockets), port_(port), host_(host) {
  if (SocketError error = sockets_.OpenUdpSocket(&socket_); error != kSocketOk) {
    last_error_ = error;
    socket_ = platform::kInvalidSocket;
    return;
  }
  sockets_.AllowBroadcast(socket_);  // a failure only matters for broadcast sends
  if (port < 0 || port > 65535) {
    last_error_ = platform::kWsaInvalidArgument;
    return;
  }
  if (!Resolve()) return;
  if (SocketError error = sockets_.BindToAnyPort(socket_); error != kSocketOk) {
    last_error_ = error;
    return;
  }
  ready_ = true;
}

UdpEndpoint::~UdpEndpoint() {
  if (socket_ != platform::kInvalidSocket) sockets_.Close(socket_);
}

bool UdpEndpoint::Resolve() {
  platform::Ipv4Address address{};
  if (SocketError error = platform::ResolveDestination(sockets_, host_, &address);
      error != kSocketOk) {
    last_error_ = error;
    return false;
  }
  destination_ = address;
  return true;
}

std::int32_t UdpEndpoint::SendBytes(const void* data, std::int32_t length) {
  if (!ready_) return 0;
  if (data == nullptr || length < 0) {
    last_error_ = platform::kWsaInvalidArgument;
    return 0;
  }
  std::size_t sent = 0;
  const SocketError error =
      sockets_.SendTo(socket_, data, static_cast<std::size_t>(length), *destination_,
                      static_cast<std::uint16_t>(port_), &sent);
  if (error != kSocketOk) {
    last_error_ = error;
    return 0;
  }
  return static_cast<std::int32_t>(sent);
}

std::int32_t UdpEndpoint::SendMessage(const SnmpMessageBase& message) {
  if (!ready_) return 0;
  try {
    const std::size_t size = message.EncodedSize();
    if (size > static_cast<std::size_t>(INT32_MAX)) {
      last_error_ = platform::kWsaInvalidArgument;
      return 0;
    }
    MessageBuffer buffer;
    std::uint8_t* cursor = buffer.Allocate(size);
    message.Encode(cursor);
    // The buffer is not cleared first: an encoding that fell short of its
    // own size would leave octets of whatever ran before, so it is not sent.
    if (cursor != buffer.data() + size) {
      last_error_ = platform::kWsaInvalidArgument;
      return 0;
    }
    return SendBytes(buffer.data(), static_cast<std::int32_t>(size));
  } catch (const std::exception&) {
    return 0;
  }
}

platform::SocketError UdpEndpoint::Receive(std::uint8_t* buffer, std::size_t capacity,
                                           std::uint32_t timeout_ms, std::size_t* received,
                                           bool* from_destination) {
  *received = 0;
  *from_destination = false;
  if (!ready_) return last_error_;
  platform::Ipv4Address from{};
  std::uint16_t from_port = 0;
  const SocketError error =
      sockets_.ReceiveFrom(socket_, buffer, capacity, timeout_ms, received, &from, &from_port);
  *from_destination =
      error == kSocketOk && from == *destination_ && from_port == static_cast<std::uint16_t>(port_);
  return error;
}

}  // namespace kivo::snmp

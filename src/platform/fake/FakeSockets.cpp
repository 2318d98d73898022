#include "platform/fake/FakeSockets.h"

#include <cstring>

namespace kivo::platform {

FakeSockets::FakeSockets() {
  hosts["localhost"] = Ipv4Address{127, 0, 0, 1};
  hosts[local_host_name] = Ipv4Address{192, 0, 2, 7};
}

SocketError FakeSockets::OpenUdpSocket(SocketHandle* socket) {
  if (open_error != kSocketOk) {
    *socket = kInvalidSocket;
    return open_error;
  }
  *socket = next_handle_++;
  ++open_sockets;
  return kSocketOk;
}

SocketError FakeSockets::AllowBroadcast(SocketHandle socket) {
  return kSocketOk;
}

SocketError FakeSockets::BindToAnyPort(SocketHandle socket) {
  return bind_error;
}

SocketError FakeSockets::SendTo(SocketHandle socket, const void* data, std::size_t length,
                                const Ipv4Address& address, std::uint16_t port,
                                std::size_t* sent_octets) {
  *sent_octets = 0;
  if (send_error != kSocketOk) return send_error;
  if (port == 0) return kWsaInvalidArgument;
  const auto* octets = static_cast<const std::uint8_t*>(data);
  sent.push_back(Datagram{address, port, std::vector<std::uint8_t>(octets, octets + length)});
  *sent_octets = length;
  if (on_send) on_send(sent.back());
  return kSocketOk;
}

SocketError FakeSockets::ReceiveFrom(SocketHandle socket, void* buffer, std::size_t capacity,
                                     std::uint32_t timeout_ms, std::size_t* received,
                                     Ipv4Address* from, std::uint16_t* from_port) {
  *received = 0;
  if (receive_error != kSocketOk) return receive_error;
  if (incoming.empty() || incoming.front().at_ms > now_ms + timeout_ms) {
    now_ms += timeout_ms;
    return kWsaTimedOut;
  }
  const Incoming next = incoming.front();
  incoming.pop_front();
  if (next.at_ms > now_ms) now_ms = next.at_ms;
  if (next.octets.size() > capacity) return kWsaMessageTooLong;
  if (!next.octets.empty()) std::memcpy(buffer, next.octets.data(), next.octets.size());
  *received = next.octets.size();
  *from = next.from;
  *from_port = next.port;
  return kSocketOk;
}

void FakeSockets::Close(SocketHandle socket) {
  if (socket != kInvalidSocket) ++closed_sockets;
}

namespace {

bool ParseStrictDottedQuad(const std::string& text, Ipv4Address* address) {
  Ipv4Address parsed{};
  std::size_t part = 0;
  std::size_t digits = 0;
  unsigned value = 0;
  for (char c : text) {
    if (c >= '0' && c <= '9' && digits < 3) {
      value = value * 10 + static_cast<unsigned>(c - '0');
      ++digits;
    } else if (c == '.' && digits > 0 && part < 3 && value <= 255) {
      parsed[part++] = static_cast<std::uint8_t>(value);
      value = 0;
      digits = 0;
    } else {
      return false;
    }
  }
  if (part != 3 || digits == 0 || value > 255) return false;
  parsed[3] = static_cast<std::uint8_t>(value);
  *address = parsed;
  return true;
}

}  // namespace

bool FakeSockets::ParseDottedAddress(const std::string& text, Ipv4Address* address) {
  Ipv4Address parsed{};
  if (!ParseStrictDottedQuad(text, &parsed) || parsed == Ipv4Address{255, 255, 255, 255}) {
    return false;
  }
  *address = parsed;
  return true;
}

SocketError FakeSockets::ResolveHostName(const std::string& name, Ipv4Address* address) {
  lookups.push_back(name);
  if (ParseStrictDottedQuad(name, address)) return kSocketOk;  // as gethostbyname does
  const auto found = hosts.find(name);
  if (found == hosts.end()) return kWsaHostNotFound;
  *address = found->second;
  return kSocketOk;
}

SocketError FakeSockets::LocalHostName(std::string* name) {
  if (host_name_error != kSocketOk) return host_name_error;
  *name = local_host_name;
  return kSocketOk;
}

}  // namespace kivo::platform

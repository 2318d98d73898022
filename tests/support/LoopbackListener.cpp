#include "support/LoopbackListener.h"

#include "support/PeerSockets.h"

#include <cstring>

namespace kivo::testing {
namespace {
constexpr std::size_t kMaxDatagram = 65536;
SOCKET Handle(std::uintptr_t s) {
  return static_cast<SOCKET>(s);
}
}  // namespace

LoopbackListener::LoopbackListener() {
#ifdef _WIN32
  WSADATA data;
  WSAStartup(MAKEWORD(1, 1), &data);
#endif
  const SOCKET s = socket(AF_INET, SOCK_DGRAM, 0);
  socket_ = static_cast<std::uintptr_t>(s);
  if (s == INVALID_SOCKET) return;
  sockaddr_in local;
  std::memset(&local, 0, sizeof(local));
  local.sin_family = AF_INET;
  local.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  local.sin_port = 0;
  if (bind(s, reinterpret_cast<sockaddr*>(&local), sizeof(local)) != 0) return;
  SocketLength size = sizeof(local);
  if (getsockname(s, reinterpret_cast<sockaddr*>(&local), &size) != 0) return;
  port_ = ntohs(local.sin_port);
}

LoopbackListener::~LoopbackListener() {
  if (Handle(socket_) != INVALID_SOCKET) closesocket(Handle(socket_));
#ifdef _WIN32
  WSACleanup();
#endif
}

std::optional<std::vector<std::uint8_t>> LoopbackListener::Receive(int timeout_ms) {
  if (port_ == 0) return std::nullopt;
  fd_set readable;
  FD_ZERO(&readable);
  FD_SET(Handle(socket_), &readable);
  timeval timeout{timeout_ms / 1000, (timeout_ms % 1000) * 1000};
  if (select(static_cast<int>(Handle(socket_)) + 1, &readable, nullptr, nullptr, &timeout) <= 0) {
    return std::nullopt;
  }
  std::vector<std::uint8_t> buffer(kMaxDatagram);
  sockaddr_in sender;
  SocketLength sender_size = sizeof(sender);
  const auto received = recvfrom(Handle(socket_), reinterpret_cast<char*>(buffer.data()),
                                 static_cast<int>(buffer.size()), 0,
                                 reinterpret_cast<sockaddr*>(&sender), &sender_size);
  if (received < 0) return std::nullopt;
  const auto* octets = reinterpret_cast<const std::uint8_t*>(&sender);
  last_sender_.assign(octets, octets + sizeof(sender));
  buffer.resize(static_cast<std::size_t>(received));
  return buffer;
}

bool LoopbackListener::Reply(const std::vector<std::uint8_t>& datagram) {
  if (last_sender_.size() != sizeof(sockaddr_in)) return false;
  sockaddr_in sender;
  std::memcpy(&sender, last_sender_.data(), sizeof(sender));
  return sendto(Handle(socket_), reinterpret_cast<const char*>(datagram.data()),
                static_cast<int>(datagram.size()), 0, reinterpret_cast<const sockaddr*>(&sender),
                sizeof(sender)) == static_cast<int>(datagram.size());
}

}  // namespace kivo::testing

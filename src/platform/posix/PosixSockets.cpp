#include "platform/posix/PosixSockets.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>

namespace kivo::platform {
namespace {

int Fd(SocketHandle socket) {
  return static_cast<int>(socket);
}

sockaddr_in MakeAddress(const Ipv4Address& address, std::uint16_t port) {
  sockaddr_in result;
  std::memset(&result, 0, sizeof(result));
  result.sin_family = AF_INET;
  result.sin_port = htons(port);
  std::memcpy(&result.sin_addr, address.data(), address.size());
  return result;
}

// getaddrinfo's failures in the numbering gethostbyname has on Windows.
SocketError ResolutionError(int code) {
  switch (code) {
    case EAI_NONAME:
      return kWsaHostNotFound;
#ifdef EAI_NODATA
    case EAI_NODATA:
#endif
#ifdef EAI_ADDRFAMILY
    case EAI_ADDRFAMILY:
#endif
      return kWsaNoData;
    case EAI_AGAIN:
      return kWsaTryAgain;
    default:
      return kWsaNoRecovery;
  }
}

}  // namespace

SocketError PosixSockets::Startup() {
  return kSocketOk;
}

SocketError PosixSockets::OpenUdpSocket(SocketHandle* socket) {
  const int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
  if (fd < 0) {
    *socket = kInvalidSocket;
    return errno;
  }
  *socket = static_cast<SocketHandle>(fd);
  return kSocketOk;
}

SocketError PosixSockets::AllowBroadcast(SocketHandle socket) {
  const int on = 1;
  return setsockopt(Fd(socket), SOL_SOCKET, SO_BROADCAST, &on, sizeof(on)) == 0 ? kSocketOk : errno;
}

SocketError PosixSockets::BindToAnyPort(SocketHandle socket) {
  sockaddr_in local = MakeAddress(Ipv4Address{0, 0, 0, 0}, 0);
  return bind(Fd(socket), reinterpret_cast<const sockaddr*>(&local), sizeof(local)) == 0 ? kSocketOk
                                                                                         : errno;
}

SocketError PosixSockets::SendTo(SocketHandle socket, const void* data, std::size_t length,
                                 const Ipv4Address& address, std::uint16_t port,
                                 std::size_t* sent) {
  *sent = 0;
  const sockaddr_in destination = MakeAddress(address, port);
  const ssize_t result =
      sendto(Fd(socket), data, length, 0, reinterpret_cast<const sockaddr*>(&destination),
             sizeof(destination));
  if (result < 0) return errno;
  *sent = static_cast<std::size_t>(result);
  return kSocketOk;
}

SocketError PosixSockets::ReceiveFrom(SocketHandle socket, void* buffer, std::size_t capacity,
                                      std::uint32_t timeout_ms, std::size_t* received,
                                      Ipv4Address* from, std::uint16_t* from_port) {
  *received = 0;
  // poll rather than select: no limit on the descriptor's number.
  pollfd readable{Fd(socket), POLLIN, 0};
  const int timeout = timeout_ms > INT_MAX ? INT_MAX : static_cast<int>(timeout_ms);
  const int ready = poll(&readable, 1, timeout);
  if (ready < 0) return errno;
  if (ready == 0) return kWsaTimedOut;
  sockaddr_in sender;
  socklen_t sender_size = sizeof(sender);
  // MSG_TRUNC: the datagram's whole length, to tell a cut one (which
  // Winsock refuses) from one that fitted.
  const ssize_t length = recvfrom(Fd(socket), buffer, capacity, MSG_TRUNC,
                                  reinterpret_cast<sockaddr*>(&sender), &sender_size);
  if (length < 0) return errno;
  if (static_cast<std::size_t>(length) > capacity) return kWsaMessageTooLong;
  std::memcpy(from->data(), &sender.sin_addr, from->size());
  *from_port = ntohs(sender.sin_port);
  *received = static_cast<std::size_t>(length);
  return kSocketOk;
}

void PosixSockets::Close(SocketHandle socket) {
  if (socket != kInvalidSocket) close(Fd(socket));
}

bool PosixSockets::ParseDottedAddress(const std::string& text, Ipv4Address* address) {
  const in_addr_t value = inet_addr(text.c_str());
  if (value == INADDR_NONE) return false;
  std::memcpy(address->data(), &value, address->size());
  return true;
}

SocketError PosixSockets::ResolveHostName(const std::string& name, Ipv4Address* address) {
  addrinfo hints;
  std::memset(&hints, 0, sizeof(hints));
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_DGRAM;
  addrinfo* found = nullptr;
  const int code = getaddrinfo(name.c_str(), nullptr, &hints, &found);
  if (code != 0) return ResolutionError(code);
  SocketError result = kWsaNoData;
  for (const addrinfo* entry = found; entry != nullptr; entry = entry->ai_next) {
    if (entry->ai_family != AF_INET || entry->ai_addrlen < sizeof(sockaddr_in)) continue;
    const auto* ipv4 = reinterpret_cast<const sockaddr_in*>(entry->ai_addr);
    std::memcpy(address->data(), &ipv4->sin_addr, address->size());
    result = kSocketOk;
    break;
  }
  freeaddrinfo(found);
  return result;
}

SocketError PosixSockets::LocalHostName(std::string* name) {
  char buffer[256] = {};
  if (gethostname(buffer, sizeof(buffer) - 1) != 0) return errno;
  *name = buffer;
  return kSocketOk;
}

}  // namespace kivo::platform

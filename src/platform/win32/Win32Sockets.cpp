#include "platform/win32/Win32Sockets.h"

// Windows Sockets 1.1: <winsock.h> and wsock32, as the service has always
// used them.
#include <windows.h>
#include <winsock.h>

#include <climits>
#include <cstring>

namespace kivo::platform {
namespace {

SOCKET Handle(SocketHandle socket) {
  return static_cast<SOCKET>(socket);
}

sockaddr_in MakeAddress(const Ipv4Address& address, std::uint16_t port) {
  sockaddr_in result;
  std::memset(&result, 0, sizeof(result));
  result.sin_family = AF_INET;
  result.sin_port = htons(port);
  std::memcpy(&result.sin_addr, address.data(), address.size());
  return result;
}

}  // namespace

SocketError Win32Sockets::Startup() {
  WSADATA data;
  return WSAStartup(MAKEWORD(1, 1), &data);
}

SocketError Win32Sockets::OpenUdpSocket(SocketHandle* socket) {
  const SOCKET handle = ::socket(AF_INET, SOCK_DGRAM, 0);
  if (handle == INVALID_SOCKET) {
    *socket = kInvalidSocket;
    return WSAGetLastError();
  }
  *socket = static_cast<SocketHandle>(handle);
  return kSocketOk;
}

SocketError Win32Sockets::AllowBroadcast(SocketHandle socket) {
  const int on = 1;
  return setsockopt(Handle(socket), SOL_SOCKET, SO_BROADCAST, reinterpret_cast<const char*>(&on),
                    sizeof(on)) == 0
             ? kSocketOk
             : WSAGetLastError();
}

SocketError Win32Sockets::BindToAnyPort(SocketHandle socket) {
  sockaddr_in local = MakeAddress(Ipv4Address{0, 0, 0, 0}, 0);
  local.sin_addr.s_addr = htonl(INADDR_ANY);
  return bind(Handle(socket), reinterpret_cast<const sockaddr*>(&local), sizeof(local)) == 0
             ? kSocketOk
             : WSAGetLastError();
}

SocketError Win32Sockets::SendTo(SocketHandle socket, const void* data, std::size_t length,
                                 const Ipv4Address& address, std::uint16_t port,
                                 std::size_t* sent) {
  *sent = 0;
  if (length > static_cast<std::size_t>(INT_MAX)) return WSAEMSGSIZE;
  const sockaddr_in destination = MakeAddress(address, port);
  const int result =
      sendto(Handle(socket), static_cast<const char*>(data), static_cast<int>(length), 0,
             reinterpret_cast<const sockaddr*>(&destination), sizeof(destination));
  if (result == SOCKET_ERROR) return WSAGetLastError();
  *sent = static_cast<std::size_t>(result);
  return kSocketOk;
}

SocketError Win32Sockets::ReceiveFrom(SocketHandle socket, void* buffer, std::size_t capacity,
                                      std::uint32_t timeout_ms, std::size_t* received,
                                      Ipv4Address* from, std::uint16_t* from_port) {
  *received = 0;
  fd_set readable;
  FD_ZERO(&readable);
  FD_SET(Handle(socket), &readable);
  timeval timeout{static_cast<long>(timeout_ms / 1000),
                  static_cast<long>(timeout_ms % 1000) * 1000};
  const int ready = select(0, &readable, nullptr, nullptr, &timeout);
  if (ready == SOCKET_ERROR) return WSAGetLastError();
  if (ready == 0) return kWsaTimedOut;
  sockaddr_in sender;
  int sender_size = sizeof(sender);
  const int limit =
      capacity > static_cast<std::size_t>(INT_MAX) ? INT_MAX : static_cast<int>(capacity);
  const int length = recvfrom(Handle(socket), static_cast<char*>(buffer), limit, 0,
                              reinterpret_cast<sockaddr*>(&sender), &sender_size);
  if (length == SOCKET_ERROR) return WSAGetLastError();  // WSAEMSGSIZE for a cut datagram
  std::memcpy(from->data(), &sender.sin_addr, from->size());
  *from_port = ntohs(sender.sin_port);
  *received = static_cast<std::size_t>(length);
  return kSocketOk;
}

void Win32Sockets::Close(SocketHandle socket) {
  if (socket != kInvalidSocket) closesocket(Handle(socket));
}

bool Win32Sockets::ParseDottedAddress(const std::string& text, Ipv4Address* address) {
  const unsigned long value = inet_addr(text.c_str());
  if (value == INADDR_NONE) return false;
  const std::uint32_t network_order = static_cast<std::uint32_t>(value);
  std::memcpy(address->data(), &network_order, address->size());
  return true;
}

SocketError Win32Sockets::ResolveHostName(const std::string& name, Ipv4Address* address) {
  const hostent* host = gethostbyname(name.c_str());
  if (host == nullptr) return WSAGetLastError();
  if (host->h_addrtype != AF_INET || host->h_length != 4 || host->h_addr_list == nullptr ||
      host->h_addr_list[0] == nullptr) {
    return WSANO_DATA;
  }
  std::memcpy(address->data(), host->h_addr_list[0], address->size());
  return kSocketOk;
}

SocketError Win32Sockets::LocalHostName(std::string* name) {
  char buffer[256] = {};
  if (gethostname(buffer, sizeof(buffer) - 1) != 0) return WSAGetLastError();
  *name = buffer;
  return kSocketOk;
}

}  // namespace kivo::platform

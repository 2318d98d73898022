#include "platform/win32/Win32Streams.h"

// Windows Sockets 1.1: <winsock.h> and wsock32, as the rest of the service.
#include <windows.h>
#include <winsock.h>

#include <climits>
#include <cstring>

#include "platform/SocketStream.h"
#include "platform/win32/Win32TlsStream.h"

namespace kivo::platform {
namespace {

struct Winsock {
  using Handle = SOCKET;
  static constexpr Handle kInvalid = INVALID_SOCKET;

  static Handle OpenTcp() {
    const SOCKET socket = ::socket(AF_INET, SOCK_STREAM, 0);
    if (socket == INVALID_SOCKET) return kInvalid;
    const BOOL on = TRUE;
    setsockopt(socket, SOL_SOCKET, SO_KEEPALIVE, reinterpret_cast<const char*>(&on), sizeof(on));
    u_long non_blocking = 1;
    ioctlsocket(socket, FIONBIO, &non_blocking);
    return socket;
  }
  static bool Connect(Handle socket, const Ipv4Address& address, std::uint16_t port) {
    sockaddr_in destination;
    std::memset(&destination, 0, sizeof(destination));
    destination.sin_family = AF_INET;
    destination.sin_port = htons(port);
    std::memcpy(&destination.sin_addr, address.data(), address.size());
    return connect(socket, reinterpret_cast<const sockaddr*>(&destination), sizeof(destination)) ==
           0;
  }
  static bool InProgress() { return WSAGetLastError() == WSAEWOULDBLOCK; }
  static std::uint32_t PendingError(Handle socket) {
    int pending = 0;
    int size = sizeof(pending);
    return getsockopt(socket, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&pending), &size) == 0
               ? static_cast<std::uint32_t>(pending)
               : LastError();
  }
  static long Send(Handle socket, const char* data, std::size_t length) {
    return send(socket, data, static_cast<int>(length < INT_MAX ? length : INT_MAX), 0);
  }
  static long Receive(Handle socket, char* buffer, std::size_t size) {
    return recv(socket, buffer, static_cast<int>(size < INT_MAX ? size : INT_MAX), 0);
  }
  static bool WouldBlock() { return WSAGetLastError() == WSAEWOULDBLOCK; }
  static std::uint32_t LastError() { return static_cast<std::uint32_t>(WSAGetLastError()); }
  // A connect that failed shows in the exception set, which ends the wait
  // too.
  static int Select(Handle socket, bool for_writing, std::uint32_t milliseconds) {
    fd_set wanted;
    fd_set failed;
    FD_ZERO(&wanted);
    FD_ZERO(&failed);
    FD_SET(socket, &wanted);
    FD_SET(socket, &failed);
    timeval timeout{static_cast<long>(milliseconds / 1000),
                    static_cast<long>((milliseconds % 1000) * 1000)};
    const int result = for_writing ? select(0, nullptr, &wanted, &failed, &timeout)
                                   : select(0, &wanted, nullptr, &failed, &timeout);
    return result == SOCKET_ERROR ? -1 : result;
  }
  static void Close(Handle socket) { closesocket(socket); }
};

}  // namespace

Connection Win32Streams::ConnectTcp(const Ipv4Address& address, std::uint16_t port,
                                    const WaitLimit& limit) {
  return SocketStream<Winsock>::Connect(address, port, limit);
}

Connection Win32Streams::StartTls(std::unique_ptr<Stream> transport, const TlsPeer& peer,
                                  const WaitLimit& limit) {
  return StartSchannelTls(std::move(transport), peer, limit);
}

}  // namespace kivo::platform

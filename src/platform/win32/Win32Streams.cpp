#include "platform/win32/Win32Streams.h"

// Windows Sockets 1.1: <winsock.h> and wsock32, as the rest of the service.
#include <windows.h>
#include <winsock.h>

#include <climits>
#include <cstring>

#include "platform/win32/Win32TlsStream.h"

namespace kivo::platform {
namespace {

std::uint32_t LastError() {
  return static_cast<std::uint32_t>(WSAGetLastError());
}

enum class Ready { kRead, kWrite };

// Waits until the socket is readable or writable. A connect that failed
// shows in the exception set, which ends the wait too.
WaitOutcome Poll(SOCKET socket, Ready ready, const WaitLimit& limit) {
  return WaitInSlices(limit, [&](std::uint32_t slice) {
    fd_set wanted;
    fd_set failed;
    FD_ZERO(&wanted);
    FD_ZERO(&failed);
    FD_SET(socket, &wanted);
    FD_SET(socket, &failed);
    timeval timeout{static_cast<long>(slice / 1000), static_cast<long>((slice % 1000) * 1000)};
    const int result = ready == Ready::kRead ? select(0, &wanted, nullptr, &failed, &timeout)
                                             : select(0, nullptr, &wanted, &failed, &timeout);
    return result == SOCKET_ERROR ? -1 : result;
  });
}

// Waits until the socket is ready: nullopt when it is, else why not.
std::optional<StreamError> Await(SOCKET socket, Ready ready, const WaitLimit& limit,
                                 const char* timed_out) {
  const WaitOutcome outcome = Poll(socket, ready, limit);
  return WaitError(outcome, timed_out, LastError());
}

int Chunk(std::size_t length) {
  return static_cast<int>(length < INT_MAX ? length : INT_MAX);
}

// A connected, non-blocking TCP socket.
class Win32TcpStream : public Stream {
 public:
  explicit Win32TcpStream(SOCKET socket) : socket_(socket) {}
  ~Win32TcpStream() override { closesocket(socket_); }

  std::optional<StreamError> Write(const void* data, std::size_t length,
                                   const WaitLimit& limit) override {
    const auto* next = static_cast<const char*>(data);
    while (length > 0) {
      const int sent = send(socket_, next, Chunk(length), 0);
      if (sent != SOCKET_ERROR) {
        next += sent;
        length -= static_cast<std::size_t>(sent);
      } else {
        if (WSAGetLastError() != WSAEWOULDBLOCK) return StreamError::Code(LastError());
        if (auto error = Await(socket_, Ready::kWrite, limit, "the server takes no more data")) {
          return error;
        }
      }
    }
    return std::nullopt;
  }

  std::optional<StreamError> Read(void* buffer, std::size_t size, std::size_t* received,
                                  const WaitLimit& limit) override {
    *received = 0;
    const WaitOutcome outcome = Poll(socket_, Ready::kRead, limit);
    if (outcome == WaitOutcome::kTimedOut) return std::nullopt;
    if (auto error = WaitError(outcome, "", LastError())) return error;
    const int got = recv(socket_, static_cast<char*>(buffer), Chunk(size), 0);
    if (got == 0) return StreamError::Reason("connection closed by the server");
    if (got == SOCKET_ERROR) {
      if (WSAGetLastError() == WSAEWOULDBLOCK) return std::nullopt;
      return StreamError::Code(LastError());
    }
    *received = static_cast<std::size_t>(got);
    return std::nullopt;
  }

 private:
  SOCKET socket_;
};

}  // namespace

Connection Win32Streams::ConnectTcp(const Ipv4Address& address, std::uint16_t port,
                                    const WaitLimit& limit) {
  Connection result;
  const SOCKET socket = ::socket(AF_INET, SOCK_STREAM, 0);
  if (socket == INVALID_SOCKET) {
    result.error = StreamError::Code(LastError());
    return result;
  }
  const BOOL on = TRUE;
  setsockopt(socket, SOL_SOCKET, SO_KEEPALIVE, reinterpret_cast<const char*>(&on), sizeof(on));
  u_long non_blocking = 1;
  ioctlsocket(socket, FIONBIO, &non_blocking);
  sockaddr_in destination;
  std::memset(&destination, 0, sizeof(destination));
  destination.sin_family = AF_INET;
  destination.sin_port = htons(port);
  std::memcpy(&destination.sin_addr, address.data(), address.size());
  std::optional<StreamError> error;
  if (connect(socket, reinterpret_cast<const sockaddr*>(&destination), sizeof(destination)) != 0) {
    error = WSAGetLastError() == WSAEWOULDBLOCK
                ? Await(socket, Ready::kWrite, limit, "no connection within the time allowed")
                : StreamError::Code(LastError());
    // A refused connect ends the wait through the exception set, with its
    // error in SO_ERROR.
    int pending = 0;
    int size = sizeof(pending);
    if (!error &&
        getsockopt(socket, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&pending), &size) == 0 &&
        pending != 0) {
      error = StreamError::Code(static_cast<std::uint32_t>(pending));
    }
  }
  if (error) {
    closesocket(socket);
    result.error = *error;
  } else {
    result.stream = std::make_unique<Win32TcpStream>(socket);
  }
  return result;
}

Connection Win32Streams::StartTls(std::unique_ptr<Stream> transport, const TlsPeer& peer,
                                  const WaitLimit& limit) {
  return StartSchannelTls(std::move(transport), peer, limit);
}

}  // namespace kivo::platform

#include "platform/posix/PosixStreams.h"

#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/SocketStream.h"

namespace kivo::platform {
namespace {

struct BsdSockets {
  using Handle = int;
  static constexpr Handle kInvalid = -1;

  static Handle OpenTcp() {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0) return kInvalid;
    const int on = 1;
    setsockopt(fd, SOL_SOCKET, SO_KEEPALIVE, &on, sizeof(on));
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
    return fd;
  }
  static bool Connect(Handle fd, const Ipv4Address& address, std::uint16_t port) {
    sockaddr_in destination;
    std::memset(&destination, 0, sizeof(destination));
    destination.sin_family = AF_INET;
    destination.sin_port = htons(port);
    std::memcpy(&destination.sin_addr, address.data(), address.size());
    return connect(fd, reinterpret_cast<const sockaddr*>(&destination), sizeof(destination)) == 0;
  }
  static bool InProgress() { return errno == EINPROGRESS; }
  static std::uint32_t PendingError(Handle fd) {
    int pending = 0;
    socklen_t size = sizeof(pending);
    return getsockopt(fd, SOL_SOCKET, SO_ERROR, &pending, &size) == 0
               ? static_cast<std::uint32_t>(pending)
               : LastError();
  }
  static long Send(Handle fd, const char* data, std::size_t length) {
    return send(fd, data, length, MSG_NOSIGNAL);
  }
  static long Receive(Handle fd, char* buffer, std::size_t size) {
    return recv(fd, buffer, size, 0);
  }
  static bool WouldBlock() { return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR; }
  static std::uint32_t LastError() { return static_cast<std::uint32_t>(errno); }
  static int Select(Handle fd, bool for_writing, std::uint32_t milliseconds) {
    pollfd entry{fd, static_cast<short>(for_writing ? POLLOUT : POLLIN), 0};
    const int result = poll(&entry, 1, static_cast<int>(milliseconds));
    return result < 0 && errno == EINTR ? 0 : result;
  }
  static void Close(Handle fd) { close(fd); }
};

}  // namespace

Connection PosixStreams::ConnectTcp(const Ipv4Address& address, std::uint16_t port,
                                    const WaitLimit& limit) {
  return SocketStream<BsdSockets>::Connect(address, port, limit);
}

Connection PosixStreams::StartTls(std::unique_ptr<Stream>, const TlsPeer&, const WaitLimit&) {
  Connection result;
  result.error = StreamError::Reason("TLS is not available in this build");
  return result;
}

}  // namespace kivo::platform

#include "platform/posix/PosixStreams.h"

#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace kivo::platform {
namespace {

std::uint32_t LastError() {
  return static_cast<std::uint32_t>(errno);
}

// Waits until the socket has `events`.
WaitOutcome Poll(int fd, short events, const WaitLimit& limit) {
  return WaitInSlices(limit, [&](std::uint32_t slice) {
    pollfd entry{fd, events, 0};
    const int result = poll(&entry, 1, static_cast<int>(slice));
    return result < 0 && errno == EINTR ? 0 : result;
  });
}

// Waits until the socket has `events`: nullopt when it has, else why not.
std::optional<StreamError> Await(int fd, short events, const WaitLimit& limit,
                                 const char* timed_out) {
  const WaitOutcome outcome = Poll(fd, events, limit);
  return WaitError(outcome, timed_out, LastError());
}

// A connected, non-blocking TCP socket.
class PosixTcpStream : public Stream {
 public:
  explicit PosixTcpStream(int fd) : fd_(fd) {}
  ~PosixTcpStream() override { close(fd_); }

  std::optional<StreamError> Write(const void* data, std::size_t length,
                                   const WaitLimit& limit) override {
    const auto* next = static_cast<const char*>(data);
    while (length > 0) {
      const ssize_t sent = send(fd_, next, length, MSG_NOSIGNAL);
      if (sent >= 0) {
        next += sent;
        length -= static_cast<std::size_t>(sent);
      } else if (errno != EINTR) {
        if (errno != EAGAIN && errno != EWOULDBLOCK) return StreamError::Code(LastError());
        if (auto error = Await(fd_, POLLOUT, limit, "the server takes no more data")) return error;
      }
    }
    return std::nullopt;
  }

  std::optional<StreamError> Read(void* buffer, std::size_t size, std::size_t* received,
                                  const WaitLimit& limit) override {
    *received = 0;
    const WaitOutcome outcome = Poll(fd_, POLLIN, limit);
    if (outcome == WaitOutcome::kTimedOut) return std::nullopt;
    if (auto error = WaitError(outcome, "", LastError())) return error;
    const ssize_t got = recv(fd_, buffer, size, 0);
    if (got == 0) return StreamError::Reason("connection closed by the server");
    if (got < 0) {
      if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) return std::nullopt;
      return StreamError::Code(LastError());
    }
    *received = static_cast<std::size_t>(got);
    return std::nullopt;
  }

 private:
  int fd_;
};

}  // namespace

Connection PosixStreams::ConnectTcp(const Ipv4Address& address, std::uint16_t port,
                                    const WaitLimit& limit) {
  Connection result;
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  if (fd < 0) {
    result.error = StreamError::Code(LastError());
    return result;
  }
  const int on = 1;
  setsockopt(fd, SOL_SOCKET, SO_KEEPALIVE, &on, sizeof(on));
  fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
  sockaddr_in destination;
  std::memset(&destination, 0, sizeof(destination));
  destination.sin_family = AF_INET;
  destination.sin_port = htons(port);
  std::memcpy(&destination.sin_addr, address.data(), address.size());
  std::optional<StreamError> error;
  if (connect(fd, reinterpret_cast<const sockaddr*>(&destination), sizeof(destination)) != 0) {
    error = errno == EINPROGRESS
                ? Await(fd, POLLOUT, limit, "no connection within the time allowed")
                : StreamError::Code(LastError());
    int pending = 0;
    socklen_t size = sizeof(pending);
    if (!error && getsockopt(fd, SOL_SOCKET, SO_ERROR, &pending, &size) == 0 && pending != 0) {
      error = StreamError::Code(static_cast<std::uint32_t>(pending));
    }
  }
  if (error) {
    close(fd);
    result.error = *error;
  } else {
    result.stream = std::make_unique<PosixTcpStream>(fd);
  }
  return result;
}

Connection PosixStreams::StartTls(std::unique_ptr<Stream>, const TlsPeer&, const WaitLimit&) {
  Connection result;
  result.error = StreamError::Reason("TLS is not available in this build");
  return result;
}

}  // namespace kivo::platform

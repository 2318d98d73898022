#pragma once

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/Sockets.h"

namespace kivo::platform {

// Asked while a stream call waits: true when the caller wants to give up
// (the service is stopping).
using StopCheck = std::function<bool()>;

// How long a stream call may wait, and what may end the wait early. Waits
// are cut into slices of at most kStopCheckMilliseconds, so that a stop is
// noticed within that time.
struct WaitLimit {
  static constexpr std::uint32_t kStopCheckMilliseconds = 250;

  std::uint32_t milliseconds = 0;
  StopCheck stop;

  bool Stopping() const { return stop && stop(); }
};

// What became of a wait.
enum class WaitOutcome { kReady, kTimedOut, kStopped, kFailed };

// The waiting of the stream backends: calls poll(slice) (a select of at
// most `slice` milliseconds: > 0 ready, 0 nothing yet, < 0 failed) until it
// is ready or failed, the limit's time is over or the stop check says so.
// Polls at least once, so a limit of 0 looks without waiting.
template <typename Poll>
WaitOutcome WaitInSlices(const WaitLimit& limit, Poll poll) {
  using Clock = std::chrono::steady_clock;
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(limit.milliseconds);
  while (true) {
    if (limit.Stopping()) return WaitOutcome::kStopped;
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    const auto slice = static_cast<std::uint32_t>(
        std::clamp<decltype(left)>(left, 0, WaitLimit::kStopCheckMilliseconds));
    const int result = poll(slice);
    if (result > 0) return WaitOutcome::kReady;
    if (result < 0) return WaitOutcome::kFailed;
    if (left <= 0) return WaitOutcome::kTimedOut;
  }
}

// Why a stream call failed: the platform's error number where there is one
// (a socket error, an SChannel status), words of our own where they say more
// (a time-out, a certificate refused), or both.
struct StreamError {
  std::uint32_t code = 0;
  std::string reason;
  // The call was abandoned because the stop check asked for it.
  bool stopped = false;

  static StreamError Code(std::uint32_t code, std::string reason = "") {
    return StreamError{code, std::move(reason), false};
  }
  static StreamError Reason(std::string reason) { return StreamError{0, std::move(reason), false}; }
  static StreamError Stopped() { return StreamError{0, "stopped", true}; }
};

// The error of a wait that did not end ready: `timed_out` says what did not
// happen in time, `failure` is the platform's error number of a failed poll.
inline std::optional<StreamError> WaitError(WaitOutcome outcome, const char* timed_out,
                                            std::uint32_t failure) {
  switch (outcome) {
    case WaitOutcome::kReady:
      return std::nullopt;
    case WaitOutcome::kStopped:
      return StreamError::Stopped();
    case WaitOutcome::kTimedOut:
      return StreamError::Reason(timed_out);
    default:
      return StreamError::Code(failure);
  }
}

// The text of an error number, for the messages an administrator reads.
using ErrorText = std::function<std::string(std::uint32_t)>;

// "reason: text of the code", or whichever of the two there is.
inline std::string Describe(const StreamError& error, const ErrorText& text) {
  if (error.code == 0) return error.reason;
  const std::string number =
      text ? text(error.code) : "error " + std::to_string(static_cast<std::uint64_t>(error.code));
  return error.reason.empty() ? number : error.reason + ": " + number;
}

// A connected byte stream that the service writes to and the peer, a syslog
// receiver, only reads from. Destroying it closes the connection.
class Stream {
 public:
  virtual ~Stream() = default;

  // Writes every octet, waiting while the peer cannot take more, at most the
  // limit's time. A failure (the error, a time-out, a stop) leaves the stream
  // unusable: how much of the data went out is unknown.
  virtual std::optional<StreamError> Write(const void* data, std::size_t length,
                                           const WaitLimit& limit) = 0;

  // Reads what has arrived, waiting at most the limit's time for the first
  // octet: *received is 0 when nothing came. A connection closed by the peer
  // is an error.
  virtual std::optional<StreamError> Read(void* buffer, std::size_t size, std::size_t* received,
                                          const WaitLimit& limit) = 0;

  // True when the peer has closed or reset the connection. Looks without
  // waiting, so that a write never goes into a connection that is already
  // gone; anything the peer sent before is read and dropped on the way.
  bool PeerClosed() {
    char dropped[512];
    std::size_t received = 0;
    do {
      if (Read(dropped, sizeof(dropped), &received, WaitLimit{})) return true;
    } while (received > 0);
    return false;
  }
};

// What a TLS client checks of the server: the name its certificate must
// carry, and the certificate file (PEM or DER) of the one authority to trust
// for it; empty: the machine's trusted roots.
struct TlsPeer {
  std::string server_name;
  std::string ca_file;
};

struct Connection {
  std::unique_ptr<Stream> stream;  // null when the connect failed
  StreamError error;
};

// Opens streams: TCP connections, and TLS sessions over them.
class Streams {
 public:
  virtual ~Streams() = default;

  // A TCP connection to address:port, made within the limit's time.
  virtual Connection ConnectTcp(const Ipv4Address& address, std::uint16_t port,
                                const WaitLimit& limit) = 0;

  // A TLS client session over a connected stream, handshake done and the
  // server's certificate checked, within the limit's time. A server that
  // fails the check gets no data; the error names the reason.
  virtual Connection StartTls(std::unique_ptr<Stream> transport, const TlsPeer& peer,
                              const WaitLimit& limit) = 0;
};

}  // namespace kivo::platform

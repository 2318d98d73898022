#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "config/TraceFile.h"
#include "forwarding/HeldEvent.h"
#include "platform/Sockets.h"
#include "platform/SteadyClock.h"
#include "platform/Stream.h"

namespace kivo::forwarding {

// Where a stream destination sends: a host (name or dotted address) and
// port, over TCP or over TLS with the server's certificate checked for
// `tls_peer`. Targets that differ need a connection of their own.
struct StreamTarget {
  static constexpr char kDefaultServerName[] = "sysloghost";

  std::string host;
  std::uint16_t port = 0;
  bool tls = false;
  platform::TlsPeer tls_peer{kDefaultServerName, ""};

  bool operator==(const StreamTarget& other) const {
    return host == other.host && port == other.port && tls == other.tls &&
           tls_peer.server_name == other.tls_peer.server_name &&
           tls_peer.ca_file == other.tls_peer.ca_file;
  }
  bool operator!=(const StreamTarget& other) const { return !(*this == other); }
};

// The platform pieces a stream destination works with; they must outlive
// it. `stop` ends every wait within a quarter of a second when it says so;
// `error_text` words error numbers (the system's texts in the service).
struct StreamServices {
  platform::Streams& streams;
  platform::Sockets& sockets;  // resolves host names
  platform::SteadyClock clock = platform::SteadyMilliseconds;
  platform::StopCheck stop;
  platform::ErrorText error_text;
};

// One connection to a target, kept open from message to message. Before
// each write it looks whether the server has closed the connection, and
// connects again at once if so. A connect or write that fails drops the
// connection; the next attempt is made no sooner than the RetryBackoff's
// wait later (1 s, then 2, 4, … up to 60 s after each further failure), and
// until then writes fail at once with the last error. A write that
// succeeds resets the wait.
//
// A frame written whole may still be lost: a server that stops drops what
// it had taken in but not handled yet (rsyslog stopped in a flood loses its
// last few frames, and closes as if it had stored them), and that shows only
// at the next write. So the last kFramesKept frames written are kept, and
// when their connection breaks (closed by the server, or a write fails)
// they go again first on the next connection: every frame arrives at least
// once, and a break may bring up to that many twice.
class StreamConnection {
 public:
  static constexpr std::uint32_t kConnectMilliseconds = 5000;
  static constexpr std::uint32_t kHandshakeMilliseconds = 10000;
  static constexpr std::uint32_t kWriteMilliseconds = 10000;
  static constexpr std::size_t kFramesKept = 32;

  StreamConnection(StreamTarget target, const StreamServices& services);

  // Writes the frame whole, connecting first when there is no connection
  // and the wait is over. Nothing when it went out; else why not (after a
  // failed write, part of the frame may have gone).
  std::optional<platform::StreamError> Write(std::string_view frame, config::TraceFile& trace);

  const StreamTarget& target() const { return target_; }

 private:
  std::string Describe(const platform::StreamError& error) const {
    return platform::Describe(error, services_.error_text);
  }
  std::optional<platform::StreamError> Connect(config::TraceFile& trace);
  // Drops the connection; the frames kept are owed again.
  void Drop();
  platform::StreamError Failed(platform::StreamError error);

  const StreamTarget target_;
  const StreamServices services_;
  std::unique_ptr<platform::Stream> stream_;
  std::deque<std::string> recent_;  // the last frames written whole, oldest first
  bool resend_ = false;             // their connection broke: they go again first
  RetryBackoff backoff_;
  std::int64_t retry_at_ = 0;
  platform::StreamError last_error_;
};

}  // namespace kivo::forwarding

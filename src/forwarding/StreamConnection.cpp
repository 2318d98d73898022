#include "forwarding/StreamConnection.h"

#include <utility>

namespace kivo::forwarding {

using platform::StreamError;
using platform::WaitLimit;

StreamConnection::StreamConnection(StreamTarget target, const StreamServices& services)
    : target_(std::move(target)), services_(services) {}

std::optional<StreamError> StreamConnection::Write(std::string_view frame,
                                                   config::TraceFile& trace) {
  if (stream_ && stream_->PeerClosed()) {
    trace.Line("connection to ", target_.host, " on port ", target_.port, " closed by the server");
    stream_.reset();
  }
  if (!stream_) {
    const std::int64_t now = services_.clock();
    if (now < retry_at_) {
      trace.Line("next connection to ", target_.host, " on port ", target_.port, " in ",
                 retry_at_ - now, " ms");
      return last_error_;
    }
    if (auto error = Connect(trace)) return Failed(*error);
  }
  if (auto error = stream_->Write(frame.data(), frame.size(),
                                  WaitLimit{kWriteMilliseconds, services_.stop})) {
    trace.Line("failed to send to ", target_.host, " on port ", target_.port, ": ",
               Describe(*error));
    return Failed(*error);
  }
  backoff_.Reset();
  return std::nullopt;
}

std::optional<StreamError> StreamConnection::Connect(config::TraceFile& trace) {
  platform::Ipv4Address address{};
  std::optional<StreamError> error;
  platform::Connection connection;
  if (const platform::SocketError failure =
          platform::ResolveDestination(services_.sockets, target_.host, &address);
      failure != platform::kSocketOk) {
    error = StreamError::Code(static_cast<std::uint32_t>(failure));
  } else {
    connection = services_.streams.ConnectTcp(address, target_.port,
                                              WaitLimit{kConnectMilliseconds, services_.stop});
    if (connection.stream && target_.tls) {
      connection = services_.streams.StartTls(std::move(connection.stream), target_.tls_peer,
                                              WaitLimit{kHandshakeMilliseconds, services_.stop});
    }
    if (!connection.stream) error = connection.error;
  }
  if (error) {
    trace.Line("failed to connect to ", target_.host, " on port ", target_.port, ": ",
               Describe(*error));
    return error;
  }
  trace.Line("connected to ", target_.host, " on port ", target_.port,
             target_.tls ? " with TLS" : "");
  stream_ = std::move(connection.stream);
  return std::nullopt;
}

StreamError StreamConnection::Failed(StreamError error) {
  stream_.reset();
  // A stop is no failure of the destination: the service is going.
  if (!error.stopped) retry_at_ = services_.clock() + backoff_.Next();
  last_error_ = error;
  return error;
}

}  // namespace kivo::forwarding

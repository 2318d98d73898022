#pragma once

#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <string_view>

#include "config/TraceFile.h"
#include "forwarding/DestinationStates.h"
#include "forwarding/StreamConnection.h"

namespace kivo::forwarding {

// A syslog destination over TCP or TLS: one kept connection (StreamConnection)
// and the frames on their way to it.
//
// Delivery kHold ("resume" on): a frame goes out whole now or is reported
// as not sent; nothing is kept, the caller holds the event and offers the
// frame again later. kQueue ("resume" off): frames wait in a queue of at
// most kQueueLimit while the connection is down, and go out in order when
// it is back; when the queue is full the oldest frame is dropped, counted,
// traced once per outage, and the count reported (message 113) when the
// outage ends or the destination goes during one.
//
// The outage itself (its start, its end, its reason) is for the caller to
// take into DestinationStates: Deliver's result in kHold, failure() in both.
class StreamDestination {
 public:
  enum class Delivery { kHold, kQueue };
  static constexpr std::size_t kQueueLimit = 10000;

  // `label` names the destination in traces and messages, as its send
  // outcomes do. `report` (may be empty) takes the service's own messages.
  StreamDestination(std::string label, StreamTarget target, Delivery delivery,
                    const StreamServices& services, DestinationStates::Reporter report);
  ~StreamDestination();
  StreamDestination(const StreamDestination&) = delete;
  StreamDestination& operator=(const StreamDestination&) = delete;

  // Takes one framed message. kHold: nothing when the whole frame was
  // written, else why it was not. kQueue: always nothing.
  std::optional<platform::StreamError> Deliver(std::string_view frame, config::TraceFile& trace);

  // kQueue: sends what waits, as far as the connection allows; for the
  // rounds without an event.
  void Flush(config::TraceFile& trace);

  const StreamTarget& target() const { return connection_.target(); }
  Delivery delivery() const { return delivery_; }
  std::size_t waiting() const { return queue_.size(); }
  // The last failure of the outage going on; nothing while working.
  const std::optional<platform::StreamError>& failure() const { return failure_; }

 private:
  void Note(const std::optional<platform::StreamError>& error, config::TraceFile& trace);
  void ReportDropped(config::TraceFile& trace);

  const std::string label_;
  const Delivery delivery_;
  const DestinationStates::Reporter report_;
  StreamConnection connection_;
  std::deque<std::string> queue_;
  std::uint64_t dropped_ = 0;  // in the outage going on
  std::optional<platform::StreamError> failure_;
};

}  // namespace kivo::forwarding

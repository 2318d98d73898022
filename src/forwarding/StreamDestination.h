#pragma once

#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <string_view>

#include "config/TraceFile.h"
#include "forwarding/StreamConnection.h"

namespace kivo::forwarding {

// What a stream destination tells the administrator: the first failure of
// an outage with its reason, the outage's end, and how many messages a full
// queue dropped in it.
class DestinationReports {
 public:
  virtual ~DestinationReports() = default;
  virtual void Failing(const std::string& destination, const std::string& reason) = 0;
  virtual void Working(const std::string& destination) = 0;
  virtual void Dropped(const std::string& destination, std::uint64_t count) = 0;
};

// A syslog destination over TCP or TLS: one kept connection (StreamConnection)
// and the frames on their way to it.
//
// Delivery kHold ("resume" on): a frame goes out whole now or is reported
// as not sent; nothing is kept, the caller holds the event and offers the
// frame again later. kQueue ("resume" off): frames wait in a queue of at
// most kQueueLimit while the connection is down, and go out in order when
// it is back; when the queue is full the oldest frame is dropped, counted,
// traced once per outage and reported when the outage ends (or when the
// destination goes during one).
//
// Reports (optional) hear of each outage once: Failing at its first failure,
// Working at the first frame that goes out after it.
class StreamDestination {
 public:
  enum class Delivery { kHold, kQueue };
  static constexpr std::size_t kQueueLimit = 10000;

  StreamDestination(std::string name, StreamTarget target, Delivery delivery,
                    const StreamServices& services, DestinationReports* reports);
  ~StreamDestination();
  StreamDestination(const StreamDestination&) = delete;
  StreamDestination& operator=(const StreamDestination&) = delete;

  // Takes one framed message. kHold: nothing when the whole frame was
  // written, else why it was not. kQueue: always nothing.
  std::optional<std::string> Deliver(std::string_view frame, config::TraceFile& trace);

  // kQueue: sends what waits, as far as the connection allows; for the
  // rounds without an event.
  void Flush(config::TraceFile& trace);

  const std::string& name() const { return name_; }
  const StreamTarget& target() const { return connection_.target(); }
  Delivery delivery() const { return delivery_; }
  std::size_t waiting() const { return queue_.size(); }
  // The reason the outage going on began with; nothing while working.
  const std::optional<std::string>& failure() const { return failure_; }

 private:
  // Keeps the outage's state and reports its start and end.
  void Note(const std::optional<platform::StreamError>& error, config::TraceFile& trace);
  void ReportDropped(config::TraceFile& trace);

  const std::string name_;
  const Delivery delivery_;
  DestinationReports* const reports_;
  StreamConnection connection_;
  std::deque<std::string> queue_;
  std::uint64_t dropped_ = 0;  // in the outage going on
  std::optional<std::string> failure_;
};

}  // namespace kivo::forwarding

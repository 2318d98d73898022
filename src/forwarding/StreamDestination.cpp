#include "forwarding/StreamDestination.h"

#include <utility>

#include "forwarding/LoopHost.h"
#include "platform/EventReporter.h"

namespace kivo::forwarding {

StreamDestination::StreamDestination(std::string label, StreamTarget target, Delivery delivery,
                                     const StreamServices& services,
                                     DestinationStates::Reporter report)
    : label_(std::move(label)),
      delivery_(delivery),
      report_(std::move(report)),
      connection_(std::move(target), services) {}

StreamDestination::~StreamDestination() {
  config::TraceFile closed;
  ReportDropped(closed);
}

std::optional<platform::StreamError> StreamDestination::Deliver(std::string_view frame,
                                                                config::TraceFile& trace) {
  if (delivery_ == Delivery::kHold) {
    std::optional<platform::StreamError> error = connection_.Write(frame, trace);
    Note(error, trace);
    return error;
  }
  if (queue_.size() >= kQueueLimit) {
    queue_.pop_front();
    if (dropped_++ == 0) trace.Line("queue for ", label_, " full: its oldest messages are dropped");
  }
  queue_.emplace_back(frame);
  Flush(trace);
  return std::nullopt;
}

void StreamDestination::Flush(config::TraceFile& trace) {
  while (!queue_.empty()) {
    const std::optional<platform::StreamError> error = connection_.Write(queue_.front(), trace);
    Note(error, trace);
    if (error) return;
    queue_.pop_front();
  }
}

void StreamDestination::Note(const std::optional<platform::StreamError>& error,
                             config::TraceFile& trace) {
  if (!error) {
    failure_.reset();
    ReportDropped(trace);
  } else if (!error->stopped) {  // a stop is no failure of the destination
    failure_ = error;
  }
}

void StreamDestination::ReportDropped(config::TraceFile& trace) {
  if (dropped_ == 0) return;
  const std::string count = std::to_string(dropped_);
  trace.Line(count, " messages for ", label_, " were dropped: its queue was full");
  if (report_) {
    report_(platform::EventReporter::kWarning, loop_messages::kMessagesDropped, {label_, count});
  }
  dropped_ = 0;
}

}  // namespace kivo::forwarding

#include "forwarding/StreamDestination.h"

#include <utility>

namespace kivo::forwarding {

StreamDestination::StreamDestination(std::string name, StreamTarget target, Delivery delivery,
                                     const StreamServices& services, DestinationReports* reports)
    : name_(std::move(name)),
      delivery_(delivery),
      reports_(reports),
      connection_(std::move(target), services) {}

StreamDestination::~StreamDestination() {
  config::TraceFile closed;
  ReportDropped(closed);
}

std::optional<std::string> StreamDestination::Deliver(std::string_view frame,
                                                      config::TraceFile& trace) {
  if (delivery_ == Delivery::kHold) {
    const std::optional<platform::StreamError> error = connection_.Write(frame, trace);
    Note(error, trace);
    if (error) return connection_.Describe(*error);
    return std::nullopt;
  }
  if (queue_.size() >= kQueueLimit) {
    queue_.pop_front();
    if (dropped_++ == 0) {
      trace.Line("queue for ", name_, " full: its oldest messages are dropped");
    }
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
    if (failure_) {
      failure_.reset();
      if (reports_ != nullptr) reports_->Working(name_);
    }
    ReportDropped(trace);
    return;
  }
  if (error->stopped || failure_) return;
  failure_ = connection_.Describe(*error);
  if (reports_ != nullptr) reports_->Failing(name_, *failure_);
}

void StreamDestination::ReportDropped(config::TraceFile& trace) {
  if (dropped_ == 0) return;
  trace.Line(dropped_, " messages for ", name_, " were dropped: its queue was full");
  if (reports_ != nullptr) reports_->Dropped(name_, dropped_);
  dropped_ = 0;
}

}  // namespace kivo::forwarding

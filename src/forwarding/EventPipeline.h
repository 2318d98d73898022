#pragma once

#include "config/RegistryConfig.h"
#include "config/TraceFile.h"
#include "forwarding/CalendarClock.h"
#include "forwarding/Destination.h"
#include "forwarding/DestinationStates.h"
#include "forwarding/EventRecord.h"
#include "forwarding/FilterStage.h"
#include "forwarding/SyslogStage.h"
#include "forwarding/TrapStage.h"
#include "perf/UptimeCounter.h"
#include "platform/Sockets.h"

namespace kivo::forwarding {

// The road of one event: the trace blocks, the trap settings and the uptime,
// the filters, the trap for an event that passed, and syslog. Every setting
// is read again for every event, so a change in the store takes effect with
// the next event. The only state kept between events is the tracing flag,
// which stands in when "logging" cannot be read.
class EventPipeline {
 public:
  // Outcomes are taken into `states` when one is given (it must outlive
  // the pipeline).
  EventPipeline(config::RegistryConfig& config, perf::UptimeCounter& uptime,
                platform::Sockets& sockets, CalendarClock clock,
                DestinationStates* states = nullptr);

  // Runs the event through every stage; given `only`, sends it to those
  // destinations alone (an event sent again to the ones it failed at). One
  // outcome per destination the event was due at and tried.
  SendOutcomes Process(EventRecord& event, const DestinationSet* only = nullptr);
  // Whether the last event was traced.
  bool tracing() const { return tracing_; }
  // Between events: sends what waits in the syslog stage's queues, traced
  // as the last event was.
  void Flush();
  SyslogStage& syslog() { return syslog_; }
  TrapStage& traps() { return traps_; }

 private:
  // "logging" of the root key; when it cannot be read it is written as 0
  // and the previous event's flag is kept.
  bool ReadTracingFlag();
  static void WriteEventBlock(const EventRecord& event, config::TraceFile& trace);
  static void WriteDestinationBlock(const TrapSettings& settings, config::TraceFile& trace);

  config::RegistryConfig& config_;
  perf::UptimeCounter& uptime_;
  CalendarClock clock_;
  DestinationStates* states_;
  bool tracing_ = false;
  FilterStage filters_;
  TrapStage traps_;
  SyslogStage syslog_;
};

}  // namespace kivo::forwarding

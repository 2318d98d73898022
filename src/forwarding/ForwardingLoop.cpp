#include "forwarding/ForwardingLoop.h"

#include <exception>
#include <memory>
#include <utility>

#include "config/RegistryConfig.h"
#include "eventlog/EventLogReader.h"
#include "forwarding/EventPipeline.h"
#include "forwarding/OptionalReads.h"
#include "perf/UptimeCounter.h"

namespace kivo::forwarding {

namespace names = config::names;

namespace {

// A fetch that throws counts as one that found nothing; the next one pauses
// first, so a persistent failure cannot spin.
bool FetchNext(eventlog::EventLogReader& reader) {
  try {
    return reader.FetchNext();
  } catch (...) {
    return false;
  }
}

void Forward(EventPipeline& pipeline, eventlog::EventLogReader& reader) {
  try {
    EventRecord event = EventRecord::Current(reader);
    pipeline.Process(event);
  } catch (...) {
    // The event is lost; the service keeps forwarding the next ones.
  }
}

}  // namespace

ForwardingLoop::ForwardingLoop(LoopPlatform platform) : platform_(std::move(platform)) {}

void ForwardingLoop::EnsureTrapOptions(config::RegistryConfig& config) {
  if (!TryReadNumber(config, names::kIec)) {
    for (const char* flag : {names::kIec, names::kIecn, names::kIed, names::kIen, names::kIes,
                             names::kIet, names::kIeu}) {
      config.WriteNumber(flag, 1);
    }
    config.WriteText(names::kSenderOid, "");
  }
  if (!TryReadNumber(config, names::kStripCrlf)) config.WriteNumber(names::kStripCrlf, 0);
}

void ForwardingLoop::Work(LoopHost& host) {
  try {
    Run(host);
  } catch (...) {
    // Only the start can get here (out of memory while setting up); the
    // host then sees Work return and stops the service.
  }
}

void ForwardingLoop::Run(LoopHost& host) {
  perf::UptimeCounter& uptime =
      host.KeepUptimeCounter(std::make_unique<perf::UptimeCounter>(platform_.perf_data));
  auto reader = std::make_unique<eventlog::EventLogReader>(platform_.event_log, platform_.messages,
                                                           platform_.pause, platform_.registry);
  auto config = std::make_unique<config::RegistryConfig>(platform_.registry, nullptr);
  EnsureTrapOptions(*config);

  {
    EventPipeline pipeline(*config, uptime, platform_.sockets, platform_.clock);
    // A stop takes effect at the first fetch that finds nothing, never in
    // the middle of a burst of events.
    while (host.IsRunning()) {
      while (FetchNext(*reader)) Forward(pipeline, *reader);
      host.CountIdleRound();
    }
  }
  config.reset();
  reader.reset();
}

}  // namespace kivo::forwarding

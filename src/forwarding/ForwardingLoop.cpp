#include "forwarding/ForwardingLoop.h"

#include <exception>
#include <memory>
#include <utility>

#include "config/RegistryConfig.h"
#include "eventlog/EventLogReader.h"
#include "eventlog/LogPositions.h"
#include "forwarding/BurstCache.h"
#include "forwarding/EventPipeline.h"
#include "forwarding/OptionalReads.h"
#include "perf/UptimeCounter.h"
#include "platform/EventReporter.h"
#include "service/ServiceEventSource.h"

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

// A switch of the root key ("burst", "resume"): on when it is non-zero; a
// value that is missing or cannot be read is off and is not written.
bool IsSwitchedOn(config::RegistryConfig& config, const char* name) {
  config.Open("");
  return TryReadNumber(config, name).value_or(0) != 0;
}

// An event log that cannot be read, and its recovery, in the Application log.
eventlog::OutageReport ReportLogOutages(LoopHost& host) {
  return [&host](bool failing, const std::vector<std::string>& inserts) {
    host.ReportServiceEvent(
        failing ? platform::EventReporter::kError : platform::EventReporter::kInformation,
        failing ? service::messages::kLogFailing : service::messages::kLogWorking, inserts);
  };
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
  // In burst mode the store, the host names and the message modules are
  // read at most once a second; the kept positions are written straight to
  // the registry.
  CachingRegistry registry(platform_.registry, platform_.clock);
  CachingSockets sockets(platform_.sockets, platform_.clock);
  CachingMessages messages(platform_.messages, platform_.clock);
  auto config = std::make_unique<config::RegistryConfig>(registry, nullptr);
  EnsureTrapOptions(*config);
  // Earlier versions kept the positions under the service's key.
  const std::unique_ptr<eventlog::LogPositions> positions = eventlog::LogPositions::ForStart(
      platform_.registry, host.ServiceKey(), IsSwitchedOn(*config, names::kResume));
  auto reader =
      std::make_unique<eventlog::EventLogReader>(platform_.event_log, messages, platform_.pause,
                                                 registry, positions.get(), ReportLogOutages(host));

  {
    EventPipeline pipeline(*config, uptime, sockets, platform_.clock);
    while (host.IsRunning()) {
      // By default a stop takes effect at the first fetch that finds
      // nothing, never in the middle of a burst of events; in burst mode
      // the running flag is tested after every event.
      const bool burst = IsSwitchedOn(*config, names::kBurst);
      reader->set_burst(burst);
      registry.set_caching(burst);
      sockets.set_caching(burst);
      messages.set_caching(burst);
      bool idle = true;
      while (FetchNext(*reader)) {
        Forward(pipeline, *reader);
        // Only once the event is out: a restart sends it again rather than
        // lose it.
        reader->KeepPosition();
        if (burst) {
          idle = false;
          break;
        }
      }
      if (idle) host.CountIdleRound();
    }
  }
  config.reset();
  reader.reset();
}

}  // namespace kivo::forwarding

#include "forwarding/ForwardingLoop.h"

#include <exception>
#include <memory>
#include <utility>

#include "config/RegistryConfig.h"
#include "eventlog/EventLogReader.h"
#include "eventlog/LogPositions.h"
#include "forwarding/BurstCache.h"
#include "forwarding/DestinationStates.h"
#include "forwarding/EventPipeline.h"
#include "forwarding/HeldEvent.h"
#include "forwarding/OptionalReads.h"
#include "forwarding/ServiceStatus.h"
#include "perf/UptimeCounter.h"
#include "platform/EventReporter.h"

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

// The reader's current event through the pipeline; given `only`, to those
// destinations alone. An event whose handling throws is lost (no outcome
// holds it); the service keeps forwarding the next ones.
SendOutcomes Forward(EventPipeline& pipeline, eventlog::EventLogReader& reader,
                     const DestinationSet* only = nullptr) {
  try {
    EventRecord event = EventRecord::Current(reader);
    return pipeline.Process(event, only);
  } catch (...) {
    return {};
  }
}

// The state to publish: the reader's progress (the held event's log counts
// from the held record, which is not done yet) and the destinations.
ServiceStatus StatusOf(const eventlog::EventLogReader& reader, const HeldEvent* held,
                       const DestinationStates& states, std::int64_t now, bool running) {
  ServiceStatus status;
  status.published = now;
  status.running = running;
  for (const eventlog::LogProgress& log : reader.Progress()) {
    status.logs.push_back({log.name, log.initialised, log.next_record});
  }
  if (held != nullptr && held->log() >= 0) {
    ServiceStatus::Log& log = status.logs[static_cast<std::size_t>(held->log())];
    log.next_record = held->record();
    status.held = ServiceStatus::Held{log.name, held->record(), held->SecondsToNextTry()};
  }
  for (const auto& [id, state] : states.states()) {
    status.destinations.push_back({id.kind == DestinationId::Kind::kTrap ? "trap" : "syslog",
                                   id.number, state.failing, state.failing_since, state.sent,
                                   state.failed, state.label, state.last_error});
  }
  return status;
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
        failing ? loop_messages::kLogFailing : loop_messages::kLogWorking, inserts);
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
  const std::int64_t start_ms = platform_.steady();
  auto config = std::make_unique<config::RegistryConfig>(registry, nullptr);
  EnsureTrapOptions(*config);
  // Earlier versions kept the positions under the service's key.
  const std::unique_ptr<eventlog::LogPositions> positions = eventlog::LogPositions::ForStart(
      platform_.registry, host.ServiceKey(), IsSwitchedOn(*config, names::kResume));
  auto reader =
      std::make_unique<eventlog::EventLogReader>(platform_.event_log, messages, platform_.pause,
                                                 registry, positions.get(), ReportLogOutages(host));
  const DestinationStates::Reporter report = [&host](std::uint16_t type, std::uint32_t id,
                                                     const std::vector<std::string>& inserts) {
    host.ReportServiceEvent(type, id, inserts);
  };
  DestinationStates states(platform_.messages, report);
  StatusPublisher publisher(platform_.registry);
  std::unique_ptr<HeldEvent> held;
  const auto publish = [&](bool running) {
    const std::int64_t now = platform_.clock();
    if (publisher.Due(now, !running)) {
      publisher.Publish(StatusOf(*reader, held.get(), states, now, running));
    }
  };

  {
    std::unique_ptr<CachingSecrets> secrets;  // goes after the pipeline that reads it
    EventPipeline pipeline(*config, uptime, sockets, platform_.clock, &states);
    if (platform_.crypto != nullptr && platform_.secrets != nullptr) {
      secrets = std::make_unique<CachingSecrets>(*platform_.secrets, platform_.clock);
      // An inform's wait ends when the service is asked to stop; with
      // "resume" its event is then sent again at the next start.
      pipeline.traps().EnableNotifications(
          NotificationPlatform{*platform_.crypto, *secrets, platform_.registry,
                               [&host] { return host.StopRequested(); }, platform_.steady},
          start_ms);
    }
    if (platform_.streams != nullptr && platform_.ansi != nullptr) {
      // With "resume" a frame goes out whole or its event is held; without,
      // frames wait in a bounded queue while a server is away.
      pipeline.syslog().EnableStreams(SyslogStreams{
          *platform_.streams, *platform_.ansi, [&host] { return host.StopRequested(); },
          [this](std::uint32_t error) {
            return platform::SystemErrorText(platform_.messages, error);
          },
          report,
          positions != nullptr ? StreamDestination::Delivery::kHold
                               : StreamDestination::Delivery::kQueue});
    }
    while (host.IsRunning()) {
      // By default a stop takes effect at the first fetch that finds
      // nothing, never in the middle of a burst of events; in burst mode
      // the running flag is tested after every event.
      const bool burst = IsSwitchedOn(*config, names::kBurst);
      reader->set_burst(burst);
      registry.set_caching(burst);
      sockets.set_caching(burst);
      messages.set_caching(burst);
      if (secrets) secrets->set_caching(burst);
      publish(true);
      if (held) {
        // The held event goes again once its wait is over; the running
        // flag is tested at least every slice meanwhile.
        if (const std::uint32_t wait = held->WaitNow(kHoldSliceMilliseconds)) {
          platform_.pause.Wait(wait);
          held->Waited(wait);
          continue;
        }
        const DestinationSet owed = held->owed();
        if (held->Tried(Forward(pipeline, *reader, &owed))) {
          reader->KeepPosition();
          held.reset();
        }
        continue;
      }
      bool idle = true;
      while (FetchNext(*reader)) {
        const SendOutcomes outcomes = Forward(pipeline, *reader);
        DestinationSet failed = FailedDestinations(outcomes);
        if (positions != nullptr && !failed.empty()) {
          // Not done: its position stays, and nothing is fetched past it.
          held = std::make_unique<HeldEvent>(reader->CurrentLog(), reader->GetRecordNumber(),
                                             std::move(failed));
          idle = false;
          break;
        }
        // Only once the event is out: a restart sends it again rather than
        // lose it.
        reader->KeepPosition();
        publish(true);
        if (burst) {
          idle = false;
          break;
        }
      }
      if (idle) {
        pipeline.Flush();
        host.CountIdleRound();
      }
    }
  }
  publish(false);
  config.reset();
  reader.reset();
}

}  // namespace kivo::forwarding

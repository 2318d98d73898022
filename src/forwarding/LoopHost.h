#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "perf/UptimeCounter.h"

namespace kivo::forwarding {

// The messages of the service's message table that the run loop reports,
// each once per outage: a destination that fails and its recovery, an
// event log that cannot be read and its recovery, and how many messages a
// destination's full queue dropped.
namespace loop_messages {
constexpr std::uint32_t kDestinationFailing = 109;  // %1 the destination, %2 why
constexpr std::uint32_t kDestinationWorking = 110;  // %1 the destination
constexpr std::uint32_t kLogFailing = 111;          // %1 the log, %2 why
constexpr std::uint32_t kLogWorking = 112;          // %1 the log
constexpr std::uint32_t kMessagesDropped = 113;     // %1 the destination, %2 how many
}  // namespace loop_messages

// What the forwarding run loop needs of the service that runs it: the running
// flag it tests between bursts of events, the idle counter it advances after
// every round that found nothing, the slot that keeps the uptime counter
// for the rest of the service's life (the loop creates it, the service owns
// it), and the service's own registry key, below which the read positions
// are kept for a restart, and the service's own messages in the
// Application log.
class LoopHost {
 public:
  virtual ~LoopHost() = default;

  virtual bool IsRunning() const = 0;
  // True once the service has been asked to stop: for the waits inside an
  // event (a connection being made), which must end soon after. Unlike
  // IsRunning, it only looks.
  virtual bool StopRequested() const { return false; }
  // Adds the increment to the idle counter's current value.
  virtual void CountIdleRound() = 0;
  // Takes ownership of the counter and returns it for the loop's use.
  virtual perf::UptimeCounter& KeepUptimeCounter(std::unique_ptr<perf::UptimeCounter> counter) = 0;
  // The service's key, a path below HKEY_LOCAL_MACHINE.
  virtual std::string ServiceKey() const = 0;
  // Reports one of the service's own messages (ids and types as the
  // service's message table has them) with its inserts.
  virtual void ReportServiceEvent(std::uint16_t type, std::uint32_t id,
                                  const std::vector<std::string>& inserts) = 0;
};

}  // namespace kivo::forwarding

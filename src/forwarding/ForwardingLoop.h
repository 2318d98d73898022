#pragma once

#include "config/RegistryConfig.h"
#include "forwarding/CalendarClock.h"
#include "forwarding/LoopHost.h"
#include "platform/AnsiText.h"
#include "platform/Crypto.h"
#include "platform/EventLog.h"
#include "platform/Messages.h"
#include "platform/Pause.h"
#include "platform/PerfData.h"
#include "platform/Registry.h"
#include "platform/Secrets.h"
#include "platform/Sockets.h"
#include "platform/SteadyClock.h"
#include "platform/Stream.h"

namespace kivo::forwarding {

// The platform pieces the run loop works with; all must outlive the loop.
struct LoopPlatform {
  platform::Registry& registry;
  platform::EventLog& event_log;
  platform::Messages& messages;
  platform::Pause& pause;
  platform::Sockets& sockets;
  platform::PerfData& perf_data;
  CalendarClock clock = SystemCalendarTime;
  // Syslog over TCP and TLS, and in RFC 5424; without them such
  // destinations fail.
  platform::Streams* streams = nullptr;
  platform::AnsiText* ansi = nullptr;
  // SNMPv3 and informs; without them such traps fail.
  platform::Crypto* crypto = nullptr;
  platform::Secrets* secrets = nullptr;
  platform::SteadyClock steady =
      platform::SteadyMilliseconds;  // engine time and the informs' waits
};

// The working life of the service: pulls new event-log records one at a
// time and runs each through the event pipeline, until the host's running
// flag is found cleared after a round that found nothing (in burst mode,
// after any event). Two switches of the store choose its policy: "burst"
// (read before every round) the reader's pace, and "resume" (read at the
// start) whether the read positions are kept for the next start, each
// saved once its event has gone out. With "resume", an event whose send
// fails on this machine is held: it keeps its position, the events behind
// it wait, and it is sent again to the destinations it failed at until it
// goes out or the service stops.
//
// Whatever the switches, how each destination fares is told once per
// outage to the service's own messages, and the loop publishes its state
// (positions, the held event, the destinations) for `kivo -s`.
class ForwardingLoop {
 public:
  explicit ForwardingLoop(LoopPlatform platform);

  // Creates the uptime counter (kept by the host), the event log reader and
  // the configuration reader, makes sure the trap options exist, then runs
  // until stopped. Nothing thrown inside leaves it: an event whose handling
  // fails is dropped and the loop goes on.
  void Work(LoopHost& host);

  // Writes the trap options that a store may lack: the seven include flags
  // as 1 and "senderOID" as empty when "iec" is missing, "stripCRLF" as 0
  // when it is missing. The current key must be the root key.
  static void EnsureTrapOptions(config::RegistryConfig& config);

  // The longest a held event waits at a time before the running flag is
  // tested again.
  static constexpr std::uint32_t kHoldSliceMilliseconds = 500;

 private:
  void Run(LoopHost& host);

  LoopPlatform platform_;
};

}  // namespace kivo::forwarding

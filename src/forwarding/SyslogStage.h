#pragma once

#include <cstdint>
#include <string>

#include "config/RegistryConfig.h"
#include "config/TraceFile.h"
#include "forwarding/Destination.h"
#include "forwarding/EventRecord.h"
#include "platform/Sockets.h"

namespace kivo::forwarding {

// Sends an event as one plain-text syslog datagram, "<priority>source: user:
// description" without time stamp, host name or line end, to every
// destination listed under the "Syslog" key, each through its own socket. A
// description too long for one datagram is cut to fit, with a trace line.
// "usefilters" decides whether events the filters rejected are sent too.
//
// Every destination entry there is is served, in number order, gaps in the
// numbering included, as the filter stage reads its entries; an entry that
// cannot be read is skipped (with a trace line) and the others are served.
// A missing "usefilters" is written as 0 and this event goes nowhere (the
// next event is sent); a missing "Syslog" key means no syslog at all.
class SyslogStage {
 public:
  explicit SyslogStage(platform::Sockets& sockets);

  // Sends the event to every destination, or, given `only`, to those of
  // them that are listed there. One outcome per destination tried.
  SendOutcomes Run(config::RegistryConfig& config, const EventRecord& event, bool passed_filters,
                   config::TraceFile& trace, const DestinationSet* only = nullptr);

  // Facility 3 (system daemons) with severity error (27) for errors and
  // audit successes, warning (28) for warnings, notice (29) for the rest.
  static std::int32_t Priority(std::int32_t type_code);
  static std::string Message(const EventRecord& event);

 private:
  SendOutcome SendTo(std::int32_t number, const std::string& host, std::int32_t port,
                     const EventRecord& event, config::TraceFile& trace);

  platform::Sockets& sockets_;
};

}  // namespace kivo::forwarding

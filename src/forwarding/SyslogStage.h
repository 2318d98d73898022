#pragma once

#include <cstdint>
#include <string>

#include "config/RegistryConfig.h"
#include "config/TraceFile.h"
#include "forwarding/EventRecord.h"
#include "platform/Sockets.h"

namespace kivo::forwarding {

// Sends an event as one plain-text syslog datagram, "<priority>source: user:
// description" without time stamp, host name or line end, to every
// destination listed under the "Syslog" key, each through its own socket. A
// description too long for one datagram is cut to fit, with a trace line.
// "usefilters" decides whether events the filters rejected are sent too.
//
// When a value of the stage cannot be read the stage ends for this event:
// a missing "usefilters" is written as 0 (the next event is sent), a missing
// "Syslog" key means no syslog at all, and a destination that cannot be
// read ends the walk through the list there.
class SyslogStage {
 public:
  explicit SyslogStage(platform::Sockets& sockets);

  void Run(config::RegistryConfig& config, const EventRecord& event, bool passed_filters,
           config::TraceFile& trace);

  // Facility 3 (system daemons) with severity error (27) for errors and
  // audit successes, warning (28) for warnings, notice (29) for the rest.
  static std::int32_t Priority(std::int32_t type_code);
  static std::string Message(const EventRecord& event);

 private:
  void SendTo(const std::string& host, std::int32_t port, const EventRecord& event,
              config::TraceFile& trace);

  platform::Sockets& sockets_;
};

}  // namespace kivo::forwarding

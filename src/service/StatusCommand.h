#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>

#include "platform/EventLog.h"
#include "platform/Registry.h"

namespace kivo::service {

// `kivo -s`: whether the service keeps up. For each log: how far it has
// been read (the running service's position, else the position kept for
// "resume"), its newest record and how many records wait; the event held
// for a destination that fails; and for each destination whether it works
// or has been failing since when and why, with the sends that went out and
// that failed since the service started. The service's side comes from the
// state it publishes; the logs are asked now.
class StatusCommand {
 public:
  // Both must outlive the command.
  StatusCommand(platform::Registry& registry, platform::EventLog& event_log);

  // Prints the report; `now` (calendar seconds) is not printed, it tells
  // how old the published state is.
  void Print(std::ostream& out, std::int64_t now);

  // "2026-12-07 04:30:12 UTC" for calendar seconds.
  static std::string UtcTime(std::int64_t seconds);

 private:
  // "newest record N, M records wait" for a log read up to `position`.
  std::string Backlog(const std::string& log_name, std::uint32_t position);

  platform::Registry& registry_;
  platform::EventLog& event_log_;
};

}  // namespace kivo::service

#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "config/TraceFile.h"
#include "forwarding/Destination.h"
#include "platform/Messages.h"

namespace kivo::forwarding {

// How each destination has fared since the service started: working, or
// failing since a time with the last error, and how many sends went out and
// how many failed. An outage is told once, when it begins and when it ends,
// to the service's own messages in the Application log (and, with tracing,
// the trace): never once per event.
class DestinationStates {
 public:
  struct State {
    std::string label;  // as the last outcome named it
    bool failing = false;
    std::int64_t failing_since = 0;  // calendar seconds; 0 while working
    std::string last_error;          // why the last failed send failed
    std::uint64_t sent = 0;
    std::uint64_t failed = 0;  // failed sends: each try counts
  };
  // Reports one of the service's own messages (type, id, inserts).
  using Reporter = std::function<void(std::uint16_t type, std::uint32_t id,
                                      const std::vector<std::string>& inserts)>;

  // `messages` gives the system's texts of error numbers; it must outlive
  // the object.
  DestinationStates(platform::Messages& messages, Reporter reporter);

  // Takes in what became of one event at its destinations, at `now`.
  void Record(const SendOutcomes& outcomes, std::int64_t now, config::TraceFile& trace);

  const std::map<DestinationId, State>& states() const { return states_; }

 private:
  std::string Reason(const SendOutcome& outcome);

  platform::Messages& messages_;
  Reporter reporter_;
  std::map<DestinationId, State> states_;
};

}  // namespace kivo::forwarding

#pragma once

#include <cstdint>

#include "config/RegistryConfig.h"
#include "config/TraceFile.h"
#include "forwarding/EventRecord.h"

namespace kivo::forwarding {

// Decides whether an event passes the filters of the "Filters" key. The
// filters are read afresh for every event and tried in number order; the
// first "Include" filter whose list misses the event's field, or "Exclude"
// filter whose list matches it, rejects the event and ends the stage.
//
// A filter that cannot be read (a value missing or longer than the read
// buffer) is skipped with a trace line, as a filter on an unknown field is:
// while the configuration is broken the service forwards more rather than
// silently dropping events. A gap in the numbering is no filter: every entry
// that exists applies, in number order.
class FilterStage {
 public:
  // True when no filter rejects the event.
  bool Run(config::RegistryConfig& config, const EventRecord& event, config::TraceFile& trace);

 private:
  // True when the filter of the entry that is the current key rejects the
  // event.
  bool Rejects(config::RegistryConfig& config, std::uint32_t number, const EventRecord& event,
               config::TraceFile& trace);
};

}  // namespace kivo::forwarding

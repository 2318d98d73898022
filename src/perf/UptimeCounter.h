#pragma once

#include <cstdint>

#include "perf/PerfQuery.h"

namespace kivo::perf {

// The system's uptime in hundredths of a second, as the traps carry it, from
// the counter "\System\System Up Time". Failures show as negative ticks.
class UptimeCounter {
 public:
  static constexpr char kCounterPath[] = "\\System\\System Up Time";

  explicit UptimeCounter(platform::PerfData& pdh);
  virtual ~UptimeCounter();

  // Takes a fresh sample: seconds * 100 - 6000, wrapping in 32 bits, and 0
  // during the first minute. The failure codes -999, -998 and -997 come out
  // as -105900, -105800, -105700.
  std::int32_t GetUptimeTicks();

 private:
  PerfQuery query_;
  std::int32_t uptime_counter_id_;
};

}  // namespace kivo::perf

#include "perf/UptimeCounter.h"

namespace kivo::perf {

UptimeCounter::UptimeCounter(platform::PerfData& pdh)
    : query_(pdh), uptime_counter_id_(query_.AddCounter(kCounterPath)) {}

UptimeCounter::~UptimeCounter() = default;

std::int32_t UptimeCounter::GetUptimeTicks() {
  query_.Collect();
  const std::int32_t seconds = query_.GetCounterValue(uptime_counter_id_);
  // Traps have always carried the uptime less one minute; receivers that
  // correlate with earlier traps rely on the same offset. In the first
  // minute that would be negative, which a receiver reads as some 497 days.
  if (seconds >= 0 && seconds < 60) return 0;
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(seconds) * 100u - 6000u);
}

}  // namespace kivo::perf

#pragma once

#include <chrono>
#include <cstdint>
#include <functional>

namespace kivo::snmp {

// Milliseconds on a clock that never goes back (not the calendar): engine
// time and the inform's waits. Tests give one of their own. The same form
// as the forwarding engine's monotonic clock, so that it can pass its own.
using SteadyClock = std::function<std::int64_t()>;

inline std::int64_t SystemSteadyMilliseconds() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

}  // namespace kivo::snmp

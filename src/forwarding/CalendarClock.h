#pragma once

#include <cstdint>
#include <ctime>
#include <functional>

namespace kivo::forwarding {

// The current calendar time in whole seconds since 1970-01-01 UTC. SNMPv2c
// traps take their request id from it; tests give a fixed time.
using CalendarClock = std::function<std::int64_t()>;

inline std::int64_t SystemCalendarTime() {
  return static_cast<std::int64_t>(std::time(nullptr));
}

}  // namespace kivo::forwarding

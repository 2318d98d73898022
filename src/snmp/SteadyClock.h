#pragma once

#include <chrono>
#include <cstdint>
#include <functional>

namespace kivo::snmp {

// Milliseconds on a clock that never goes back (not the calendar): engine
// time and the inform's waits. Tests give one of their own.
using SteadyClock = std::function<std::uint64_t()>;

inline std::uint64_t SystemSteadyMilliseconds() {
  return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                        std::chrono::steady_clock::now().time_since_epoch())
                                        .count());
}

}  // namespace kivo::snmp

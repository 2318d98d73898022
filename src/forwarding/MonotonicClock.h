#pragma once

#include <chrono>
#include <cstdint>
#include <functional>

namespace kivo::forwarding {

// Milliseconds from a fixed point that only moves forward, whatever is done
// to the calendar: what waits between connection attempts are measured in.
// Tests give a clock of their own.
using MonotonicClock = std::function<std::int64_t()>;

inline std::int64_t SteadyMilliseconds() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

}  // namespace kivo::forwarding

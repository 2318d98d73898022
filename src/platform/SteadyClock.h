#pragma once

#include <chrono>
#include <cstdint>
#include <functional>

namespace kivo::platform {

// Milliseconds on a clock that never goes back, whatever is done to the
// calendar: what waits between tries, time-outs and engine time are
// measured in. Tests give a clock of their own.
using SteadyClock = std::function<std::int64_t()>;

inline std::int64_t SteadyMilliseconds() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

}  // namespace kivo::platform

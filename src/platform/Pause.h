#pragma once

#include <cstdint>

namespace kivo::platform {

// Waits a fixed time: the event log reader's poll interval. The product waits
// on an event nothing signals; tests use a fake that returns at once.
class Pause {
 public:
  virtual ~Pause() = default;
  virtual void Wait(std::uint32_t milliseconds) = 0;
};

}  // namespace kivo::platform

#pragma once

#include "platform/Pause.h"

namespace kivo::platform {

// Waits on an event that nothing signals: a pause of exactly the time-out.
class Win32Pause : public Pause {
 public:
  Win32Pause();
  ~Win32Pause() override;
  Win32Pause(const Win32Pause&) = delete;
  Win32Pause& operator=(const Win32Pause&) = delete;

  void Wait(std::uint32_t milliseconds) override;

 private:
  void* event_;
};

}  // namespace kivo::platform

#include "platform/win32/Win32Pause.h"

#include <windows.h>

namespace kivo::platform {

// Auto-reset, not signalled, unnamed.
Win32Pause::Win32Pause() : event_(CreateEventA(nullptr, FALSE, FALSE, nullptr)) {}

Win32Pause::~Win32Pause() {
  if (event_ != nullptr) CloseHandle(event_);
}

void Win32Pause::Wait(std::uint32_t milliseconds) {
  if (event_ != nullptr) {
    WaitForSingleObject(event_, milliseconds);
  } else {
    Sleep(milliseconds);
  }
}

}  // namespace kivo::platform

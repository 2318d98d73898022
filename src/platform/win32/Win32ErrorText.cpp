#include "platform/win32/Win32ErrorText.h"

#include <windows.h>

namespace kivo::platform {

std::string Win32ErrorText(std::uint32_t error) {
  char* buffer = nullptr;
  const DWORD length = FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, error, 0, reinterpret_cast<LPSTR>(&buffer), 0, nullptr);
  std::string text(buffer != nullptr ? buffer : "", buffer != nullptr ? length : 0);
  LocalFree(buffer);
  // The system's texts end with a line break.
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) {
    text.pop_back();
  }
  return text.empty() ? "unknown error" : text;
}

}  // namespace kivo::platform

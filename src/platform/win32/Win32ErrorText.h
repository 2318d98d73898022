#pragma once

#include <cstdint>
#include <string>

namespace kivo::platform {

// The system's text for an error number ("Access is denied."), without its
// final line break; "unknown error" when the system has none.
std::string Win32ErrorText(std::uint32_t error);

}  // namespace kivo::platform

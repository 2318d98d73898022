#pragma once

// The system's sockets of this build: Winsock in the Windows build (under
// Wine), BSD sockets natively. Link kivo_platform_system_sockets.

#ifdef _WIN32
#include "platform/win32/Win32Sockets.h"
#else
#include "platform/posix/PosixSockets.h"
#endif

namespace kivo::testing {
#ifdef _WIN32
using SystemSockets = platform::Win32Sockets;
constexpr char kSystemSocketsName[] = "Winsock";
#else
using SystemSockets = platform::PosixSockets;
constexpr char kSystemSocketsName[] = "Bsd";
#endif
}  // namespace kivo::testing

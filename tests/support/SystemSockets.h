#pragma once

// The system's sockets and streams of this build: Winsock (and SChannel) in
// the Windows build (under Wine), BSD sockets natively. Link
// kivo_platform_system_sockets.

#ifdef _WIN32
#include "platform/win32/Win32Sockets.h"
#include "platform/win32/Win32Streams.h"
#else
#include "platform/posix/PosixSockets.h"
#include "platform/posix/PosixStreams.h"
#endif

namespace kivo::testing {
#ifdef _WIN32
using SystemSockets = platform::Win32Sockets;
using SystemStreams = platform::Win32Streams;
constexpr char kSystemSocketsName[] = "Winsock";
#else
using SystemSockets = platform::PosixSockets;
using SystemStreams = platform::PosixStreams;
constexpr char kSystemSocketsName[] = "Bsd";
#endif
}  // namespace kivo::testing
